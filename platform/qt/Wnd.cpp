// CWnd and CButton over the widgets of a dialog window.
#include "platform/Wnd.h"

#include "platform/HandleRules.h"
#include "platform/Backend.h"
#include "platform/qt/Controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

namespace {

using mrv::platform::qt::ToCp949;
using mrv::platform::qt::ToQString;

// Controls whose text the user never sees (lists, pictures, lines) keep it here.
constexpr const char* kTextProperty = "mrvWindowText";

bool IsPicture(const WindowHandle& handle)
{
    return handle.control && (handle.control->kind == ControlKind::Bitmap || handle.control->kind == ControlKind::Icon);
}

QString TextOf(const WindowHandle& handle)
{
    QWidget* widget = handle.widget;
    if (!handle.control) return widget->windowTitle();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
    if (auto* label = qobject_cast<QLabel*>(widget); label && !IsPicture(handle)) return label->text();
    return widget->property(kTextProperty).toString();
}

void SetTextOf(const WindowHandle& handle, const QString& text)
{
    QWidget* widget = handle.widget;
    if (!handle.control)
        widget->setWindowTitle(text);
    else if (auto* edit = dynamic_cast<mrv::platform::qt::EditControl*>(widget))
        edit->SetProgramText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(widget); label && !IsPicture(handle))
        label->setText(text);
    else
        widget->setProperty(kTextProperty, text);
}

QWidget* WidgetOf(WindowHandle* handle) { return handle ? handle->widget : nullptr; }

mrv::platform::qt::EditControl* EditOf(WindowHandle* handle)
{
    return handle ? dynamic_cast<mrv::platform::qt::EditControl*>(handle->widget) : nullptr;
}

} // namespace

CWnd::~CWnd() { mrv::platform::backend::ForgetObject(m_hWnd, this); }

std::string CWnd::GetWindowTextCp949() const { return m_hWnd ? ToCp949(TextOf(*m_hWnd)) : std::string(); }

void CWnd::SetWindowTextCp949(const std::string& cp949)
{
    if (!m_hWnd) return;
    const QString text = ToQString(cp949);
    if (TextOf(*m_hWnd) != text) SetTextOf(*m_hWnd, text);
}

void CWnd::EnableWindow(bool enable)
{
    if (QWidget* widget = WidgetOf(m_hWnd)) widget->setEnabled(enable);
}

bool CWnd::IsWindowEnabled() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    return widget && !widget->testAttribute(Qt::WA_Disabled);
}

void CWnd::ShowWindow(int nCmdShow)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return;
    if (nCmdShow == ShowCmd::Hide) {
        widget->hide();
        return;
    }
    if (widget->isWindow())
        mrv::platform::qt::ShowAndActivate(widget);
    else
        widget->show();
}

bool CWnd::IsWindowVisible() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    return widget && widget->isVisible();
}

void CWnd::SetFocus()
{
    if (QWidget* widget = WidgetOf(m_hWnd)) widget->setFocus(Qt::OtherFocusReason);
}

// The control that has the focus in its window (the window need not be active).
bool CWnd::HasFocus() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    return widget && mrv::platform::qt::HandleOfWidget(widget->window()->focusWidget()) == m_hWnd;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd && m_hWnd->control ? m_hWnd->control->id : 0; }

std::uint32_t CWnd::GetStyle() const
{
    if (!m_hWnd || !m_hWnd->control) return ControlStyle::None;
    // The template's flags, with the state the control is in now.
    std::uint32_t style = m_hWnd->control->style & ~(ControlStyle::Disabled | ControlStyle::Hidden);
    if (m_hWnd->widget->testAttribute(Qt::WA_Disabled)) style |= ControlStyle::Disabled;
    if (m_hWnd->widget->isHidden()) style |= ControlStyle::Hidden;
    return style;
}

CWnd* CWnd::GetNextControl() const { return mrv::platform::backend::NextControlObject(m_hWnd); }

CDialog* CWnd::GetParentDialog() const { return mrv::platform::backend::DialogOf(m_hWnd); }

CRect CWnd::GetWindowRect() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return {};
    const QRect rect = widget->isWindow() ? widget->frameGeometry() : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// A frame (a list's border) lies outside the client area: its contents start
// at the contents rectangle.
CPoint CWnd::ClientToScreen(CPoint client) const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return client;
    const QPoint at = widget->mapToGlobal(widget->contentsRect().topLeft() + QPoint(client.x, client.y));
    return {at.x(), at.y()};
}

CPoint CWnd::ScreenToClient(CPoint screen) const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return screen;
    const QPoint at = widget->mapFromGlobal(QPoint(screen.x, screen.y)) - widget->contentsRect().topLeft();
    return {at.x(), at.y()};
}

void CWnd::MoveTo(CPoint screenTopLeft)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return;
    const QPoint to(screenTopLeft.x, screenTopLeft.y);
    widget->move(widget->isWindow() ? to : widget->parentWidget()->mapFromGlobal(to));
}

void CWnd::SetTopMost()
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget) return;
    QWidget* window = widget->window();
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);  // hides a shown window
    if (visible) window->show();
}

void CWnd::SetSel(int start, int end)
{
    QLineEdit* edit = EditOf(m_hWnd);
    if (!edit) return;
    if (start < 0) {
        edit->deselect();
        return;
    }
    const int length = static_cast<int>(edit->text().size());
    const int from = std::min(start, length);
    const int to = end < 0 ? length : std::min(end, length);
    edit->setSelection(from, to - from);
}

void CWnd::LimitText(int maxBytes)
{
    if (auto* edit = EditOf(m_hWnd)) edit->SetLimitBytes(std::max(0, maxBytes));
}

int CWnd::GetLimitText() const
{
    auto* edit = EditOf(m_hWnd);
    return edit ? edit->LimitBytes() : 0;
}

int CButton::GetCheck() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        switch (box->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
        }
    }
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) return radio->isChecked() ? 1 : 0;
    return 0;
}

void CButton::SetCheck(int state)
{
    // Sets this button alone, as the platform does: the other radio buttons
    // of its group keep their state.
    QWidget* widget = WidgetOf(m_hWnd);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        if (state == 2) {
            box->setCheckState(Qt::PartiallyChecked);
        } else {
            box->setTristate(false);
            box->setChecked(state == 1);
        }
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        radio->setChecked(state == 1);
    }
}

// ---- What the neutral framework asks of the backend ------------------------------------

namespace mrv::platform::backend {

WindowHandle* FindControl(WindowHandle* dialog, int id)
{
    qt::DialogWindow* window = qt::WindowOf(dialog);
    return window ? qt::FindControl(*window, id) : nullptr;
}

ControlKind KindOf(WindowHandle* control) { return control && control->control ? control->control->kind : ControlKind::Static; }

CPoint DialogBaseUnits(WindowHandle* dialog)
{
    const qt::DialogWindow* window = qt::WindowOf(dialog);
    return window ? CPoint{window->baseUnits.width(), window->baseUnits.height()} : CPoint{};
}

CDialog* ActiveDialog()
{
    // Not the window system's active window: which window that is depends on
    // the window manager, while the handler's own window is always the one
    // the user acted in.
    return qt::DispatchingDialog();
}

void DefaultSysCommand(WindowHandle*, unsigned, std::intptr_t)
{
    // Moving, sizing and minimising belong to the window manager.
}

} // namespace mrv::platform::backend

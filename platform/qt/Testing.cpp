// Test drivers: input goes to the window as the window system would hand it
// over (a QWindow receives the event and finds the widget), so modal blocking,
// widgets that let clicks through, focus and input filters all take part.
#include "platform/Testing.h"

#include "text/Cp949.h"
#include "platform/Backend.h"
#include "platform/qt/Controls.h"
#include "platform/qt/WidgetOf.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

namespace mrv::platform::testing {

namespace {

using qt::DialogWindow;

QWidget* Widget(const CWnd& window) { return qt::WidgetOf(&window); }

// Hands an event to the window that holds the widget; without a native window
// yet (never shown), to the widget itself.
void Deliver(QWidget* widget, QEvent& event)
{
    QWidget* top = widget->window();
    if (QWindow* native = top->windowHandle())
        QCoreApplication::sendEvent(native, &event);
    else
        QCoreApplication::sendEvent(widget, &event);
}

// A window that a modal prompt blocks: the window system hands it no input
// (Qt itself would let a double click through, which the system never sends).
bool Blocked(QWidget* widget)
{
    const WindowHandle* handle = qt::HandleOfWidget(widget->window());
    return handle && handle->window && handle->window->blockedByModal;
}

void Mouse(QWidget* widget, QPoint local, QEvent::Type type, Qt::MouseButton button)
{
    if (Blocked(widget)) return;
    QWidget* top = widget->window();
    const QPoint inWindow = widget->mapTo(top, local);
    const QPoint global = top->mapToGlobal(inWindow);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(inWindow), QPointF(inWindow), QPointF(global), button, held, Qt::NoModifier);
    if (QWindow* native = top->windowHandle()) {
        QCoreApplication::sendEvent(native, &event);
    } else {
        QMouseEvent direct(type, QPointF(local), QPointF(local), QPointF(global), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &direct);
    }
}

void ClickAt(QWidget* widget, QPoint local, Qt::MouseButton button)
{
    Mouse(widget, local, QEvent::MouseButtonPress, button);
    Mouse(widget, local, QEvent::MouseButtonRelease, button);
}

void DoubleClickAt(QWidget* widget, QPoint local)
{
    ClickAt(widget, local, Qt::LeftButton);
    Mouse(widget, local, QEvent::MouseButtonDblClick, Qt::LeftButton);
    Mouse(widget, local, QEvent::MouseButtonRelease, Qt::LeftButton);
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    Deliver(target, press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    Deliver(target, release);
}

// The key code a keyboard reports for a character: its upper-case code point.
int KeyOf(const QString& character)
{
    const char32_t code = character.toUcs4().value(0);
    return code < 0x80 ? static_cast<int>(QChar::toUpper(code)) : static_cast<int>(code);
}

// The user puts the caret into the edit (at the end of its text) unless it has the focus already.
void FocusForTyping(QLineEdit* edit)
{
    if (edit->window()->focusWidget() == edit) return;
    edit->setFocus(Qt::MouseFocusReason);
    edit->end(false);
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length;
        Key(edit, KeyOf(character), Qt::NoModifier, character);
    }
}

DialogWindow* WindowOfDialog(const CDialog& dialog) { return qt::WindowOf(dialog.GetSafeHwnd()); }

QPoint ListRowPoint(QTreeView* view, int row, QWidget*& target)
{
    target = view->viewport();
    if (row == kBelowLastRow) return {5, target->height() - 3};
    const QModelIndex item = view->model()->index(row, 0);
    if (!item.isValid()) return {};
    view->scrollTo(item);
    const QRect rect = view->visualRect(item);
    return {rect.left() + std::min(5, std::max(0, rect.width() - 1)), rect.center().y()};
}

} // namespace

struct ToolkitScope::Impl {
    std::unique_ptr<QApplication> application;
};

ToolkitScope::ToolkitScope(int& argc, char** argv) : m_impl(std::make_unique<Impl>())
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    m_impl->application = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    backend::SetProgramName(argc > 0 ? argv[0] : "");
}

ToolkitScope::~ToolkitScope()
{
    for (CDialog* dialog : qt::LiveDialogs()) dialog->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_impl->application.reset();
}

void ProcessEvents(int ms)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void RunAfter(int ms, std::function<void()> fn) { QTimer::singleShot(ms, QCoreApplication::instance(), std::move(fn)); }

void Click(CWnd& button)
{
    QWidget* widget = Widget(button);
    if (!widget) return;
    if (!widget->isVisible()) {
        // Not on the screen: the platform's programmatic click.
        if (auto* target = qobject_cast<QAbstractButton*>(widget)) target->click();
        return;
    }
    ClickAt(widget, widget->rect().center(), Qt::LeftButton);
}

void Type(CWnd& edit, std::string_view utf8)
{
    auto* widget = qobject_cast<QLineEdit*>(Widget(edit));
    if (!widget) return;
    FocusForTyping(widget);
    TypeInto(widget, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void ReplaceTextUtf8(CWnd& edit, std::string_view utf8)
{
    auto* widget = qobject_cast<QLineEdit*>(Widget(edit));
    if (!widget) return;
    FocusForTyping(widget);
    Key(widget, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    if (utf8.empty())
        Key(widget, Qt::Key_Delete, Qt::NoModifier, QString());
    else
        TypeInto(widget, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string TextUtf8(const CWnd& control) { return text::Cp949ToUtf8Lossy(control.GetWindowTextCp949()); }

void PressEnter(CDialog& dialog)
{
    if (QWidget* widget = Widget(dialog)) Key(widget, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
}

void PressEscape(CDialog& dialog)
{
    if (QWidget* widget = Widget(dialog)) Key(widget, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
}

void PressTab(CDialog& dialog)
{
    if (QWidget* widget = Widget(dialog)) Key(widget, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
}

void ClickCloseBox(CDialog& dialog)
{
    QWidget* widget = Widget(dialog);
    if (!widget || IsBlockedByModal(dialog)) return;  // a blocked window's close box does nothing
    QCloseEvent event;
    Deliver(widget, event);
}

void Minimize(CDialog& dialog)
{
    if (QWidget* widget = Widget(dialog); widget && !IsBlockedByModal(dialog)) widget->showMinimized();
}

void Restore(CDialog& dialog)
{
    if (QWidget* widget = Widget(dialog)) widget->showNormal();
}

bool IsShownOnScreen(const CDialog& dialog)
{
    const QWidget* widget = Widget(dialog);
    return widget && widget->isVisible() && !widget->isMinimized();
}

bool IsOwnedPopup(const CDialog& dialog)
{
    const QWidget* widget = Widget(dialog);
    return widget && widget->windowType() == Qt::Tool;
}

void MousePress(CDialog& dialog, CPoint client)
{
    if (QWidget* widget = Widget(dialog)) ClickAt(widget, QPoint(client.x, client.y), Qt::LeftButton);
}

void MouseDoubleClick(CDialog& dialog, CPoint client)
{
    if (QWidget* widget = Widget(dialog)) DoubleClickAt(widget, QPoint(client.x, client.y));
}

void ClickListRow(CListCtrl& list, int row)
{
    auto* view = qobject_cast<QTreeView*>(Widget(list));
    if (!view) return;
    QWidget* target = nullptr;
    const QPoint at = ListRowPoint(view, row, target);
    ClickAt(target, at, Qt::LeftButton);
}

void DoubleClickListRow(CListCtrl& list, int row)
{
    auto* view = qobject_cast<QTreeView*>(Widget(list));
    if (!view) return;
    QWidget* target = nullptr;
    const QPoint at = ListRowPoint(view, row, target);
    DoubleClickAt(target, at);
}

void RightClickListRow(CListCtrl& list, int row)
{
    auto* view = qobject_cast<QTreeView*>(Widget(list));
    if (!view) return;
    QWidget* target = nullptr;
    const QPoint at = ListRowPoint(view, row, target);
    ClickAt(target, at, Qt::RightButton);
}

CWnd* FocusedControl(CDialog& dialog)
{
    QWidget* widget = Widget(dialog);
    if (!widget) return nullptr;
    WindowHandle* handle = qt::HandleOfWidget(widget->focusWidget());
    return handle && handle->control ? qt::ObjectOf(*handle) : nullptr;
}

std::pair<int, int> EditSelection(const CWnd& edit)
{
    auto* widget = qobject_cast<QLineEdit*>(Widget(edit));
    if (!widget) return {0, 0};
    if (!widget->hasSelectedText()) return {widget->cursorPosition(), widget->cursorPosition()};
    return {widget->selectionStart(), widget->selectionEnd()};
}

bool IsBlockedByModal(const CDialog& dialog)
{
    const DialogWindow* window = WindowOfDialog(dialog);
    return window && window->blockedByModal;
}

std::string ActiveModalTitle()
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal->windowTitle().toStdString() : std::string();
}

namespace {

// The part of a control that is its client area: a list's frame is not.
QRect ClientArea(QWidget* widget)
{
    if (auto* view = qobject_cast<QTreeView*>(widget)) return view->contentsRect();
    return widget->rect();
}

} // namespace

int TextWidth(const CWnd& control, std::string_view utf8)
{
    const QWidget* widget = Widget(control);
    return widget ? widget->fontMetrics().horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())))
                  : 0;
}

int EditTextRoom(const CWnd& edit)
{
    auto* widget = qobject_cast<QLineEdit*>(Widget(edit));
    if (!widget) return 0;
    QStyleOptionFrame option;
    option.initFrom(widget);
    option.lineWidth = widget->hasFrame() ? widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget) : 0;
    const QRect contents = widget->style()->subElementRect(QStyle::SE_LineEditContents, &option, widget);
    // The edit keeps two pixels free on each side of its text.
    constexpr int kTextMargin = 2;
    const QMargins margins = widget->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kTextMargin;
}

Image Grab(CWnd& window)
{
    QWidget* widget = Widget(window);
    if (!widget) return {};
    const QImage image = widget->grab(ClientArea(widget)).toImage().convertToFormat(QImage::Format_ARGB32);
    Image out;
    out.width = image.width();
    out.height = image.height();
    out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        out.pixels.insert(out.pixels.end(), line, line + image.width());
    }
    return out;
}

bool SavePng(CWnd& window, const std::string& path)
{
    QWidget* widget = Widget(window);
    return widget && widget->grab(ClientArea(widget)).save(QString::fromStdString(path), "PNG");
}

CRect ClientRect(const CWnd& control)
{
    QWidget* widget = Widget(control);
    if (!widget) return {};
    const QPoint topLeft = widget->isWindow() ? QPoint(0, 0) : widget->mapTo(widget->window(), QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + widget->width(), topLeft.y() + widget->height()};
}

} // namespace mrv::platform::testing

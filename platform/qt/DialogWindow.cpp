// Dialog windows from templates: font, base units, controls in template order.
#include "platform/qt/Controls.h"

#include "text/Cp949.h"
#include "platform/HandleRules.h"
#include "platform/qt/WidgetOf.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QVariant>

#include <algorithm>
#include <set>

namespace mrv::platform::qt {

namespace {

// The property that ties a control's widget to its handle.
constexpr const char* kHandleProperty = "mrvWindowHandle";

// Fonts that show Korean, in order of preference, for a face that is not
// installed. Baekmuk Gulim first: of the free Korean fonts it comes closest to
// 굴림 at 9 points (base units 8 × 12 against 굴림's 7 × 12: the same
// height, and a 굴림 design), so the fixed pixel measures need scaling in
// width only.
constexpr const char* kKoreanFaces[] = {"Baekmuk Gulim", "NanumGothic", "NanumBarunGothic", "Noto Sans CJK KR", "UnDotum"};

std::set<DialogWindow*>& Live()
{
    static std::set<DialogWindow*> live;
    return live;
}

bool IsInstalled(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

const QString& KoreanFallback()
{
    static const QString family = [] {
        for (const char* face : kKoreanFaces)
            if (IsInstalled(QString::fromUtf8(face))) return QString::fromUtf8(face);
        return QString();
    }();
    return family;
}

QFont DialogFont(const DialogTemplate& tmpl)
{
    const QString face = QString::fromUtf8(tmpl.fontFace ? tmpl.fontFace : "");
    QFont font(face);
    font.setPointSize(tmpl.pointSize > 0 ? tmpl.pointSize : 9);
    if ((face.isEmpty() || !IsInstalled(face)) && !KoreanFallback().isEmpty()) font.setFamily(KoreanFallback());
    return font;
}

// The platform's dialog base units: the average width of the 52 Latin letters,
// rounded, and the font's height.
QSize BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

Qt::WindowFlags FlagsOf(std::uint32_t style)
{
    Qt::WindowFlags flags = (style & DialogStyle::AppWindow) ? Qt::Window : Qt::Dialog;
    if (style & DialogStyle::NoBorder) return flags | Qt::FramelessWindowHint;
    flags |= Qt::CustomizeWindowHint;
    if (style & DialogStyle::Caption) flags |= Qt::WindowTitleHint;
    if (style & DialogStyle::SysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & DialogStyle::MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

bool TakesTabFocus(const QWidget* widget) { return (widget->focusPolicy() & Qt::TabFocus) != 0; }

} // namespace

// ---- Handles ----------------------------------------------------------------------------

DialogWindow* WindowOf(WindowHandle* handle) { return handle ? handle->window : nullptr; }

WindowHandle* HandleOfWidget(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const QVariant value = widget->property(kHandleProperty);
        if (value.isValid()) return reinterpret_cast<WindowHandle*>(value.value<quintptr>());
        if (widget->isWindow()) break;
    }
    return nullptr;
}

CWnd* ObjectOf(WindowHandle& handle) { return backend::ObjectOf(handle); }

WindowHandle* FindControl(DialogWindow& window, int id)
{
    for (auto& control : window.controls)
        if (control->control->id == id) return control.get();
    return nullptr;
}

std::vector<CDialog*> LiveDialogs()
{
    std::vector<CDialog*> dialogs;
    for (DialogWindow* window : Live())
        if (window->dialog) dialogs.push_back(window->dialog);
    return dialogs;
}

void RegisterLive(DialogWindow* window) { Live().insert(window); }
void UnregisterLive(DialogWindow* window) { Live().erase(window); }

namespace {

// The dialog windows whose handlers run now, innermost last.
std::vector<DialogWindow*>& Dispatching()
{
    static std::vector<DialogWindow*> stack;
    return stack;
}

} // namespace

DispatchScope::DispatchScope(std::shared_ptr<DialogWindow> window) : m_window(std::move(window))
{
    ++m_window->dispatching;
    Dispatching().push_back(m_window.get());
}

DispatchScope::~DispatchScope()
{
    --m_window->dispatching;
    Dispatching().pop_back();
}

CDialog* DispatchingDialog()
{
    for (auto it = Dispatching().rbegin(); it != Dispatching().rend(); ++it)
        if ((*it)->dialog) return (*it)->dialog;
    return nullptr;
}

QWidget* WidgetOf(const CWnd* window)
{
    return window && window->GetSafeHwnd() ? window->GetSafeHwnd()->widget : nullptr;
}

// ---- Text -----------------------------------------------------------------------------------

QString ToQString(const std::string& cp949) { return QString::fromStdString(text::Cp949ToUtf8Lossy(cp949)); }

std::string ToCp949(const QString& text) { return text::Utf8ToCp949Lossy(text.toStdString()); }

std::size_t Cp949Bytes(const QString& text)
{
    if (const auto bytes = text::Cp949Length(text.toStdString())) return *bytes;
    return ToCp949(text).size();
}

// ---- Building -------------------------------------------------------------------------------

std::shared_ptr<DialogWindow> BuildDialogWindow(CDialog& dialog, const DialogTemplate& tmpl, QWidget* qtParent)
{
    auto window = std::make_shared<DialogWindow>();
    window->dialog = &dialog;
    window->tmpl = &tmpl;
    auto* widget = new DialogWidget(window, qtParent, FlagsOf(tmpl.style));
    window->widget = widget;
    window->self.widget = widget;
    window->self.window = window.get();
    widget->setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(&window->self)));
    widget->setWindowTitle(QString::fromUtf8(tmpl.title ? tmpl.title : ""));
    const QFont font = DialogFont(tmpl);
    widget->setFont(font);
    window->baseUnits = BaseUnits(font);
    widget->setFixedSize((tmpl.cx * window->baseUnits.width() + 2) / 4, (tmpl.cy * window->baseUnits.height() + 4) / 8);

    int groupStart = 0;
    for (std::size_t i = 0; i < tmpl.controls.size(); ++i) {
        const ControlTemplate& control = tmpl.controls[i];
        if (control.style & ControlStyle::Group) groupStart = static_cast<int>(i);
        auto handle = std::make_unique<WindowHandle>();
        handle->window = window.get();
        handle->control = &control;
        handle->index = static_cast<int>(i);
        handle->widget = CreateControl(window, control, groupStart, widget);
        handle->widget->setProperty(kHandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(handle.get())));
        window->controls.push_back(std::move(handle));
    }
    // The first control of the template lies on top, the last at the bottom.
    for (auto it = window->controls.rbegin(); it != window->controls.rend(); ++it) (*it)->widget->raise();
    // Tab order is template order.
    QWidget* previous = nullptr;
    for (auto& control : window->controls) {
        if (!TakesTabFocus(control->widget)) continue;
        if (previous) QWidget::setTabOrder(previous, control->widget);
        previous = control->widget;
    }
    RegisterLive(window.get());
    return window;
}

void FocusFirstTabStop(DialogWindow& window)
{
    for (auto& control : window.controls) {
        QWidget* widget = control->widget;
        if (!(control->control->style & ControlStyle::TabStop) || !widget->isEnabled() || widget->isHidden()) continue;
        widget->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
        return;
    }
}

void ShowAndActivate(QWidget* window)
{
    window->show();
    // The headless platform of the tests stacks nothing (and says so on each call).
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
    window->activateWindow();
}

int EnterCommand(DialogWindow& window)
{
    const auto idIfEnabled = [](const WindowHandle& button) { return button.widget->isEnabled() ? button.control->id : 0; };
    const WindowHandle* focus = HandleOfWidget(window.widget->focusWidget());
    if (focus && focus->control && focus->control->kind == ControlKind::PushButton) return idIfEnabled(*focus);
    for (auto& control : window.controls)
        if (control->control->kind == ControlKind::PushButton && (control->control->style & ControlStyle::Default))
            return idIfEnabled(*control);
    return CommandId::Ok;
}

} // namespace mrv::platform::qt

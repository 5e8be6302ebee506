#include "platform/qt/Controls.h"

#include "text/Cp949.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextOption>
#include <qdrawutil.h>

#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace mrv::platform::qt {

namespace {

// Mouse key-state flags of the framework's mouse messages.
enum : unsigned { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };

// The icon size the platform shows an icon picture at.
constexpr int kIconSize = 32;

QString Caption(const ControlTemplate& control)
{
    return QString::fromUtf8(control.caption ? control.caption : "");
}

// "&x" shows as "x" (the mnemonic), "&&" as "&".
QString WithoutMnemonic(const QString& caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

Qt::Alignment HorizontalAlignment(std::uint32_t style)
{
    if (style & ControlStyle::Center) return Qt::AlignHCenter;
    if (style & ControlStyle::Right) return Qt::AlignRight;
    return Qt::AlignLeft;
}

// A picture control shows its image at the image's own size, as the platform
// resizes such a control to its image. An icon shows its 32-pixel image.
QPixmap PictureOf(const ControlTemplate& control)
{
    QPixmap best;
    for (const ImageResource& image : FindImageResource(control.resourceId)) {
        QPixmap pixmap;
        if (!pixmap.loadFromData(image.png.data(), static_cast<uint>(image.png.size()), "PNG")) continue;
        if (control.kind != ControlKind::Icon) return pixmap;
        const auto distance = [](const QPixmap& p) { return std::abs(p.width() - kIconSize); };
        if (best.isNull() || distance(pixmap) < distance(best)) best = pixmap;
    }
    return best;
}

// Labels, group boxes and pictures take no clicks: presses reach what lies
// beneath them, finally the dialog itself.
void PassMouseThrough(QWidget* widget) { widget->setAttribute(Qt::WA_TransparentForMouseEvents); }

QWidget* CreateStatic(const ControlTemplate& control, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(Caption(control));
    label->setAlignment(HorizontalAlignment(control.style) | ((control.style & ControlStyle::VCenter) ? Qt::AlignVCenter : Qt::AlignTop));
    label->setWordWrap((control.style & ControlStyle::MultiLine) != 0);
    const bool sunken = (control.style & ControlStyle::Sunken) != 0;
    const bool border = (control.style & ControlStyle::Border) != 0;
    if (sunken && border)
        label->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    else if (sunken)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (border)
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setIndent(0);
    label->setMargin(0);
    PassMouseThrough(label);
    return label;
}

QWidget* CreatePicture(const ControlTemplate& control, const QRect& rect, QWidget* parent)
{
    auto* label = new QLabel(parent);
    const QPixmap pixmap = PictureOf(control);
    label->setPixmap(pixmap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A bitmap is stretched to its box, which follows the font; an icon keeps its size.
    const bool stretched = control.kind == ControlKind::Bitmap;
    label->setScaledContents(stretched);
    label->setGeometry(pixmap.isNull() || stretched ? rect : QRect(rect.topLeft(), pixmap.size()));
    PassMouseThrough(label);
    return label;
}

QWidget* CreateLine(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(palette);
    PassMouseThrough(frame);
    return frame;
}

int FocusPolicyOf(const ControlTemplate& control)
{
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::Edit:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::ListView: return (control.style & ControlStyle::TabStop) ? Qt::StrongFocus : Qt::ClickFocus;
    default: return Qt::NoFocus;
    }
}

} // namespace

void SendCommand(const std::shared_ptr<DialogWindow>& window, int code, int id)
{
    if (!window->dialog) return;
    DispatchScope scope(window);
    scope.Dialog()->DispatchCommand(code, id);
}

// ---- Edit ---------------------------------------------------------------------------

QValidator::State Cp949Validator::validate(QString& input, int& pos) const
{
    if (bypass) return Acceptable;
    // What the change inserted: input minus the part it shares with the text before.
    const qsizetype common = std::min(previous.size(), input.size());
    qsizetype prefix = 0;
    while (prefix < common && previous[prefix] == input[prefix]) ++prefix;
    if (prefix > 0 && prefix < input.size() && input[prefix].isLowSurrogate()) --prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix && previous[previous.size() - 1 - suffix] == input[input.size() - 1 - suffix]) ++suffix;
    if (suffix > 0 && input[input.size() - suffix].isLowSurrogate()) --suffix;
    const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
    if (inserted.isEmpty()) return Acceptable;  // a deletion

    const QString before = input.left(prefix);
    const QString after = input.right(suffix);
    long long budget = limitBytes > 0 ? limitBytes - static_cast<long long>(Cp949Bytes(before + after)) : LLONG_MAX;
    QString accepted;
    for (qsizetype i = 0; i < inserted.size();) {
        const qsizetype length = inserted[i].isHighSurrogate() && i + 1 < inserted.size() ? 2 : 1;
        const QString character = inserted.mid(i, length);
        i += length;
        const auto bytes = text::Cp949Length(character.toStdString());
        // Input stops at a character CP949 has no code for, as at the limit.
        if (!bytes || static_cast<long long>(*bytes) > budget) break;
        budget -= static_cast<long long>(*bytes);
        accepted += character;
    }
    // What is refused is told by a beep, as the platform's edits do.
    if (accepted.size() != inserted.size()) QApplication::beep();
    if (accepted.isEmpty()) return Invalid;
    if (accepted.size() != inserted.size()) {
        input = before + accepted + after;
        pos = static_cast<int>(prefix + accepted.size());
    }
    return Acceptable;
}

EditControl::EditControl(std::shared_ptr<DialogWindow> window, int id, QWidget* parent)
    : QLineEdit(parent), m_validator(new Cp949Validator(this))
{
    setValidator(m_validator);
    connect(this, &QLineEdit::textChanged, this, [this, window, id](const QString& text) {
        m_validator->previous = text;
        SendCommand(window, NotifyCode::EditChange, id);
    });
}

void EditControl::SetProgramText(const QString& text)
{
    const bool bypass = m_validator->bypass;
    m_validator->bypass = true;
    setText(text);
    m_validator->bypass = bypass;
    // As the platform's edit: the caret goes to the start, which shows the
    // beginning of a text wider than the edit.
    setCursorPosition(0);
}

// ---- Buttons --------------------------------------------------------------------------

PushButton::PushButton(const QString& caption, bool raised, bool multiline, QWidget* parent)
    : QPushButton(caption, parent), m_raised(raised), m_multiline(multiline)
{
    // Enter is the dialog's business (see DialogWidget::keyPressEvent).
    setAutoDefault(false);
}

void PushButton::paintEvent(QPaintEvent* event)
{
    if (!m_multiline) {
        QPushButton::paintEvent(event);
    } else {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = WithoutMnemonic(option.text);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        QTextOption layout(Qt::AlignCenter);
        layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        painter.setPen(option.palette.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(QRectF(style()->subElementRect(QStyle::SE_PushButtonContents, &option, this)), caption, layout);
    }
    if (m_raised) {
        QPainter painter(this);
        qDrawWinPanel(&painter, rect(), palette(), isDown());
    }
}

RadioButton::RadioButton(const QString& caption, int group, QWidget* parent)
    : QRadioButton(caption, parent), m_group(group)
{
    setAutoExclusive(false);
    // The templates leave a few pixels for the caption beside the circle, as
    // the platform's narrow gap does; the toolkit's wider gap would cut it.
    setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"));
}

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    setStyleSheet(QStringLiteral("QCheckBox { spacing: 2px; }"));
}

void RadioButton::nextCheckState()
{
    setChecked(true);
    for (auto* sibling : parentWidget()->findChildren<RadioButton*>(Qt::FindDirectChildrenOnly))
        if (sibling != this && sibling->m_group == m_group) sibling->setChecked(false);
}

// ---- The dialog -----------------------------------------------------------------------------

DialogWidget::DialogWidget(std::shared_ptr<DialogWindow> window, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_window(std::move(window))
{
    setSizeGripEnabled(false);
}

void DialogWidget::accept() { SendCommand(m_window, NotifyCode::ButtonClicked, CommandId::Ok); }

void DialogWidget::reject() { SendCommand(m_window, NotifyCode::ButtonClicked, CommandId::Cancel); }

bool DialogWidget::event(QEvent* event)
{
    if (event->type() == QEvent::WindowBlocked) m_window->blockedByModal = true;
    if (event->type() == QEvent::WindowUnblocked) m_window->blockedByModal = false;
    if (event->type() == QEvent::WindowActivate) RaiseOwned();
    return QDialog::event(event);
}

// The modeless windows this one owns, shown or hidden with it.
std::vector<DialogWindow*> DialogWidget::OwnedModeless() const
{
    std::vector<DialogWindow*> owned;
    for (CDialog* dialog : m_window->owned) {
        DialogWindow* window = WindowOf(dialog->GetSafeHwnd());
        if (window && !window->modalLoop && window->widget->parentWidget() == nullptr) owned.push_back(window);
    }
    return owned;
}

// Owned windows stay above their owner: when it comes to the front, so do they.
void DialogWidget::RaiseOwned()
{
    for (DialogWindow* owned : OwnedModeless())
        if (owned->widget->isVisible()) owned->widget->raise();
}

void DialogWidget::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // Owned windows go with their owner when it is minimised, and come back with it.
    if (isMinimized()) {
        for (DialogWindow* owned : OwnedModeless()) {
            if (!owned->widget->isVisible()) continue;
            owned->hiddenWithOwner = true;
            owned->widget->hide();
        }
    } else {
        for (DialogWindow* owned : OwnedModeless()) {
            if (!std::exchange(owned->hiddenWithOwner, false)) continue;
            owned->widget->setAttribute(Qt::WA_ShowWithoutActivating);
            owned->widget->show();
            owned->widget->setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
    }
}

void DialogWidget::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Even from inside an edit: an edit passes Enter on to the dialog.
        if (const int id = EnterCommand(*m_window)) SendCommand(m_window, NotifyCode::ButtonClicked, id);
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        SendCommand(m_window, NotifyCode::ButtonClicked, CommandId::Cancel);
        return;
    }
    QWidget::keyPressEvent(event);
}

void DialogWidget::closeEvent(QCloseEvent* event)
{
    // The window stays: the table's close handler (or the cancel command) decides.
    event->ignore();
    if (!m_window->dialog) return;
    DispatchScope scope(m_window);
    scope.Dialog()->DispatchClose();
}

void DialogWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) Mouse(Msg::LButtonDown, event);
}

void DialogWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) Mouse(Msg::LButtonDblClk, event);
}

void DialogWidget::Mouse(Msg msg, QMouseEvent* event)
{
    if (!m_window->dialog) return;
    unsigned flags = 0;
    if (event->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
    if (event->buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (event->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
    const QPoint at = event->position().toPoint();
    DispatchScope scope(m_window);
    scope.Dialog()->DispatchMouse(msg, flags, CPoint{at.x(), at.y()});
}

// ---- Controls from the template --------------------------------------------------------------

QWidget* CreateControl(const std::shared_ptr<DialogWindow>& window, const ControlTemplate& control, int groupStart,
                       QWidget* dialog)
{
    const QSize units = window->baseUnits;
    // As the platform's dialog manager: position and size are converted each on its own.
    const auto x = [&](int dlu) { return (dlu * units.width() + 2) / 4; };
    const auto y = [&](int dlu) { return (dlu * units.height() + 4) / 8; };
    const QRect rect(x(control.x), y(control.y), x(control.cx), y(control.cy));
    const int id = control.id;

    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton: {
        auto* button = new PushButton(Caption(control), (control.style & ControlStyle::Raised) != 0,
                                      (control.style & ControlStyle::MultiLine) != 0, dialog);
        button->setDefault((control.style & ControlStyle::Default) != 0);
        QObject::connect(button, &QPushButton::clicked, button, [window, id] { SendCommand(window, NotifyCode::ButtonClicked, id); });
        widget = button;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new EditControl(window, id, dialog);
        edit->setFrame((control.style & ControlStyle::Border) != 0);
        edit->setAlignment(HorizontalAlignment(control.style) | Qt::AlignVCenter);
        edit->SetProgramText(Caption(control));
        widget = edit;
        break;
    }
    case ControlKind::Static: widget = CreateStatic(control, dialog); break;
    case ControlKind::GroupBox:
        widget = new QGroupBox(Caption(control), dialog);
        PassMouseThrough(widget);
        break;
    case ControlKind::CheckBox: {
        auto* box = new CheckBox(Caption(control), dialog);
        QObject::connect(box, &QCheckBox::clicked, box, [window, id] { SendCommand(window, NotifyCode::ButtonClicked, id); });
        widget = box;
        break;
    }
    case ControlKind::RadioButton: {
        auto* radio = new RadioButton(Caption(control), groupStart, dialog);
        QObject::connect(radio, &QRadioButton::clicked, radio, [window, id] { SendCommand(window, NotifyCode::ButtonClicked, id); });
        widget = radio;
        break;
    }
    case ControlKind::ListView: widget = new ListView(window, id, control.style, dialog); break;
    case ControlKind::Bitmap:
    case ControlKind::Icon: widget = CreatePicture(control, rect, dialog); break;
    case ControlKind::Line: widget = CreateLine(dialog); break;
    }
    if (control.kind != ControlKind::Bitmap && control.kind != ControlKind::Icon) widget->setGeometry(rect);
    widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(FocusPolicyOf(control)));
    widget->setEnabled((control.style & ControlStyle::Disabled) == 0);
    if (control.style & ControlStyle::Hidden) widget->setVisible(false);
    return widget;
}

} // namespace mrv::platform::qt

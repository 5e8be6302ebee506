// Test drivers for the dialogs' system menu: the ways the user opens it and
// chooses from it, delivered to the windows as the window system would.
#include "platform/Testing.h"

#include "platform/qt/WidgetOf.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

namespace mrv::platform::testing {

namespace {

void Send(QWidget* widget, QEvent& event)
{
    if (QWindow* native = widget->window()->windowHandle())
        QCoreApplication::sendEvent(native, &event);
    else
        QCoreApplication::sendEvent(widget, &event);
}

void Button(QWidget* top, QPoint at, QEvent::Type type, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(at), QPointF(top->mapToGlobal(at)), button, held, Qt::NoModifier);
    Send(top, event);
}

void Click(QWidget* top, QPoint at, Qt::MouseButton button)
{
    Button(top, at, QEvent::MouseButtonPress, button);
    Button(top, at, QEvent::MouseButtonRelease, button);
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    Send(target, press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    Send(target, release);
}

QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

// The items the menu shows: a separator with nothing before it is not drawn.
std::vector<QAction*> ShownItems(QMenu* menu)
{
    std::vector<QAction*> items;
    for (QAction* action : menu->actions())
        if (action->isVisible() && !menu->actionGeometry(action).isEmpty()) items.push_back(action);
    return items;
}

} // namespace

void RightClick(CDialog& dialog, CPoint client)
{
    if (QWidget* widget = qt::WidgetOf(&dialog)) Click(widget, QPoint(client.x, client.y), Qt::RightButton);
}

void PressMenuKey(CDialog& dialog)
{
    QWidget* widget = qt::WidgetOf(&dialog);
    if (!widget) return;
    QWidget* focus = widget->focusWidget() ? widget->focusWidget() : widget;
    const QPoint at = focus->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
    QCoreApplication::sendEvent(focus, &request);
    Key(widget, Qt::Key_Menu, Qt::NoModifier);
}

void PressShiftF10(CDialog& dialog)
{
    if (QWidget* widget = qt::WidgetOf(&dialog)) Key(widget, Qt::Key_F10, Qt::ShiftModifier);
}

void OpenSystemMenu(CDialog& dialog) { PressShiftF10(dialog); }

std::vector<std::string> OpenMenuItems()
{
    std::vector<std::string> texts;
    if (QMenu* menu = OpenMenu())
        for (QAction* action : ShownItems(menu))
            texts.push_back(action->isSeparator() ? std::string("-") : action->text().toStdString());
    return texts;
}

bool PressMenuMnemonic(char letter)
{
    QMenu* menu = OpenMenu();
    if (!menu) return false;
    const QString text(QChar::fromLatin1(letter));
    Key(menu, text.toUpper().at(0).unicode(), Qt::NoModifier, text);
    return true;
}

void CloseOpenMenu()
{
    if (QMenu* menu = OpenMenu()) Key(menu, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
}

bool ClickMenuItem(std::string_view utf8)
{
    QMenu* menu = OpenMenu();
    if (!menu) return false;
    const QString wanted = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (QAction* action : ShownItems(menu)) {
        if (action->isSeparator() || action->text() != wanted) continue;
        const QPoint at = menu->actionGeometry(action).center();
        // The pointer comes onto the item before it presses, as a hand moves it.
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(at), QPointF(menu->mapToGlobal(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        Send(menu, move);
        Click(menu, at, Qt::LeftButton);
        return true;
    }
    return false;
}

} // namespace mrv::platform::testing

// The system menu's items on Linux. The window managers draw the menu of the
// title bar themselves and let no program add to it, so the items a dialog
// appends make up a menu of the dialog's own, opened where a desktop program's
// context menu opens: a right click on the dialog's background, the keyboard's
// menu key or Shift+F10. Controls keep their own menus and right clicks (the
// registry list deletes on a right click), so a right click on one opens
// nothing here.
#include "platform/Dialog.h"

#include "platform/qt/Controls.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace mrv::platform::qt {

namespace {

constexpr const char* kMenuName = "mrvSystemMenu";

// The menu lives as long as the dialog's window, as a child of its widget, and
// watches the widget's events for what opens it.
class SystemMenu : public QMenu {
public:
    explicit SystemMenu(DialogWidget* dialog) : QMenu(dialog), m_dialog(dialog)
    {
        setObjectName(QString::fromLatin1(kMenuName));
        dialog->installEventFilter(this);
    }

    void AddItem(unsigned id, const QString& text)
    {
        QAction* item = addAction(text);
        // The command reaches the table once the menu has closed, as the
        // platform sends it after its menu loop; a modal run it starts then
        // owns the input.
        connect(item, &QAction::triggered, item, [window = m_dialog->Window(), id] {
            if (!window->dialog) return;
            DispatchScope scope(window);
            scope.Dialog()->DispatchSysCommand(id, 0);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_dialog) return false;
        if (event->type() == QEvent::ContextMenu) {
            auto* request = static_cast<QContextMenuEvent*>(event);
            // A press on a control is that control's: it has come up to the dialog
            // only because the control has no menu (and a right click of its own
            // may mean something else). Labels, group boxes and pictures take no
            // clicks, so they are the dialog's background here.
            if (request->reason() == QContextMenuEvent::Mouse) {
                if (m_dialog->childAt(request->pos())) return false;
                Open(request->globalPos());
            } else {
                Open(KeyboardPosition());
            }
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
            const bool menuKey = key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier;
            const bool shiftF10 = key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier;
            if (!menuKey && !shiftF10) return false;
            Open(KeyboardPosition());
            return true;
        }
        return false;
    }

private:
    // From the keyboard the menu opens at the client area's top-left corner,
    // just below where the title bar's menu would drop down.
    QPoint KeyboardPosition() const { return m_dialog->mapToGlobal(QPoint(0, 0)); }

    void Open(const QPoint& at)
    {
        if (!isVisible()) popup(at);
    }

    DialogWidget* m_dialog;
};

// The dialog's menu, made on the first item; nullptr for a window without one.
SystemMenu* MenuOf(WindowHandle* handle)
{
    DialogWindow* window = WindowOf(handle);
    if (!window || !window->dialog || !(window->tmpl->style & DialogStyle::SysMenu)) return nullptr;
    auto* widget = static_cast<DialogWidget*>(window->widget);
    if (auto* menu = widget->findChild<QMenu*>(QString::fromLatin1(kMenuName), Qt::FindDirectChildrenOnly))
        return static_cast<SystemMenu*>(menu);
    return new SystemMenu(widget);
}

} // namespace

} // namespace mrv::platform::qt

bool CDialog::HasSystemMenu() const
{
    const mrv::platform::qt::DialogWindow* window = mrv::platform::qt::WindowOf(m_hWnd);
    return window && window->dialog && (window->tmpl->style & DialogStyle::SysMenu) != 0;
}

void CDialog::AppendSystemMenuSeparator()
{
    using namespace mrv::platform::qt;
    if (auto* menu = MenuOf(m_hWnd)) menu->addSeparator();
}

void CDialog::AppendSystemMenuItem(unsigned id, const std::string& textCp949)
{
    using namespace mrv::platform::qt;
    if (auto* menu = MenuOf(m_hWnd)) menu->AddItem(id, ToQString(textCp949));
}

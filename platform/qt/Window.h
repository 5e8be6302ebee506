// The Qt side of a window handle: what a dialog window and each of its
// controls are made of, and the bookkeeping the framework needs around them.
#pragma once

#include "platform/Dialog.h"

#include <QSize>
#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QEventLoop;
class QTimer;
class QWidget;

namespace mrv::platform::qt {
struct DialogWindow;
}

// A window or control as the framework's objects see it (WindowHandle*).
struct WindowHandle {
    QWidget* widget = nullptr;
    mrv::platform::qt::DialogWindow* window = nullptr;  // the dialog window that holds it
    const ControlTemplate* control = nullptr;            // nullptr: the dialog window itself
    int index = -1;                                      // position in the template
    std::unique_ptr<CWnd> wrapper;                       // object of a control without identifier
};

namespace mrv::platform::qt {

// One dialog window: the Qt dialog, its controls in template order and the
// state of its modal run. Kept alive by its widgets, so that an event still on
// its way after DestroyWindow finds `dialog` empty instead of a dead object.
struct DialogWindow {
    CDialog* dialog = nullptr;               // nullptr once the window is destroyed
    const DialogTemplate* tmpl = nullptr;
    QWidget* widget = nullptr;               // the DialogWidget
    WindowHandle self;
    std::vector<std::unique_ptr<WindowHandle>> controls;
    std::map<unsigned, QTimer*> timers;
    CDialog* owner = nullptr;                // the window this one belongs to (not its Qt parent)
    std::vector<CDialog*> owned;             // windows that go when this one goes
    QEventLoop* modalLoop = nullptr;
    bool ended = false;
    bool destroying = false;
    int result = 0;
    bool blockedByModal = false;             // a window-modal prompt blocks it
    bool hiddenWithOwner = false;            // hidden because its owner was minimised
    int dispatching = 0;                     // depth of calls from its widgets into the dialog
    QSize baseUnits;                         // dialog base units in pixels
};

// The dialog window of a dialog's or control's handle, nullptr for none.
DialogWindow* WindowOf(WindowHandle* handle);
// The handle of a control widget (or of the control a widget is part of), nullptr if none.
WindowHandle* HandleOfWidget(const QWidget* widget);
// The object that stands for a control: its member object, or a wrapper.
CWnd* ObjectOf(WindowHandle& handle);

// Every dialog window that exists, for shutting down.
std::vector<CDialog*> LiveDialogs();
void RegisterLive(DialogWindow* window);
void UnregisterLive(DialogWindow* window);

// Holds a dialog window's `dispatching` count while its widgets call into the
// dialog, so that DestroyWindow from inside a handler defers deleting the widgets.
class DispatchScope {
public:
    explicit DispatchScope(std::shared_ptr<DialogWindow> window);
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
    CDialog* Dialog() const { return m_window->dialog; }

private:
    std::shared_ptr<DialogWindow> m_window;
};

// The dialog whose handler runs now (the innermost one), or nullptr.
CDialog* DispatchingDialog();

// CP949 text as the toolkit shows it, and back ('?' for what CP949 lacks).
QString ToQString(const std::string& cp949);
std::string ToCp949(const QString& text);
// CP949 bytes of a text, counting '?' for each character CP949 lacks.
std::size_t Cp949Bytes(const QString& text);

// Creates a dialog's window from its template, hidden: Qt parent qtParent
// (nullptr for a top-level window without one).
std::shared_ptr<DialogWindow> BuildDialogWindow(CDialog& dialog, const DialogTemplate& tmpl, QWidget* qtParent);
// Gives the keyboard focus to the first tab stop, selecting an edit's text,
// as the dialog manager does after an initialisation that returns true.
void FocusFirstTabStop(DialogWindow& window);
// Shows a top-level window above the others and makes it the active one.
void ShowAndActivate(QWidget* window);
// Finds the control with this id.
WindowHandle* FindControl(DialogWindow& window, int id);

// The dialog's ids for commands sent by Enter: a focused push button's own id,
// else the default push button's id, else CommandId::Ok. 0 when that button is disabled.
int EnterCommand(DialogWindow& window);

} // namespace mrv::platform::qt

// What the toolkit-neutral framework code (Dialog.cpp) asks of the windowing
// backend. Each backend (platform/qt/, later a native one) implements these.
#pragma once

#include "platform/Template.h"
#include "platform/Types.h"

#include <cstdint>
#include <string>
#include <string_view>

class CDialog;

namespace mrv::platform::backend {

// The first control with this id in a dialog's window, or nullptr.
WindowHandle* FindControl(WindowHandle* dialog, int id);
// The kind of a control's handle.
ControlKind KindOf(WindowHandle* control);
// The dialog base units of a dialog's window in pixels (x: average character
// width, y: height of the dialog font); {0, 0} without a window.
CPoint DialogBaseUnits(WindowHandle* dialog);
// The dialog the user works in: the one whose handler runs now (the innermost
// one), or nullptr outside every handler.
CDialog* ActiveDialog();

// The system's own handling of a system command other than closing (moving,
// sizing, minimising, the keyboard's menu); nothing where the window manager
// does these without the program.
void DefaultSysCommand(WindowHandle* dialog, unsigned nID, std::intptr_t lParam);

// Makes the window of a modeless dialog from its template, owned by owner's
// window (nullptr: none), and shows it when the template says so. False when
// no window could be made, or its initialisation already ended it.
bool CreateModeless(CDialog& dialog, const DialogTemplate& tmpl, CDialog* owner);

// For the backends: the dialog that a modal run of `dialog` disables, its
// owner: its parent's dialog; without a parent, the window whose handler
// opens it, else the application's main window while it is up; nullptr when
// none of them is shown.
CDialog* ModalOwner(const CDialog& dialog);

// The program's name for the framework's messages: the executable's file name
// without its extension, as CP949. Set once at start from argv[0].
void SetProgramName(std::string_view argv0);
const std::string& ProgramName();

} // namespace mrv::platform::backend

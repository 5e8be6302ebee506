// The Win32 side of a window handle: the dialog manager's windows and the
// bookkeeping the framework needs around them.
#pragma once

#include "platform/Dialog.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mrv::platform::win32 {
struct DialogWindow;
}

// A window or control as the framework's objects see it (WindowHandle*).
struct WindowHandle {
    HWND hwnd = nullptr;
    mrv::platform::win32::DialogWindow* window = nullptr;  // the dialog window that holds it
    const ControlTemplate* control = nullptr;               // nullptr: the dialog window itself
    int index = -1;                                         // position in the template
    int limitBytes = 0;                                     // edits: CP949 bytes the user may type, 0 = no limit
    std::wstring acceptedText;                              // edits: the text as last accepted
    bool settingText = false;                               // edits: the program sets the text (not limited)
    bool refusing = false;                                  // edits: a refused change is being undone
    bool swallowChange = false;                             // edits: the change notification of a refused change is due
    std::unique_ptr<CWnd> wrapper;                          // object of a control without identifier
};

namespace mrv::platform::win32 {

// The rows of a report list as the program set them (CP949), or the source of
// an owner-data list.
struct ListRows {
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
    const ListRowSource* source = nullptr;
    int virtualRows = 0;
    std::wstring scratch;   // the text last handed to the list view
};

// One dialog window: the dialog manager's window, its controls in template
// order and the state of its modal run.
struct DialogWindow {
    CDialog* dialog = nullptr;                // nullptr once the window is destroyed
    const DialogTemplate* tmpl = nullptr;
    WindowHandle self;
    std::vector<std::unique_ptr<WindowHandle>> controls;
    std::map<int, std::unique_ptr<ListRows>> lists;  // by control index
    CDialog* owner = nullptr;
    std::vector<CDialog*> owned;
    bool modal = false;
    bool running = false;                      // its modal loop runs
    bool ended = false;
    bool destroying = false;
    bool destroyedBySystem = false;           // WM_DESTROY came before DestroyWindow
    std::shared_ptr<DialogWindow> keepAlive;  // held while the dialog manager creates it
    int result = 0;
    HWND disabledOwner = nullptr;              // the window its modal run disabled
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::vector<HBITMAP> bitmaps;              // pictures shown by its controls
    std::vector<HICON> icons;                  // icons of the window and its controls
    std::vector<std::unique_ptr<std::wstring>> hiddenTexts;  // texts of controls that show none
};

// The HWND of a window object (a dialog or a control), nullptr without one.
HWND HwndOf(const CWnd* window);
// The dialog window of a dialog's or control's handle, nullptr for none.
DialogWindow* WindowOf(WindowHandle* handle);
// The dialog window an HWND belongs to (the dialog or one of its controls).
DialogWindow* WindowOfHwnd(HWND hwnd);
// The handle of a dialog's or control's window, nullptr if none.
WindowHandle* HandleOfHwnd(HWND hwnd);
// The object that stands for a control: its member object, or a wrapper.
CWnd* ObjectOf(WindowHandle& handle);
// Every dialog window that exists, for shutting down and for the tests.
std::vector<CDialog*> LiveDialogs();
// The dialog whose handler runs now (the innermost one), or nullptr.
CDialog* DispatchingDialog();
// True when a modal run of one of the program's dialogs disabled this window.
bool IsDisabledByModal(HWND hwnd);
// The dialog whose modal run is innermost, or nullptr.
CDialog* InnermostModal();

// The top-level window that a prompt for `owner` belongs to and disables:
// the owner's dialog while it is shown; nullptr for none.
HWND PromptOwner(CWnd* owner);

// Text at the control boundary: CP949 bytes of the framework, UTF-16 of the
// wide-character calls ('?' for what CP949 cannot hold).
std::wstring WideFromCp949(const std::string& cp949);
std::string Cp949FromWide(const std::wstring& wide);
std::wstring WindowTextOf(HWND hwnd);

// Runs one message as the dialogs of this program need it: keyboard
// navigation for the dialog it is meant for, then the usual dispatch.
void DispatchOne(MSG& msg);
// Pumps messages until `done` returns true or WM_QUIT arrives (reposted).
// Returns false on WM_QUIT.
template <class Done>
bool PumpUntil(Done done)
{
    MSG msg;
    while (!done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got < 0) return false;
        DispatchOne(msg);
    }
    return true;
}

// The module the resources live in.
HINSTANCE Instance();

} // namespace mrv::platform::win32

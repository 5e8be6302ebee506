// The contract of a windowing backend: every name that platform/qt/ and
// platform/win32/ define, one line each. A third backend writes these and
// nothing else needs to change; the neutral framework (Dialog.cpp,
// DataExchange.cpp, Services.cpp) is compiled into each backend's library and
// calls them. tests/scripts/backend_contract_test.sh checks that the list
// names everything the Qt backend defines.
//
// ---- Windows and controls (platform/Wnd.h) -----------------------------------------
//   CWnd::~CWnd                 forgets the window handle (the window itself belongs to its dialog)
//   CWnd::GetDlgCtrlID          the control's id from its template
//   CWnd::GetStyle              the template's style bits of the control or dialog
//   CWnd::GetNextControl        the next control in template order (tab order), or nullptr
//   CWnd::GetParentDialog       the dialog that holds the control
//   CWnd::GetWindowTextCp949    the text shown, as CP949
//   CWnd::SetWindowTextCp949    shows a CP949 text (the program's text: not limited)
//   CWnd::LimitText             the CP949 bytes the user may type into an edit
//   CWnd::GetLimitText          that limit, 0 for none
//   CWnd::SetSel                selects characters of an edit
//   CWnd::EnableWindow          enables or disables for input
//   CWnd::IsWindowEnabled       whether it takes input
//   CWnd::ShowWindow            shows or hides (ShowCmd)
//   CWnd::IsWindowVisible       whether it is shown
//   CWnd::SetFocus              gives it the keyboard focus
//   CWnd::HasFocus              whether it has the keyboard focus
//   CWnd::GetWindowRect         its outer rectangle in screen pixels
//   CWnd::MoveTo                moves its outer top-left corner to a screen point
//   CWnd::SetTopMost            keeps it above the other windows
//   CWnd::ClientToScreen        a point of its client area in screen pixels
//   CWnd::ScreenToClient        a screen point in its client area's pixels
//   CButton::GetCheck           a check box's or radio button's state
//   CButton::SetCheck           sets that state
//
// ---- Report lists (platform/ListCtrl.h) ----------------------------------------------
//   CListCtrl::InsertColumn     adds a column with a heading and a width in pixels
//   CListCtrl::GetColumnWidth   a column's width in pixels
//   CListCtrl::SetColumnWidth   sets it
//   CListCtrl::SetVirtualRows   owner-data mode: a row count and where the texts come from
//   CListCtrl::GetItemCount     the rows
//   CListCtrl::InsertItem       inserts a row with its column-0 text
//   CListCtrl::SetItemText      sets a cell's text
//   CListCtrl::GetItemText      a cell's text
//   CListCtrl::DeleteItem       removes a row
//   CListCtrl::DeleteAllItems   removes every row
//   CListCtrl::GetItemState     a row's selected and focused bits
//   CListCtrl::SetItemState     sets them
//   CListCtrl::GetSubItemRect   a cell's rectangle in client pixels
//   GetSystemColor              the theme's colours (SysColor)
//
// ---- Dialogs (platform/Dialog.h) -------------------------------------------------------
//   CDialog::DoModal            runs the dialog modally, disabling its owner (ModalOwner) alone
//   CDialog::EndDialog          ends a modal run (or hides a modeless dialog) with a result
//   CDialog::DestroyWindow      destroys the window; its handlers hear of it
//   CDialog::SetTimer           a timer that calls the dialog's timer handler
//   CDialog::KillTimer          stops it
//   CDialog::SetIcon            the window's large or small icon from an icon resource
//   CDialog::HasSystemMenu      whether the window offers a system menu
//   CDialog::AppendSystemMenuSeparator   a separator at the end of that menu
//   CDialog::AppendSystemMenuItem        an item whose choice comes as a system command
//   AfxWinMain                  starts the toolkit, runs the application object, returns the exit status
//
// ---- Services (platform/Services.h) ----------------------------------------------------
//   mrv::platform::RealServices   the system's prompts, programs, folders and clock
//
// ---- What the neutral framework asks of the backend (below) ------------------------------
//   backend::FindControl, KindOf, DialogBaseUnits, ActiveDialog, DefaultSysCommand, CreateModeless
//
// ---- The backend's testing library (platform/Testing.h, platform/ServicesTesting.h) ------
//   ToolkitScope::ToolkitScope, ToolkitScope::~ToolkitScope   the toolkit for a test process
//   ProcessEvents, RunAfter                        the event loop, and acting while a modal loop runs
//   Click, Type, ReplaceTextUtf8, TextUtf8          buttons and edits as a user uses them
//   Paste, CommitInputMethod, InsertAtSelection     text that comes in other than typed
//   PressEnter, PressEscape, PressTab, ClickCloseBox, Minimize, Restore   keys and the caption
//   IsShownOnScreen, IsOwnedPopup, IsBlockedByModal, ActiveModalTitle, ActiveModalDialog   window states
//   MousePress, MouseDoubleClick, RightClick        the mouse on a dialog
//   PressMenuKey, PressShiftF10, OpenSystemMenu, OpenMenuItems, PressMenuMnemonic, ClickMenuItem, CloseOpenMenu   menus
//   ClickListRow, DoubleClickListRow, RightClickListRow   the mouse on a list row (or below the rows)
//   FocusedControl, EditSelection                   focus and selection
//   Grab, SavePng, ClientRect, TextWidth, EditTextRoom   pictures and geometry
//   ActiveMessageBox, AnswerMessageBox, ActiveFileDialog, AcceptFileDialog,
//   ActiveFolderBrowser, SelectInFolderBrowser, AcceptFolderBrowser, CancelActivePrompt   the real prompts
//   (Windows only, platform/win32/TestingFit.h) TextsThatDoNotFit, OutsideWorkArea, DialogFontFace,
//   DialogDpi, ScreenSize   whether every text fits whatever font stands in for 굴림
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

// Driving real dialogs from tests as a user would: clicks, typing, keys,
// mouse presses, and a way to act while a modal loop runs. Toolkit-neutral, so
// dialog tests need no toolkit header.
#pragma once

#include "platform/Dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <cstdint>
#include <utility>
#include <vector>

namespace mrv::platform::testing {

// Starts the toolkit for a test process (offscreen). Create one in main() or
// a global environment before any dialog.
class ToolkitScope {
public:
    ToolkitScope(int& argc, char** argv);
    ~ToolkitScope();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Handles pending events, then keeps handling them for ms milliseconds.
void ProcessEvents(int ms = 0);
// Runs fn from the event loop after ms milliseconds (answers modal loops).
void RunAfter(int ms, std::function<void()> fn);

// A mouse click on a button (radio buttons and check boxes included).
void Click(CWnd& button);
// Keyboard input into an edit as a user types it, character by character:
// characters that CP949 cannot hold or that go beyond the edit's byte limit are refused.
void Type(CWnd& edit, std::string_view utf8);
// Replaces the edit's text as a user would by select-all and typing.
void ReplaceTextUtf8(CWnd& edit, std::string_view utf8);
// Text that reaches an edit other than by typing: pasted from the clipboard;
// the characters an input method (a Korean IME) hands over as it finishes a
// syllable; inserted at the selection by the edit's own code, the way the
// system or another program may (on Windows EM_REPLACESEL past the program's
// filters). Each is held to the same rules as typing.
void Paste(CWnd& edit, std::string_view utf8);
void CommitInputMethod(CWnd& edit, std::string_view utf8);
void InsertAtSelection(CWnd& edit, std::string_view utf8);
// The text the control shows, as UTF-8.
std::string TextUtf8(const CWnd& control);
// Key presses sent to the window that has the focus in this dialog.
void PressEnter(CDialog& dialog);
void PressEscape(CDialog& dialog);
// Tab: the focus moves to the next tab stop.
void PressTab(CDialog& dialog);
// The caption's close box.
void ClickCloseBox(CDialog& dialog);
// The caption's minimise box, and bringing the window back from the taskbar.
void Minimize(CDialog& dialog);
void Restore(CDialog& dialog);
// A window that the user sees: shown and not minimised.
bool IsShownOnScreen(const CDialog& dialog);
// True when the window stands beside an owner window without a taskbar entry
// of its own (the platform's owned popup windows).
bool IsOwnedPopup(const CDialog& dialog);
// Mouse presses at client coordinates of the dialog itself.
void MousePress(CDialog& dialog, CPoint client);
void MouseDoubleClick(CDialog& dialog, CPoint client);
// The dialog's system menu (see CDialog::AppendSystemMenuItem): a right click
// at client coordinates; the keyboard's menu key as the window system reports
// it (a keyboard menu request to the focused control, then the key); Shift+F10.
void RightClick(CDialog& dialog, CPoint client);
void PressMenuKey(CDialog& dialog);
void PressShiftF10(CDialog& dialog);
// Opens the dialog's system menu the platform's usual way from the keyboard:
// Alt+Space on Windows, where the menu then runs until a choice or Escape
// (act on it from RunAfter), Shift+F10 for the dialog's own menu on Linux.
// Either way, ProcessEvents afterwards lets a chosen command arrive.
void OpenSystemMenu(CDialog& dialog);
// The items of the menu open now, as UTF-8 with their '&', "-" for a separator
// the menu shows; empty when no menu is open.
std::vector<std::string> OpenMenuItems();
// Chooses an item of the open menu by its mnemonic key (where several items
// share the key, the last of them, as the program's items follow the system's:
// the key as often as it takes to reach it, then Enter), or by a click on the
// item with this text. False when no menu, or no such item, is open.
bool PressMenuMnemonic(char letter);
bool ClickMenuItem(std::string_view utf8);
// Escape in the open menu: it closes without a choice.
void CloseOpenMenu();
// Mouse on a list row: selects the row, then notifies NotifyCode::Click,
// DoubleClick or RightClick. The row kBelowLastRow is the list's empty part
// below its last row.
inline constexpr int kBelowLastRow = -1;
void ClickListRow(CListCtrl& list, int row);
void DoubleClickListRow(CListCtrl& list, int row);
void RightClickListRow(CListCtrl& list, int row);
// The control that has the keyboard focus, or nullptr.
CWnd* FocusedControl(CDialog& dialog);
// Selection of an edit as [start, end) in characters.
std::pair<int, int> EditSelection(const CWnd& edit);
// True when the dialog is currently disabled by a modal prompt.
bool IsBlockedByModal(const CDialog& dialog);
// The active modal prompt's window title as UTF-8, or "" when none is up.
std::string ActiveModalTitle();
// The dialog whose modal run (DoModal) is in progress, the innermost one when
// runs are nested; nullptr when none is. For answering a dialog a click opened.
CDialog* ActiveModalDialog();

// A rendered picture of a window.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row-major
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
Image Grab(CWnd& window);
bool SavePng(CWnd& window, const std::string& path);

// Geometry of a control in pixels relative to its dialog's client area.
CRect ClientRect(const CWnd& control);
// The width in pixels of a text in the control's font.
int TextWidth(const CWnd& control, std::string_view utf8);
// The width in pixels that an edit shows its text in, inside its frame and margins.
int EditTextRoom(const CWnd& edit);

} // namespace mrv::platform::testing

// Text that reaches an edit other than from the keyboard.
#include "platform/Testing.h"

#include "core/windows/Wide.h"
#include "platform/win32/Window.h"

#include <cstring>

namespace mrv::platform::testing {
namespace {

HWND EditHwnd(CWnd& edit) { return win32::HwndOf(&edit); }

} // namespace

void Paste(CWnd& edit, std::string_view utf8)
{
    HWND hwnd = EditHwnd(edit);
    if (!hwnd) return;
    const std::wstring text = os::WideFromUtf8(utf8);
    if (!OpenClipboard(hwnd)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
        std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
    SetFocus(hwnd);
    SendMessageW(hwnd, WM_PASTE, 0, 0);
    ProcessEvents();
}

void CommitInputMethod(CWnd& edit, std::string_view utf8)
{
    HWND hwnd = EditHwnd(edit);
    if (!hwnd) return;
    SetFocus(hwnd);
    // What an input method hands a window that leaves composing to it.
    for (wchar_t unit : os::WideFromUtf8(utf8)) SendMessageW(hwnd, WM_IME_CHAR, unit, 1);
    ProcessEvents();
}

void InsertAtSelection(CWnd& edit, std::string_view utf8)
{
    HWND hwnd = EditHwnd(edit);
    if (!hwnd) return;
    // The edit class's own procedure, past the program's filter on the control.
    WNDCLASSW editClass{};
    if (!GetClassInfoW(nullptr, L"Edit", &editClass)) return;
    const std::wstring text = os::WideFromUtf8(utf8);
    CallWindowProcW(editClass.lpfnWndProc, hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    ProcessEvents();
}

} // namespace mrv::platform::testing

// Test drivers for the system menu on Windows. The menu belongs to the title
// bar: Alt+Space or a click on the caption's icon opens it, and the system
// runs it modally until a choice or Escape. A right click on the dialog, the
// menu key and Shift+F10 open nothing on a dialog's background, as on the
// platform.
#include "platform/Testing.h"

#include "core/windows/Wide.h"
#include "platform/win32/Window.h"

namespace mrv::platform::testing {

namespace {

HWND OpenMenuWindow()
{
    // The system's popup menus are windows of the class "#32768".
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

HMENU OpenMenu()
{
    HWND window = OpenMenuWindow();
    return window ? reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)) : nullptr;
}

std::wstring ItemText(HMENU menu, int index)
{
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(index), text, 255, MF_BYPOSITION);
    return text;
}

// What a click on an item of the system menu does: the menu closes, then
// the window it belongs to gets the item's command.
bool ChooseItem(HMENU menu, int index)
{
    const UINT id = GetMenuItemID(menu, index);
    HWND owner = GetActiveWindow();
    if (id == static_cast<UINT>(-1) || !owner) return false;
    EndMenu();
    PostMessageW(owner, WM_SYSCOMMAND, id, 0);
    return true;
}

void PostKey(HWND target, UINT key)
{
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

} // namespace

void RightClick(CDialog& dialog, CPoint client)
{
    HWND hwnd = win32::HwndOf(&dialog);
    if (!hwnd || !IsWindowEnabled(hwnd)) return;
    const LPARAM at = MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
    PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(hwnd, WM_RBUTTONUP, 0, at);
    ProcessEvents(0);
}

void PressMenuKey(CDialog& dialog)
{
    HWND hwnd = win32::HwndOf(&dialog);
    if (!hwnd || !IsWindowEnabled(hwnd)) return;
    PostKey(GetFocus() ? GetFocus() : hwnd, VK_APPS);
    ProcessEvents(0);
}

void PressShiftF10(CDialog& dialog)
{
    HWND hwnd = win32::HwndOf(&dialog);
    if (!hwnd || !IsWindowEnabled(hwnd)) return;
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    PostKey(GetFocus() ? GetFocus() : hwnd, VK_F10);
    ProcessEvents(0);
    GetKeyboardState(state);
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

void OpenSystemMenu(CDialog& dialog)
{
    HWND hwnd = win32::HwndOf(&dialog);
    if (!hwnd || !IsWindowEnabled(hwnd)) return;
    // What Alt+Space asks of the window; the menu's own loop runs from here.
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, L' ');
    ProcessEvents(0);
}

std::vector<std::string> OpenMenuItems()
{
    std::vector<std::string> items;
    HMENU menu = OpenMenu();
    if (!menu) return items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back((info.fType & MFT_SEPARATOR) ? std::string("-") : os::Utf8FromWide(ItemText(menu, i)));
    }
    return items;
}

bool PressMenuMnemonic(char letter)
{
    HWND window = OpenMenuWindow();
    HMENU menu = OpenMenu();
    if (!window || !menu) return false;
    // The items whose mnemonic is this letter: each key press moves to the next of them.
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    const wchar_t wanted = lower(static_cast<wchar_t>(static_cast<unsigned char>(letter)));
    int sharing = 0;
    int last = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const std::wstring text = ItemText(menu, i);
        for (std::size_t at = text.find(L'&'); at != std::wstring::npos && at + 1 < text.size(); at = text.find(L'&', at + 2)) {
            if (text[at + 1] == L'&') continue;
            if (lower(text[at + 1]) == wanted) {
                ++sharing;
                last = i;
            }
            break;
        }
    }
    if (sharing == 0) return false;
    if (sharing == 1) {
        PostMessageW(window, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(letter)), 1);
        return true;
    }
    // Several items share the key (Wine adds "&About Wine" to every system
    // menu, and its menus then choose the first): the program's item, the
    // last of them, chosen as a click on it would.
    return ChooseItem(menu, last);
}

bool ClickMenuItem(std::string_view utf8)
{
    HWND window = OpenMenuWindow();
    HMENU menu = OpenMenu();
    if (!window || !menu) return false;
    const std::wstring wanted = os::WideFromUtf8(utf8);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (ItemText(menu, i) == wanted) return ChooseItem(menu, i);
    return false;
}

void CloseOpenMenu()
{
    if (OpenMenuWindow()) EndMenu();
}

} // namespace mrv::platform::testing

// Test drivers on Windows: input goes to the windows as the system hands it
// over. Mouse messages go to the window under the point (a label lets the
// press through to its dialog), never to a disabled window or one that a modal
// run disables; keys go through the dialog manager's keyboard handling.
#include "platform/Testing.h"

#include "core/FileSystem.h"
#include "core/windows/Wide.h"
#include "text/Cp949.h"
#include "platform/Backend.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Images.h"

#include <objbase.h>
#include <windowsx.h>

#include <chrono>
#include <fstream>
#include <map>

namespace mrv::platform::testing {

namespace {

using win32::DialogWindow;

HWND Hwnd(const CWnd& window) { return win32::HwndOf(&window); }

// A window that takes input: it and every window it lies in are enabled and shown.
bool TakesInput(HWND hwnd)
{
    for (HWND w = hwnd; w; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
        if (!IsWindowEnabled(w) || !IsWindowVisible(w)) return false;
    return hwnd != nullptr;
}

LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y))); }

// The window that a press at a point of `top` (client coordinates) reaches,
// and the point in its client coordinates, found as the system finds it: the
// topmost shown, enabled child there that does not let the press through
// (labels, group boxes and pictures do), then its children likewise.
HWND TargetAt(HWND top, POINT& point)
{
    HWND target = top;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (HWND child = GetWindow(target, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
            RECT rect;
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, target, reinterpret_cast<POINT*>(&rect), 2);
            if (!PtInRect(&rect, point)) continue;
            POINT screen = point;
            ClientToScreen(target, &screen);
            if (SendMessageW(child, WM_NCHITTEST, 0, PointParam(screen)) == HTTRANSPARENT) continue;
            MapWindowPoints(target, child, &point, 1);
            target = child;
            deeper = true;
            break;
        }
    }
    return target;
}

// Runs the posted input through the message loop, as the system would.
void Settle() { ProcessEvents(0); }

void PostMouse(HWND hwnd, UINT message, WPARAM keys, POINT client)
{
    PostMessageW(hwnd, message, keys, PointParam(client));
}

void ClickAt(HWND hwnd, POINT client, bool right = false)
{
    if (!TakesInput(hwnd)) return;
    PostMouse(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, client);
    PostMouse(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, client);
    Settle();
}

void DoubleClickAt(HWND hwnd, POINT client)
{
    if (!TakesInput(hwnd)) return;
    PostMouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, client);
    PostMouse(hwnd, WM_LBUTTONUP, 0, client);
    PostMouse(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, client);
    PostMouse(hwnd, WM_LBUTTONUP, 0, client);
    Settle();
}

POINT Center(HWND hwnd)
{
    RECT rect;
    GetClientRect(hwnd, &rect);
    return {(rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2};
}

// The dialog becomes the active window, as when the user works in it.
void Activate(HWND dialog)
{
    if (GetActiveWindow() != dialog) {
        SetForegroundWindow(dialog);
        SetActiveWindow(dialog);
        Settle();
    }
}

void Key(HWND dialog, UINT key, bool shift = false)
{
    if (!TakesInput(dialog)) return;
    Activate(dialog);
    HWND target = GetFocus();
    if (!target || GetAncestor(target, GA_ROOT) != dialog) target = dialog;
    BYTE state[256];
    GetKeyboardState(state);
    const BYTE shiftBefore = state[VK_SHIFT];
    if (shift) {
        state[VK_SHIFT] = 0x80;
        SetKeyboardState(state);
    }
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    Settle();
    if (shift) {
        GetKeyboardState(state);
        state[VK_SHIFT] = shiftBefore;
        SetKeyboardState(state);
    }
}

void TypeUnits(HWND edit, const std::wstring& text)
{
    if (!TakesInput(edit)) return;
    for (wchar_t unit : text) SendMessageW(edit, WM_CHAR, unit, 1);
    Settle();
}

POINT ListRowPoint(HWND list, int row)
{
    if (row == kBelowLastRow) {
        RECT client{};
        GetClientRect(list, &client);
        return {client.left + 8, client.bottom - 3};
    }
    ListView_EnsureVisible(list, row, FALSE);
    RECT rect{};
    ListView_GetItemRect(list, row, &rect, LVIR_BOUNDS);
    // Inside the first column, clear of the row's edges.
    return {rect.left + std::min<LONG>(8, (rect.right - rect.left) / 2), (rect.top + rect.bottom) / 2};
}

// The callbacks of RunAfter, by timer id.
std::map<UINT_PTR, std::function<void()>>& Pending()
{
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    std::function<void()> fn = std::move(it->second);
    Pending().erase(it);
    fn();
}

} // namespace

struct ToolkitScope::Impl {
    HRESULT com = E_FAIL;
};

ToolkitScope::ToolkitScope(int&, char**) : m_impl(std::make_unique<Impl>())
{
    // The framework's messages are titled with the program's name.
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    backend::SetProgramName(os::Utf8FromWide(module));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    m_impl->com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

ToolkitScope::~ToolkitScope()
{
    for (CDialog* dialog : win32::LiveDialogs()) dialog->DestroyWindow();
    if (SUCCEEDED(m_impl->com)) CoUninitialize();
}

void ProcessEvents(int ms)
{
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            win32::DispatchOne(msg);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

void RunAfter(int ms, std::function<void()> fn)
{
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(std::max(ms, 1)), RunPending);
    if (id) Pending()[id] = std::move(fn);
}

void Click(CWnd& button)
{
    HWND hwnd = Hwnd(button);
    ClickAt(hwnd, Center(hwnd));
}

void Type(CWnd& edit, std::string_view utf8)
{
    HWND hwnd = Hwnd(edit);
    if (!TakesInput(hwnd)) return;
    // The user puts the caret into the edit (at the end of its text) unless it has the focus already.
    if (GetFocus() != hwnd) {
        SetFocus(hwnd);
        const int length = GetWindowTextLengthW(hwnd);
        SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
    }
    TypeUnits(hwnd, os::WideFromUtf8(utf8));
}

void ReplaceTextUtf8(CWnd& edit, std::string_view utf8)
{
    HWND hwnd = Hwnd(edit);
    if (!TakesInput(hwnd)) return;
    SetFocus(hwnd);
    SendMessageW(hwnd, EM_SETSEL, 0, -1);
    // Typing over a selection replaces it; an empty text is a deletion.
    if (utf8.empty())
        SendMessageW(hwnd, WM_CHAR, VK_BACK, 1);
    else
        TypeUnits(hwnd, os::WideFromUtf8(utf8));
    Settle();
}

std::string TextUtf8(const CWnd& control) { return text::Cp949ToUtf8Lossy(control.GetWindowTextCp949()); }

void PressEnter(CDialog& dialog) { Key(Hwnd(dialog), VK_RETURN); }
void PressEscape(CDialog& dialog) { Key(Hwnd(dialog), VK_ESCAPE); }
void PressTab(CDialog& dialog) { Key(Hwnd(dialog), VK_TAB); }

void ClickCloseBox(CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    if (!TakesInput(hwnd)) return;
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle();
}

void Minimize(CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    if (!hwnd) return;
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Settle();
}

void Restore(CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    if (!hwnd) return;
    PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Settle();
}

bool IsShownOnScreen(const CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    return hwnd && IsWindowVisible(hwnd) && !IsIconic(hwnd);
}

bool IsOwnedPopup(const CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    return hwnd && GetWindow(hwnd, GW_OWNER) && !(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

void MousePress(CDialog& dialog, CPoint client)
{
    POINT point{client.x, client.y};
    HWND target = TargetAt(Hwnd(dialog), point);
    ClickAt(target, point);
}

void MouseDoubleClick(CDialog& dialog, CPoint client)
{
    POINT point{client.x, client.y};
    HWND target = TargetAt(Hwnd(dialog), point);
    DoubleClickAt(target, point);
}

void ClickListRow(CListCtrl& list, int row)
{
    HWND hwnd = Hwnd(list);
    if (!hwnd) return;
    ClickAt(hwnd, ListRowPoint(hwnd, row));
}

void DoubleClickListRow(CListCtrl& list, int row)
{
    HWND hwnd = Hwnd(list);
    if (!hwnd) return;
    DoubleClickAt(hwnd, ListRowPoint(hwnd, row));
}

void RightClickListRow(CListCtrl& list, int row)
{
    HWND hwnd = Hwnd(list);
    if (!hwnd) return;
    ClickAt(hwnd, ListRowPoint(hwnd, row), true);
}

CWnd* FocusedControl(CDialog& dialog)
{
    HWND focus = GetFocus();
    WindowHandle* handle = focus ? win32::HandleOfHwnd(focus) : nullptr;
    // A list's header has the focus on the list's behalf.
    if (!handle && focus) handle = win32::HandleOfHwnd(GetParent(focus));
    if (!handle || !handle->control || handle->window != win32::WindowOf(dialog.GetSafeHwnd())) return nullptr;
    return win32::ObjectOf(*handle);
}

std::pair<int, int> EditSelection(const CWnd& edit)
{
    DWORD start = 0;
    DWORD end = 0;
    if (HWND hwnd = Hwnd(edit))
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

bool IsBlockedByModal(const CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    return hwnd && !IsWindowEnabled(hwnd);
}

namespace {

struct PromptSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindPrompt(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<PromptSearch*>(data);
    // A prompt is a shown, usable window whose owner is disabled; the first
    // one in z-order is the latest.
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (!search->found && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && owner && !IsWindowEnabled(owner))
        search->found = hwnd;
    return TRUE;
}

} // namespace

std::string ActiveModalTitle()
{
    PromptSearch search;
    EnumThreadWindows(GetCurrentThreadId(), FindPrompt, reinterpret_cast<LPARAM>(&search));
    return search.found ? os::Utf8FromWide(win32::WindowTextOf(search.found)) : std::string();
}

CDialog* ActiveModalDialog() { return win32::InnermostModal(); }

int TextWidth(const CWnd& control, std::string_view utf8)
{
    HWND hwnd = Hwnd(control);
    if (!hwnd) return 0;
    const std::wstring text = os::WideFromUtf8(utf8);
    HDC dc = GetDC(hwnd);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size.cx;
}

int EditTextRoom(const CWnd& edit)
{
    HWND hwnd = Hwnd(edit);
    if (!hwnd) return 0;
    RECT rect{};
    SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    return rect.right - rect.left;
}

Image Grab(CWnd& window)
{
    Image image;
    HWND hwnd = Hwnd(window);
    if (!hwnd) return image;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    ProcessEvents(50);
    // The client area, as the window's own painting covers it.
    RECT rect;
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    if (image.width <= 0 || image.height <= 0) return {};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const BITMAPINFO info = mrv::platform::win32::TopDownBitmapInfo(image.width, image.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // What the screen shows of the window, brought to the top for it.
    SetWindowPos(GetAncestor(hwnd, GA_ROOT), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(hwnd);
    BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = 0xFF000000u | (source[i] & 0x00FFFFFFu);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

namespace {

std::uint32_t Crc(const unsigned char* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Big32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Chunk(std::string& out, const char* type, const std::string& body)
{
    Big32(out, static_cast<std::uint32_t>(body.size()));
    std::string typed = std::string(type, 4) + body;
    out += typed;
    Big32(out, Crc(reinterpret_cast<const unsigned char*>(typed.data()), typed.size()));
}

// A PNG file of an image: RGB rows in stored (uncompressed) deflate blocks,
// which every PNG reader takes.
std::string EncodePng(const Image& image)
{
    std::string raw;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back('\0');
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>(p & 0xFF));
        }
    }
    std::string zlib("\x78\x01", 2);
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        zlib.push_back(last ? '\x01' : '\x00');
        zlib.push_back(static_cast<char>(n & 0xFF));
        zlib.push_back(static_cast<char>(n >> 8));
        zlib.push_back(static_cast<char>(~n & 0xFF));
        zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
        zlib.append(raw, at, n);
        at += n;
        if (last) break;
    }
    Big32(zlib, (b << 16) | a);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    Big32(header, static_cast<std::uint32_t>(image.width));
    Big32(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", zlib);
    Chunk(png, "IEND", std::string());
    return png;
}

} // namespace

bool SavePng(CWnd& window, const std::string& path)
{
    const Image image = Grab(window);
    if (image.width <= 0) return false;
    std::ofstream out(os::PathFromUtf8(path), std::ios::binary);
    const std::string png = EncodePng(image);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out.flush());
}

CRect ClientRect(const CWnd& control)
{
    HWND hwnd = Hwnd(control);
    if (!hwnd) return {};
    RECT rect;
    if (!control.GetSafeHwnd()->control) {
        // A dialog: its own client area.
        GetClientRect(hwnd, &rect);
        return {rect.left, rect.top, rect.right, rect.bottom};
    }
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetAncestor(hwnd, GA_ROOT), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace mrv::platform::testing

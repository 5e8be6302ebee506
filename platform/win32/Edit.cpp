// Edits whose limit counts CP949 bytes: the user cannot type or paste a
// character that CP949 cannot hold, nor more bytes than the limit. Only what
// the user adds is checked, so a longer text set by the program stays, and
// deleting from it is always possible. A pasted text is cut to what fits.
#include "platform/win32/Controls.h"

#include "core/windows/Wide.h"
#include "platform/Cp949.h"

#include <utility>

namespace mrv::platform::win32 {

namespace {

constexpr UINT_PTR kEditSubclass = 1;

std::pair<DWORD, DWORD> Selection(HWND edit)
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// The longest start of `input` that the edit takes at its selection: every
// character in CP949 and the whole text within the limit (or no longer than now).
std::wstring Acceptable(HWND edit, const WindowHandle& handle, const std::wstring& input)
{
    const std::wstring text = WindowTextOf(edit);
    const auto [start, end] = Selection(edit);
    const std::wstring before = text.substr(0, std::min<std::size_t>(start, text.size()));
    const std::wstring after = text.substr(std::min<std::size_t>(end, text.size()));
    const std::size_t oldBytes = Cp949Bytes(text);
    std::size_t keptBytes = Cp949Bytes(before) + Cp949Bytes(after);
    std::wstring accepted;
    for (std::size_t i = 0; i < input.size();) {
        // A character outside the basic plane comes as two UTF-16 units.
        const std::size_t units = (input[i] >= 0xD800 && input[i] < 0xDC00 && i + 1 < input.size()) ? 2 : 1;
        const std::wstring character = input.substr(i, units);
        const auto bytes = text::Cp949Length(os::Utf8FromWide(character));
        if (!bytes) break;
        const std::size_t total = keptBytes + *bytes;
        if (handle.limitBytes > 0 && total > static_cast<std::size_t>(handle.limitBytes) && total > oldBytes) break;
        keptBytes = total;
        accepted += character;
        i += units;
    }
    return accepted;
}

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* handle = reinterpret_cast<WindowHandle*>(data);
    switch (message) {
    case WM_CHAR: {
        static wchar_t pendingHigh = 0;
        const auto unit = static_cast<wchar_t>(wParam);
        // Control characters (Backspace, Ctrl+C, Ctrl+V ...) are the edit's own.
        if (unit < 0x20 || unit == 0x7F) break;
        if (unit >= 0xD800 && unit < 0xDC00) {
            pendingHigh = unit;
            return 0;
        }
        std::wstring character(1, unit);
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (!pendingHigh) return 0;
            character.insert(character.begin(), std::exchange(pendingHigh, L'\0'));
        }
        if (Acceptable(edit, *handle, character).empty()) {
            MessageBeep(MB_OK);
            return 0;
        }
        if (character.size() == 1) break;
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(character.c_str()));
        return 0;
    }
    case WM_PASTE: {
        std::wstring pasted;
        if (IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(edit)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                    pasted = text;
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
        }
        // A one-line edit takes the first line.
        pasted = pasted.substr(0, pasted.find_first_of(L"\r\n"));
        const std::wstring fits = Acceptable(edit, *handle, pasted);
        if (fits.size() < pasted.size()) MessageBeep(MB_OK);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fits.c_str()));
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, EditProc, kEditSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

std::size_t Cp949Bytes(const std::wstring& text)
{
    const std::string utf8 = os::Utf8FromWide(text);
    if (const auto bytes = text::Cp949Length(utf8)) return *bytes;
    return text::Utf8ToCp949Lossy(utf8).size();
}

void PrepareEdit(WindowHandle& edit)
{
    if (edit.hwnd) SetWindowSubclass(edit.hwnd, EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(&edit));
}

} // namespace mrv::platform::win32

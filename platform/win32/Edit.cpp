// Edits whose limit counts CP949 bytes: the user cannot type or paste a
// character that CP949 cannot hold, nor more bytes than the limit. Only what
// the user adds is checked, so a longer text set by the program stays, and
// deleting from it is always possible. A pasted text is cut before its first
// character that does not fit, with a beep. Typed characters, pastes, an input
// method's characters and EM_REPLACESEL are cut before they reach the edit;
// any other change (an input method writing into the edit itself, say) is
// undone afterwards, before the dialog hears of it.
#include "platform/win32/Controls.h"

#include "core/windows/Wide.h"
#include "text/Cp949.h"

#include <algorithm>
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

// Characters CP949 has no code for.
std::size_t Unmappable(const std::wstring& text)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t units = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
        if (!text::Cp949Length(os::Utf8FromWide(text.substr(i, units)))) ++n;
        i += units;
    }
    return n;
}

// Whether text may follow accepted: no character CP949 lacks comes in, and the
// bytes stay within the limit or at least do not grow past it.
bool Follows(const std::wstring& text, const std::wstring& accepted, int limitBytes)
{
    if (Unmappable(text) > Unmappable(accepted)) return false;
    if (limitBytes <= 0) return true;
    const std::size_t bytes = Cp949Bytes(text);
    return bytes <= static_cast<std::size_t>(limitBytes) || bytes <= Cp949Bytes(accepted);
}

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* handle = reinterpret_cast<WindowHandle*>(data);
    switch (message) {
    case WM_SETTEXT: {
        // The program's text: taken as it is.
        const bool outer = std::exchange(handle->settingText, true);
        const LRESULT r = DefSubclassProc(edit, message, wParam, lParam);
        handle->settingText = outer;
        handle->acceptedText = WindowTextOf(edit);
        return r;
    }
    case EM_REPLACESEL: {
        if (!lParam) break;
        const std::wstring inserted = reinterpret_cast<const wchar_t*>(lParam);
        const std::wstring fits = Acceptable(edit, *handle, inserted);
        if (fits.size() == inserted.size()) break;
        MessageBeep(MB_OK);
        return DefSubclassProc(edit, message, wParam, reinterpret_cast<LPARAM>(fits.c_str()));
    }
    case WM_IME_CHAR:
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
    if (!edit.hwnd) return;
    edit.acceptedText = WindowTextOf(edit.hwnd);
    SetWindowSubclass(edit.hwnd, EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(&edit));
}

void HoldEditRules(WindowHandle& edit)
{
    const std::wstring text = WindowTextOf(edit.hwnd);
    const std::wstring& accepted = edit.acceptedText;
    if (edit.settingText || Follows(text, accepted, edit.limitBytes)) {
        edit.acceptedText = text;
        return;
    }
    // What the change put in: the text less the part it shares with the
    // accepted text at either end. Of that, the longest start that keeps the
    // rules stays, as with typing and pasting.
    const std::size_t common = std::min(text.size(), accepted.size());
    std::size_t prefix = 0;
    while (prefix < common && text[prefix] == accepted[prefix]) ++prefix;
    if (prefix > 0 && prefix < text.size() && text[prefix] >= 0xDC00 && text[prefix] < 0xE000) --prefix;
    std::size_t suffix = 0;
    while (suffix < common - prefix && text[text.size() - 1 - suffix] == accepted[accepted.size() - 1 - suffix]) ++suffix;
    if (suffix > 0 && text[text.size() - suffix] >= 0xDC00 && text[text.size() - suffix] < 0xE000) --suffix;
    const std::wstring before = text.substr(0, prefix);
    const std::wstring after = text.substr(text.size() - suffix);
    const std::wstring inserted = text.substr(prefix, text.size() - prefix - suffix);
    std::wstring kept;
    for (std::size_t i = 0; i < inserted.size();) {
        const std::size_t units = (inserted[i] >= 0xD800 && inserted[i] < 0xDC00 && i + 1 < inserted.size()) ? 2 : 1;
        const std::wstring longer = kept + inserted.substr(i, units);
        if (!Follows(before + longer + after, accepted, edit.limitBytes)) break;
        kept = longer;
        i += units;
    }
    const std::wstring cut = before + kept + after;
    // Refused whole, the change never reaches the dialog; cut, it does once.
    edit.swallowChange = cut == accepted;
    edit.refusing = true;
    SetWindowTextW(edit.hwnd, cut.c_str());
    edit.refusing = false;
    edit.acceptedText = cut;
    const std::size_t caret = prefix + kept.size();
    SendMessageW(edit.hwnd, EM_SETSEL, caret, caret);
    MessageBeep(MB_OK);
}

bool IsRefusedChange(WindowHandle& edit)
{
    if (edit.refusing) return true;
    if (!std::exchange(edit.swallowChange, false)) return false;
    // The notification of the refused change finds the accepted text back.
    return WindowTextOf(edit.hwnd) == edit.acceptedText;
}

} // namespace mrv::platform::win32

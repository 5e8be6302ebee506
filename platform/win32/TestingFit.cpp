// The texts of the Windows dialogs measured against their controls in the
// controls' fonts, with the room the system's own drawing leaves them.
#include "platform/win32/TestingFit.h"

#include "core/windows/Wide.h"
#include "platform/win32/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace mrv::platform::testing {

namespace {

int Px(int at96, int dpi) { return MulDiv(at96, dpi, 96); }

std::vector<std::wstring> Lines(const char* utf8)
{
    std::vector<std::wstring> lines;
    std::istringstream in(utf8 ? utf8 : "");
    for (std::string line; std::getline(in, line);) lines.push_back(os::WideFromUtf8(line));
    return lines;
}

std::string Utf8(const std::wstring& text) { return os::Utf8FromWide(text); }

// DrawTextW with DT_CALCRECT in the window's font: the rectangle the text takes
// when laid out in `width` pixels (0: on one line).
class TextBox {
public:
    explicit TextBox(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd))
    {
        m_old = SelectObject(m_dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        GetTextMetricsW(m_dc, &m_metrics);
    }
    ~TextBox()
    {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_hwnd, m_dc);
    }
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;

    SIZE Extent(const std::wstring& text) const
    {
        SIZE size{};
        GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }
    SIZE Laid(const std::wstring& text, int width, UINT flags) const
    {
        RECT r{0, 0, width, 0};
        DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | flags);
        return {r.right - r.left, r.bottom - r.top};
    }
    int LineHeight() const { return m_metrics.tmHeight; }

private:
    HWND m_hwnd;
    HDC m_dc;
    HGDIOBJ m_old;
    TEXTMETRICW m_metrics{};
};

RECT ClientOf(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

RECT RectInDialog(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Describe(const WindowHandle& control)
{
    std::ostringstream out;
    out << "control #" << control.index << " (id " << control.control->id;
    if (control.control->caption && *control.control->caption) out << ", \"" << control.control->caption << "\"";
    out << ")";
    return out.str();
}

class Check {
public:
    Check(std::vector<std::string>& misfits, const WindowHandle& control) : m_misfits(misfits), m_control(control) {}
    void Room(const std::wstring& text, int needs, int has)
    {
        if (needs > has)
            m_misfits.push_back(Describe(m_control) + ": \"" + Utf8(text) + "\" needs " + std::to_string(needs) + " pixels, has " + std::to_string(has));
    }
    void Say(const std::string& what) { m_misfits.push_back(Describe(m_control) + ": " + what); }

private:
    std::vector<std::string>& m_misfits;
    const WindowHandle& m_control;
};

void CheckTexts(const WindowHandle& control, int dpi, std::vector<std::string>& misfits)
{
    HWND hwnd = control.hwnd;
    const ControlTemplate& t = *control.control;
    const TextBox box(hwnd);
    const RECT client = ClientOf(hwnd);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const std::wstring caption = os::WideFromUtf8(t.caption ? t.caption : "");
    Check check(misfits, control);
    switch (t.kind) {
    case ControlKind::PushButton:
        // Inside the button's 2-pixel edge and the focus rectangle within it.
        if (caption.empty()) break;
        check.Room(caption, box.Extent(caption).cx, width - 2 * Px(4, dpi));
        check.Room(caption, box.LineHeight(), height - 2 * Px(2, dpi));
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        // After the 13-pixel box and its gap.
        check.Room(caption, box.Extent(caption).cx, width - Px(16, dpi));
        check.Room(caption, box.LineHeight(), height);
        break;
    case ControlKind::GroupBox:
        if (!caption.empty()) check.Room(caption, box.Extent(caption).cx, width - 2 * Px(8, dpi));
        break;
    case ControlKind::Static: {
        if (caption.empty() && !t.shows) break;
        const bool oneLine = (t.style & ControlStyle::VCenter) != 0;  // a centred image: one line
        const UINT flags = (oneLine ? DT_SINGLELINE : DT_WORDBREAK) | ((t.style & ControlStyle::NoPrefix) ? DT_NOPREFIX : 0) | DT_EXPANDTABS;
        std::vector<std::wstring> texts = caption.empty() ? Lines(t.shows) : std::vector<std::wstring>{caption};
        for (const std::wstring& text : texts) {
            // Laid out in the control's width as the static draws it: a word
            // that does not fit goes to a line the control may not have.
            const SIZE laid = box.Laid(text, width, flags);
            const SIZE whole = box.Laid(text, 0, flags & ~DT_WORDBREAK);
            check.Room(text, oneLine ? whole.cx : laid.cx, width);
            check.Room(text, laid.cy, height);
        }
        break;
    }
    case ControlKind::Edit: {
        RECT format{};
        SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        std::vector<std::wstring> texts = Lines(t.shows);
        texts.push_back(win32::WindowTextOf(hwnd));
        // The caret takes a pixel after the text.
        for (const std::wstring& text : texts) check.Room(text, box.Extent(text).cx + 1, format.right - format.left);
        check.Room(L"(a line)", box.LineHeight(), format.bottom - format.top);
        break;
    }
    case ControlKind::ListView: {
        HWND header = ListView_GetHeader(hwnd);
        const TextBox headings(header);
        int total = 0;
        for (int c = 0; c < Header_GetItemCount(header); ++c) {
            wchar_t text[256] = {};
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text;
            column.cchTextMax = 255;
            ListView_GetColumn(hwnd, c, &column);
            // The header leaves three edges (6 pixels at 96 DPI) on each side.
            check.Room(text, headings.Extent(text).cx + 2 * Px(6, dpi), column.cx);
            total += column.cx;
        }
        check.Room(L"(its columns side by side)", total, width);
        break;
    }
    case ControlKind::Bitmap: {
        BITMAP image{};
        auto shown = reinterpret_cast<HBITMAP>(SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        if (!shown || !GetObjectW(shown, sizeof image, &image)) {
            check.Say("shows no picture");
            break;
        }
        const RECT shownIn = RectInDialog(hwnd);
        RECT units{t.x, t.y, t.x + t.cx, t.y + t.cy};
        MapDialogRect(GetParent(hwnd), &units);
        if (image.bmWidth != shownIn.right - shownIn.left || std::abs(image.bmHeight) != shownIn.bottom - shownIn.top ||
            shownIn.right - shownIn.left < units.right - units.left)
            check.Say("its picture is " + std::to_string(image.bmWidth) + "x" + std::to_string(std::abs(image.bmHeight)) +
                      " in a box of " + std::to_string(shownIn.right - shownIn.left) + "x" + std::to_string(shownIn.bottom - shownIn.top) +
                      " made from one of " + std::to_string(units.right - units.left) + "x" + std::to_string(units.bottom - units.top));
        break;
    }
    default: break;
    }
}

bool Meet(const RECT& a, const RECT& b) { return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom; }
bool Within(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right && outer.bottom >= inner.bottom;
}

// Controls apart in the template stay apart, in the same order; what a group
// box frames in the template it still frames.
void CheckArrangement(const win32::DialogWindow& window, std::vector<std::string>& misfits)
{
    const auto units = [](const ControlTemplate& t) { return RECT{t.x, t.y, t.x + t.cx, t.y + t.cy}; };
    const auto& controls = window.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = 0; j < controls.size(); ++j) {
            const WindowHandle& a = *controls[i];
            const WindowHandle& b = *controls[j];
            if (i == j || !a.hwnd || !b.hwnd) continue;
            const RECT ta = units(*a.control);
            const RECT tb = units(*b.control);
            const RECT ra = RectInDialog(a.hwnd);
            const RECT rb = RectInDialog(b.hwnd);
            if (a.control->kind == ControlKind::GroupBox) {
                if (Within(ta, tb) && !Within(ra, rb)) misfits.push_back(Describe(b) + " left its group box " + Describe(a));
                continue;
            }
            if (b.control->kind == ControlKind::GroupBox) continue;
            if (i < j && !Meet(ta, tb) && Meet(ra, rb)) misfits.push_back(Describe(a) + " now overlaps " + Describe(b));
            // In one row, the order from left to right; in one column, from top to bottom.
            const bool row = ta.top < tb.bottom && tb.top < ta.bottom;
            const bool column = ta.left < tb.right && tb.left < ta.right;
            if (row && ta.right <= tb.left && ra.right > rb.left) misfits.push_back(Describe(a) + " no longer lies left of " + Describe(b));
            if (column && ta.bottom <= tb.top && ra.bottom > rb.top) misfits.push_back(Describe(a) + " no longer lies above " + Describe(b));
        }
    }
}

HWND Hwnd(CDialog& dialog) { return win32::HwndOf(&dialog); }

} // namespace

std::vector<std::string> TextsThatDoNotFit(CDialog& dialog)
{
    std::vector<std::string> misfits;
    win32::DialogWindow* window = win32::WindowOf(dialog.GetSafeHwnd());
    if (!window) return {"the dialog has no window"};
    const int dpi = DialogDpi(dialog);
    for (const auto& control : window->controls)
        if (control->hwnd && IsWindowVisible(control->hwnd)) CheckTexts(*control, dpi, misfits);
    CheckArrangement(*window, misfits);
    return misfits;
}

std::string OutsideWorkArea(CDialog& dialog)
{
    RECT frame{};
    GetWindowRect(Hwnd(dialog), &frame);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(Hwnd(dialog), MONITOR_DEFAULTTONEAREST), &monitor);
    if (Within(monitor.rcWork, frame)) return {};
    std::ostringstream out;
    out << "the window " << frame.left << "," << frame.top << " " << frame.right - frame.left << "x" << frame.bottom - frame.top
        << " leaves the work area " << monitor.rcWork.left << "," << monitor.rcWork.top << " "
        << monitor.rcWork.right - monitor.rcWork.left << "x" << monitor.rcWork.bottom - monitor.rcWork.top;
    return out.str();
}

namespace {

std::uint16_t Big16(const std::vector<unsigned char>& b, std::size_t at)
{
    return at + 2 <= b.size() ? static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]) : 0;
}

// The English family name (name 1, Windows platform) in a font's name table.
std::string FamilyIn(const std::vector<unsigned char>& table)
{
    const std::size_t count = Big16(table, 2);
    const std::size_t strings = Big16(table, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = 6 + 12 * i;
        if (Big16(table, record) != 3 || Big16(table, record + 4) != 0x0409 || Big16(table, record + 6) != 1) continue;
        const std::size_t length = Big16(table, record + 8);
        const std::size_t offset = strings + Big16(table, record + 10);
        std::wstring name;
        for (std::size_t k = 0; k + 1 < length && offset + k + 1 < table.size(); k += 2) name.push_back(static_cast<wchar_t>(Big16(table, offset + k)));
        return Utf8(name);
    }
    return {};
}

} // namespace

std::string DialogFontFace(CDialog& dialog)
{
    // The family of the font file the system chose, not the face asked for
    // (a replaced 굴림 still calls itself 굴림).
    HWND hwnd = Hwnd(dialog);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    constexpr DWORD kName = 'n' | 'a' << 8 | 'm' << 16 | static_cast<DWORD>('e') << 24;
    std::string family;
    const DWORD size = GetFontData(dc, kName, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0) {
        std::vector<unsigned char> table(size);
        if (GetFontData(dc, kName, 0, table.data(), size) == size) family = FamilyIn(table);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return family;
}

int DialogDpi(CDialog& dialog)
{
    HWND hwnd = Hwnd(dialog);
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi;
}

CSize ScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

} // namespace mrv::platform::testing

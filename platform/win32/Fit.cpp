// What each control's texts need, measured in the control's font as the
// control draws them, and the pixels the dialog then gets: room where a text
// does not fit, a vertical unit shrunk toward the font's em height where the
// dialog is taller than its screen, pictures stretched to their boxes.
#include "platform/win32/Fit.h"

#include "core/windows/Wide.h"
#include "platform/FitLayout.h"
#include "platform/win32/Images.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace mrv::platform::win32 {

namespace {

int Px(int at96, int dpi) { return MulDiv(at96, dpi, 96); }

std::vector<std::wstring> LinesOf(const char* utf8)
{
    std::vector<std::wstring> lines;
    if (!utf8 || !*utf8) return lines;
    const std::string text(utf8);
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(os::WideFromUtf8(text.substr(at, end == std::string::npos ? std::string::npos : end - at)));
        if (end == std::string::npos) return lines;
        at = end + 1;
    }
}

// Texts measured in one window's font.
class Measure {
public:
    explicit Measure(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd))
    {
        auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        m_old = font ? SelectObject(m_dc, font) : nullptr;
        GetTextMetricsW(m_dc, &m_metrics);
    }
    ~Measure()
    {
        if (m_old) SelectObject(m_dc, m_old);
        ReleaseDC(m_hwnd, m_dc);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // One line as DrawText lays it out; '&' marks a mnemonic unless noPrefix.
    int Width(const std::wstring& line, bool noPrefix) const
    {
        RECT r{0, 0, 0, 0};
        DrawTextW(m_dc, line.c_str(), static_cast<int>(line.size()), &r, DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
        return r.right - r.left;
    }
    // The widest of several lines, each on a line of its own, and their height.
    CSize Lines(const std::vector<std::wstring>& lines, bool noPrefix) const
    {
        CSize size{0, static_cast<int>(lines.size()) * m_metrics.tmHeight};
        for (const std::wstring& line : lines) size.cx = std::max(size.cx, Width(line, noPrefix));
        return size;
    }
    const TEXTMETRICW& Metrics() const { return m_metrics; }

private:
    HWND m_hwnd;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
    TEXTMETRICW m_metrics{};
};

CRect RectIn(HWND dialog, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// The frame's share of a window's size: its outer size less its client area.
CSize FrameOf(HWND hwnd)
{
    RECT outer;
    RECT client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
}

// A report list gets columns at least as wide as their headings, and room
// for all its columns side by side.
CSize ListNeed(HWND list, int dpi)
{
    HWND header = ListView_GetHeader(list);
    if (!header) return {};
    const Measure measure(header);
    const int columns = Header_GetItemCount(header);
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        wchar_t text[256] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 255;
        ListView_GetColumn(list, c, &column);
        // The header keeps a margin of three edges on each side of a heading.
        const int heading = measure.Width(text, true) + 2 * Px(6, dpi) + Px(2, dpi);
        if (ListView_GetColumnWidth(list, c) < heading) ListView_SetColumnWidth(list, c, heading);
        total += ListView_GetColumnWidth(list, c);
    }
    return {total + FrameOf(list).cx, 0};
}

// The room a control's own texts need: its caption, and what the template
// says it shows.
CSize NeedOf(const WindowHandle& control, int dpi)
{
    const ControlTemplate& t = *control.control;
    HWND hwnd = control.hwnd;
    const Measure measure(hwnd);
    const int line = measure.Metrics().tmHeight;
    const CSize frame = FrameOf(hwnd);
    const bool noPrefix = (t.style & ControlStyle::NoPrefix) != 0;
    const std::vector<std::wstring> caption = LinesOf(t.caption);
    const CSize text = measure.Lines(caption, noPrefix);
    const CSize shown = measure.Lines(LinesOf(t.shows), true);
    switch (t.kind) {
    case ControlKind::PushButton:
        // Inside the button's edges and focus rectangle.
        if (caption.empty()) return {};
        return {text.cx + frame.cx + 2 * Px(5, dpi), line + frame.cy + 2 * Px(2, dpi)};
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        // The box, the gap after it, then the caption.
        return {text.cx + Px(13, dpi) + Px(6, dpi), line};
    case ControlKind::GroupBox:
        // The caption sits in the top line, indented, with a gap on each side.
        return {caption.empty() ? 0 : text.cx + 2 * Px(10, dpi), 0};
    case ControlKind::Static:
        if (!caption.empty()) return {text.cx + frame.cx + 1, text.cy + frame.cy};
        if (shown.cx > 0) return {shown.cx + frame.cx + Px(2, dpi), line + frame.cy};
        return {};
    case ControlKind::Edit: {
        if (shown.cx == 0) return {};
        // Beside the text: the edit's frame and margins, and room for the caret.
        RECT format{};
        SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        RECT client{};
        GetClientRect(hwnd, &client);
        const int beside = frame.cx + (client.right - client.left) - (format.right - format.left);
        return {shown.cx + beside + Px(2, dpi), line + frame.cy};
    }
    case ControlKind::ListView: return ListNeed(hwnd, dpi);
    default: return {};
    }
}

// A picture as large as its box: the bitmap stretched (smoothly) to it.
void StretchPicture(DialogWindow& window, WindowHandle& picture, const CRect& box)
{
    HBITMAP source = LoadProgramBitmap(picture.control->resourceId);
    if (!source) return;
    BITMAP size{};
    GetObjectW(source, sizeof size, &size);
    HBITMAP shown = source;
    if ((size.bmWidth != box.Width() || std::abs(size.bmHeight) != box.Height()) && box.Width() > 0 && box.Height() > 0) {
        const BITMAPINFO info = TopDownBitmapInfo(box.Width(), box.Height());
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HBITMAP stretched = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        if (stretched) {
            HGDIOBJ oldFrom = SelectObject(from, source);
            HGDIOBJ oldTo = SelectObject(to, stretched);
            SetStretchBltMode(to, HALFTONE);
            SetBrushOrgEx(to, 0, 0, nullptr);
            StretchBlt(to, 0, 0, box.Width(), box.Height(), from, 0, 0, size.bmWidth, std::abs(size.bmHeight), SRCCOPY);
            SelectObject(from, oldFrom);
            SelectObject(to, oldTo);
            shown = stretched;
            DeleteObject(source);
        }
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
    }
    window.bitmaps.push_back(shown);
    auto previous = reinterpret_cast<HBITMAP>(SendMessageW(picture.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown)));
    // One the control had loaded itself is the program's to delete; the
    // window's own go with the window.
    if (previous && std::find(window.bitmaps.begin(), window.bitmaps.end(), previous) == window.bitmaps.end()) DeleteObject(previous);
    SetWindowPos(picture.hwnd, nullptr, box.left, box.top, box.Width(), box.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialog's window at its new client size, its centre where it was, inside the work area.
void Resize(HWND dialog, CSize client, const RECT& work)
{
    RECT outer;
    GetWindowRect(dialog, &outer);
    const CSize frame = FrameOf(dialog);
    const int width = client.cx + frame.cx;
    const int height = client.cy + frame.cy;
    int left = (outer.left + outer.right) / 2 - width / 2;
    int top = (outer.top + outer.bottom) / 2 - height / 2;
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void FitToFont(DialogWindow& window)
{
    HWND dialog = window.self.hwnd;
    if (!dialog) return;
    HDC screen = GetDC(dialog);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(dialog, screen);

    fit::Layout layout;
    RECT client;
    GetClientRect(dialog, &client);
    layout.client = {client.right, client.bottom};
    std::vector<WindowHandle*> placed;
    for (auto& control : window.controls) {
        if (!control->hwnd) continue;
        fit::Box box;
        box.kind = control->control->kind;
        box.style = control->control->style;
        if (box.kind == ControlKind::Icon) {
            // An icon picture has taken its icon's size.
            box.rect = RectIn(dialog, control->hwnd);
        } else {
            // The template's rectangle as a whole: the dialog manager rounds a
            // control's position and size apart, so that neighbours that touch
            // in the template may overlap by a pixel. A bitmap picture has
            // taken its image's size; its box is the template's too.
            const ControlTemplate& t = *control->control;
            RECT units{t.x, t.y, t.x + t.cx, t.y + t.cy};
            MapDialogRect(dialog, &units);
            box.rect = {units.left, units.top, units.right, units.bottom};
            if (box.kind == ControlKind::Bitmap) {
                // Where nothing moves, the picture's box is the one the dialog manager made.
                RECT size{0, 0, t.cx, t.cy};
                MapDialogRect(dialog, &size);
                box.rect.right = box.rect.left + size.right;
                box.rect.bottom = box.rect.top + size.bottom;
            } else {
                box.need = NeedOf(*control, dpi);
            }
        }
        layout.boxes.push_back(box);
        placed.push_back(control.get());
    }
    const CSize clientBefore = layout.client;

    bool moved = fit::MakeRoom(layout, Px(3, dpi));
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const TEXTMETRICW font = Measure(dialog).Metrics();
    if (font.tmHeight > 0) {
        const int room = (monitor.rcWork.bottom - monitor.rcWork.top) - FrameOf(dialog).cy;
        const double em = static_cast<double>(font.tmHeight - font.tmInternalLeading) / font.tmHeight;
        moved = fit::FitHeight(layout, room, em) || moved;
    }

    for (std::size_t i = 0; i < placed.size(); ++i) {
        const CRect& r = layout.boxes[i].rect;
        if (placed[i]->control->kind == ControlKind::Bitmap)
            StretchPicture(window, *placed[i], r);
        else if (moved && RectIn(dialog, placed[i]->hwnd) != r)
            SetWindowPos(placed[i]->hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moved && layout.client != clientBefore) Resize(dialog, layout.client, monitor.rcWork);
}

} // namespace mrv::platform::win32

// Plain values of the dialog framework: ids, flags, geometry, colours.
#pragma once

#include <cstdint>

// Results of a dialog or a message box.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Message box flags the program uses.
enum : unsigned {
    MB_OK = 0x0000,
    MB_YESNO = 0x0004,
    MB_ICONERROR = 0x0010,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_TYPEMASK = 0x000F,
    MB_ICONMASK = 0x00F0,
};

// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOW = 5 };

// Notification codes of the message tables.
enum : int {
    BN_CLICKED = 0,
    EN_CHANGE = 0x0300,
    NM_CLICK = -2,
    NM_DBLCLK = -3,
    NM_RCLICK = -5,
};

// Window messages that reach a control's OnChildNotify.
enum : unsigned { WM_DRAWITEM = 0x002B };

// Owner-draw state bits.
enum : unsigned { ODS_SELECTED = 0x0001, ODS_FOCUS = 0x0010 };

// List view item state and sub-item rectangle parts.
enum : unsigned { LVIS_FOCUSED = 0x0001, LVIS_SELECTED = 0x0002 };
enum : int { LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2 };
enum : int { LVCFMT_LEFT = 0 };

// Drawing.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : unsigned { TA_LEFT = 0, TA_TOP = 0 };
enum : unsigned { ETO_CLIPPED = 4 };
enum : int { COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14 };

using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

struct CPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// The header of every WM_NOTIFY: which control sent which code.
class CWnd;
struct NMHDR {
    CWnd* hwndFrom = nullptr;
    int idFrom = 0;
    int code = 0;
};

// Opaque handle of a window or control of the toolkit backend.
struct WindowHandle;
using HWND = WindowHandle*;

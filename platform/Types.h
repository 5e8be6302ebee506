// Plain values of the dialog framework: ids, flags, geometry, colours.
//
// The classic framework spells these as IDOK, MB_OK, SW_SHOW, NM_CLICK,
// COLORREF, HWND, RGB and so on. The Windows headers define most of those
// names as macros or declare them as types, and the native backend includes
// this header beside <windows.h>; so here the constants are scoped
// (CommandId::Ok, MsgBox::IconError, NotifyCode::Click ...) and the types are
// our own (WindowHandle, Color, NotifyHeader, MessageResult). The values are
// the platform's, so a backend may pass them through unchanged.
#pragma once

#include <cstdint>

// Ids of the standard commands: the buttons OK and Cancel (as control ids),
// the result of a dialog (EndDialog) and the answer of a message box.
namespace CommandId {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace CommandId

// Message box flags the program uses: one button set, one icon.
namespace MsgBox {
inline constexpr unsigned Ok = 0x0000;
inline constexpr unsigned YesNo = 0x0004;
inline constexpr unsigned IconError = 0x0010;
inline constexpr unsigned IconQuestion = 0x0020;
inline constexpr unsigned IconExclamation = 0x0030;
inline constexpr unsigned TypeMask = 0x000F;   // the button set
inline constexpr unsigned IconMask = 0x00F0;
} // namespace MsgBox

// Commands of CWnd::ShowWindow.
namespace ShowCmd {
inline constexpr int Hide = 0;
inline constexpr int Show = 5;
} // namespace ShowCmd

// Notification codes of the message tables: a button's click and an edit's
// change arrive as commands, a list's mouse clicks as notifications.
namespace NotifyCode {
inline constexpr int ButtonClicked = 0;
inline constexpr int EditChange = 0x0300;
inline constexpr int Click = -2;
inline constexpr int DoubleClick = -3;
inline constexpr int RightClick = -5;
} // namespace NotifyCode

// Window messages that reach a control's OnChildNotify.
namespace WindowMsg {
inline constexpr unsigned DrawItem = 0x002B;
} // namespace WindowMsg

// Owner-draw state bits of a row being painted.
namespace OwnerDrawState {
inline constexpr unsigned Selected = 0x0001;
inline constexpr unsigned Focus = 0x0010;
} // namespace OwnerDrawState

// List view item state bits.
namespace ListItemState {
inline constexpr unsigned Focused = 0x0001;
inline constexpr unsigned Selected = 0x0002;
} // namespace ListItemState

// Parts of a list cell's rectangle.
namespace ListItemRect {
inline constexpr int Bounds = 0;
inline constexpr int Icon = 1;
inline constexpr int Label = 2;
} // namespace ListItemRect

// List column alignment.
namespace ColumnFormat {
inline constexpr int Left = 0;
} // namespace ColumnFormat

// Drawing: background mode, text alignment, text output options.
namespace BkMode {
inline constexpr int Transparent = 1;
inline constexpr int Opaque = 2;
} // namespace BkMode
namespace TextAlign {
inline constexpr unsigned Left = 0;
inline constexpr unsigned Top = 0;
} // namespace TextAlign
namespace TextOutOption {
inline constexpr unsigned Clipped = 4;
} // namespace TextOutOption

// System colours of the theme.
namespace SysColor {
inline constexpr int Window = 5;
inline constexpr int WindowText = 8;
inline constexpr int Highlight = 13;
inline constexpr int HighlightText = 14;
} // namespace SysColor

// The result a message handler gives back to the sender.
using MessageResult = std::intptr_t;

// A colour as 0x00BBGGRR.
using Color = std::uint32_t;

constexpr Color ColorRgb(int r, int g, int b)
{
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRed(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int ColorGreen(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColorBlue(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

struct CPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const CSize&, const CSize&) = default;
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

// The header of every notification: which control sent which code.
class CWnd;
struct NotifyHeader {
    CWnd* hwndFrom = nullptr;
    int idFrom = 0;
    int code = 0;
};

// Opaque handle of a window or control of the toolkit backend, which defines
// it; the framework passes WindowHandle* around.
struct WindowHandle;

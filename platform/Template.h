// Dialog templates as data: what the dialog manager builds a window from.
// Positions and sizes are in dialog units; the backend converts them with the
// dialog font's base units (average character width / 4, height / 8).
#pragma once

#include <cstdint>
#include <span>

enum class ControlKind {
    PushButton,
    Edit,
    Static,       // text label or a sunken field that shows a member
    GroupBox,
    CheckBox,     // automatic check box
    RadioButton,  // automatic radio button
    ListView,     // report-style list view
    Bitmap,       // picture showing a bitmap resource
    Icon,         // picture showing an icon resource
    Line,         // horizontal black frame
};

// Style flags of a control. Several apply to one kind only.
enum ControlStyle : std::uint32_t {
    CS_NONE = 0,
    CS_GROUP = 1u << 0,          // starts a group (radio groups end before the next one)
    CS_TABSTOP = 1u << 1,
    CS_DISABLED = 1u << 2,
    CS_DEFAULT = 1u << 3,        // default push button: Enter activates it
    CS_SUNKEN = 1u << 4,         // sunken static field
    CS_CENTER = 1u << 5,         // text centred horizontally
    CS_VCENTER = 1u << 6,        // text centred vertically
    CS_RIGHT = 1u << 7,          // text right-aligned
    CS_BORDER = 1u << 8,
    CS_MULTILINE = 1u << 9,      // several lines (statics, button captions)
    CS_AUTOHSCROLL = 1u << 10,   // edit scrolls horizontally
    CS_RAISED = 1u << 11,        // push button with a raised double frame
    CS_NOPREFIX = 1u << 12,      // '&' is shown, not taken as a mnemonic
    CS_SINGLESEL = 1u << 13,     // list view allows one selected row
    CS_OWNERDRAW = 1u << 14,     // list view rows are painted by the program
    CS_HIDDEN = 1u << 15,
};
constexpr ControlStyle operator|(ControlStyle a, ControlStyle b)
{
    return static_cast<ControlStyle>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

struct ControlTemplate {
    ControlKind kind;
    int id;               // -1 for a label without identifier
    const char* caption;  // UTF-8 as the toolkit shows it; nullptr or "" for none
    int x, y, cx, cy;     // dialog units
    std::uint32_t style;
    int resourceId = 0;   // bitmap or icon shown by a picture control
};

enum DialogStyle : std::uint32_t {
    DS_NONE = 0,
    DS_CAPTION = 1u << 0,      // title bar
    DS_SYSMENU = 1u << 1,      // system menu and close box
    DS_MINIMIZEBOX = 1u << 2,
    DS_MODALFRAME = 1u << 3,
    DS_APPWINDOW = 1u << 4,    // shown on the task bar
    DS_NOBORDER = 1u << 5,     // popup without caption and border
    DS_VISIBLE = 1u << 6,      // a modeless dialog is shown as soon as it is created
};
constexpr DialogStyle operator|(DialogStyle a, DialogStyle b)
{
    return static_cast<DialogStyle>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

struct DialogTemplate {
    int id;
    int cx, cy;                 // dialog units
    const char* fontFace;       // e.g. "굴림"; the backend falls back to an installed Korean font
    int pointSize;
    const char* title;          // UTF-8
    std::uint32_t style;
    std::span<const ControlTemplate> controls;  // template order = tab order = z-order
};

// Defined by the program's resources (res/), or by a test's own table.
const DialogTemplate* FindDialogTemplate(int id);

// The images of an icon or bitmap resource, each as PNG bytes (an icon has one
// image per size); empty when there is none. Defined beside FindDialogTemplate.
struct ImageResource {
    std::span<const unsigned char> png;
};
std::span<const ImageResource> FindImageResource(int id);

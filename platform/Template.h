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

// Style flags of a control. Several apply to one kind only. Scoped, as the
// Windows headers define DS_ and CS_ names of their own (see Types.h).
namespace ControlStyle {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Group = 1u << 0;         // starts a group (radio groups end before the next one)
inline constexpr std::uint32_t TabStop = 1u << 1;
inline constexpr std::uint32_t Disabled = 1u << 2;
inline constexpr std::uint32_t Default = 1u << 3;       // default push button: Enter activates it
inline constexpr std::uint32_t Sunken = 1u << 4;        // sunken static field
inline constexpr std::uint32_t Center = 1u << 5;        // text centred horizontally
inline constexpr std::uint32_t VCenter = 1u << 6;       // text centred vertically
inline constexpr std::uint32_t Right = 1u << 7;         // text right-aligned
inline constexpr std::uint32_t Border = 1u << 8;
inline constexpr std::uint32_t MultiLine = 1u << 9;     // several lines (statics, button captions)
inline constexpr std::uint32_t AutoHScroll = 1u << 10;  // edit scrolls horizontally
inline constexpr std::uint32_t Raised = 1u << 11;       // push button with a raised double frame
inline constexpr std::uint32_t NoPrefix = 1u << 12;     // '&' is shown, not taken as a mnemonic
inline constexpr std::uint32_t SingleSel = 1u << 13;    // list view allows one selected row
inline constexpr std::uint32_t OwnerDraw = 1u << 14;    // list view rows are painted by the program
inline constexpr std::uint32_t Hidden = 1u << 15;
} // namespace ControlStyle

struct ControlTemplate {
    ControlKind kind;
    int id;               // -1 for a label without identifier
    const char* caption;  // UTF-8 as the toolkit shows it; nullptr or "" for none
    int x, y, cx, cy;     // dialog units
    std::uint32_t style;
    int resourceId = 0;   // bitmap or icon shown by a picture control
    // Texts the program puts into an edit or a field, one a line (nullptr:
    // none to speak of): the control is made wide enough for each of them.
    const char* shows = nullptr;
};

// Style flags of a dialog.
namespace DialogStyle {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Caption = 1u << 0;      // title bar
inline constexpr std::uint32_t SysMenu = 1u << 1;      // system menu and close box
inline constexpr std::uint32_t MinimizeBox = 1u << 2;
inline constexpr std::uint32_t ModalFrame = 1u << 3;
inline constexpr std::uint32_t AppWindow = 1u << 4;    // shown on the task bar
inline constexpr std::uint32_t NoBorder = 1u << 5;     // popup without caption and border
inline constexpr std::uint32_t Visible = 1u << 6;      // a modeless dialog is shown as soon as it is created
} // namespace DialogStyle

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

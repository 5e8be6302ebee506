// Making room for texts in a dialog laid out from its template: the dialog
// manager places controls by dialog units, which follow the average width of
// the Latin letters of the dialog's font, while most captions are Hangul,
// whose width relative to that average differs from one Korean font to the
// next. Once a dialog is made in the font it got, the backend measures what
// each control's texts need and lets these rules make room, in pixels,
// keeping the template's arrangement: what stood left of, above or inside
// another control still does.
#pragma once

#include "platform/Template.h"
#include "platform/Types.h"

#include <vector>

namespace mrv::platform::fit {

// One control of the dialog.
struct Box {
    CRect rect;           // in the dialog's client pixels
    CSize need;           // the room its texts need inside rect's size; 0: nothing to fit that way
    ControlKind kind = ControlKind::Static;
    std::uint32_t style = 0;  // ControlStyle flags: a right-aligned or centred text grows to its left too
};

struct Layout {
    CSize client;  // the dialog's client area
    std::vector<Box> boxes;
};

// Gives every box the room its texts need. A box first grows into the free
// space beside it (to the right; a right-aligned one to the left, a centred
// one to both sides), keeping `gap` pixels from its neighbours and from the
// frame of a group box around it. Where that is not enough, a strip as wide as
// what is still missing is put in at the box's right edge across the whole
// dialog: what lies right of it moves right, what crosses it (the box, its
// group box, a wide control below) grows, and the dialog with them. Heights
// likewise, downwards. Returns true when anything moved.
bool MakeRoom(Layout& layout, int gap);

// Makes the client area at most maxHeight pixels high by scaling every
// vertical position and height, by no less than minScale (the vertical unit
// may shrink toward the font's em height, not below it); a box keeps the
// height its text needs where it had it. Returns true when anything moved.
bool FitHeight(Layout& layout, int maxHeight, double minScale);

} // namespace mrv::platform::fit

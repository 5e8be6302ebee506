// What a user of the Windows dialogs sees of their texts: whether each fits
// its control in the font the dialog got, measured as the controls draw them.
// Implemented for the Windows backend only; the tests that use it are
// Windows tests.
#pragma once

#include "platform/Dialog.h"

#include <string>
#include <vector>

namespace mrv::platform::testing {

// One line for each of the dialog's own texts that does not fit its control
// (captions, column headings, and what the template says a field or an edit
// shows, and what an edit shows now), for each control that left the place
// the template gives it among the others (one beside, above or inside
// another), and for a picture not stretched to its box. Empty when all fit.
std::vector<std::string> TextsThatDoNotFit(CDialog& dialog);

// Empty when the dialog's window lies inside its screen's work area, else why not.
std::string OutsideWorkArea(CDialog& dialog);

// The family of the font the system chose for the dialog's 굴림 (a
// replaced 굴림 still gives its face as 굴림), the DPI its controls are drawn
// at, and the screen's size, for the test's log.
std::string DialogFontFace(CDialog& dialog);
int DialogDpi(CDialog& dialog);
CSize ScreenSize();

} // namespace mrv::platform::testing

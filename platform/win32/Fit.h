// Making room in a dialog for its texts in the font the dialog got, and
// fitting it onto its screen.
#pragma once

#include "platform/win32/Window.h"

namespace mrv::platform::win32 {

// Called once the dialog's initialisation has run (its lists have their
// columns): measures each control's texts in the control's font and, where
// one does not fit, makes room (platform/FitLayout.h); shrinks the vertical
// unit of a dialog taller than its screen's work area toward the font's em
// height; stretches bitmap pictures to their boxes. The window keeps its
// centre where it grows.
void FitToFont(DialogWindow& window);

} // namespace mrv::platform::win32

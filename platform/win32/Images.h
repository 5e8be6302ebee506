// The program's images (icons and bitmaps by resource id) for windows and
// picture controls.
#pragma once

#include "platform/win32/Window.h"

namespace mrv::platform::win32 {

// A bitmap resource, or nullptr; the caller deletes it.
HBITMAP LoadProgramBitmap(int id);
// An icon resource at the size nearest to `size` pixels, or nullptr.
HICON LoadProgramIcon(int id, int size);
// The header of a 32-bit bitmap whose rows run from the top down, as the
// program's pixels and grabs of the screen lie in memory.
BITMAPINFO TopDownBitmapInfo(int width, int height);

} // namespace mrv::platform::win32

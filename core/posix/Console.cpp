#include "core/Console.h"

#include <unistd.h>

namespace mrv::os {

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

// POSIX streams carry bytes; the terminal decodes them.
void UseUtf8Streams() {}

} // namespace mrv::os

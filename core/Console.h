// The process's standard streams, for the command-line tool: UTF-8 text in
// and out on every system.
#pragma once

namespace mrv::os {

// Whether standard input is a terminal that a person types at.
bool StdinIsTerminal();

// Sets the standard streams up to carry UTF-8. On Windows a console shows it
// through the wide-character calls (whatever its code page), and files and
// pipes get the bytes exactly as on other systems, with "\n" line ends.
void UseUtf8Streams();

} // namespace mrv::os

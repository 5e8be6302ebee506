// mrvtool: the command-line tool over the registry and link file formats.
// Run() is the whole tool; main() only hands it the process's streams, so the
// tests can also drive it in-process with a scripted terminal and clock.
#pragma once

#include "registry/RegistryFile.h"

#include <functional>
#include <iosfwd>
#include <span>
#include <string>

namespace mrv::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,        // refused or failed; the file is untouched
    kExitUsage = 2,         // the command line is wrong
    kExitNotConfirmed = 3,  // the change was made, but its last flush or the output failed
};

struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;                     // a confirmation can be asked
    std::function<registry::LocalTime()> now;      // the local clock, for backup names
    bool changedFile = false;                      // set once a command has changed a file
};

// args: the command line without the program name.
int Run(std::span<const std::string> args, Console& console);

} // namespace mrv::cli

// Questions on the terminal before a change, and the refusals that follow
// when there is no terminal or the answer is not yes.
#pragma once

#include "cli/Cli.h"

#include <optional>
#include <string_view>

namespace mrv::cli {

// "mrvtool COMMAND: message" on stderr; the command's status for a refusal.
int Refuse(Console& c, std::string_view command, std::string_view message);

// Asks question (without "(y/N)") on stderr and reads the answer from stdin.
// Yes: nullopt, go on. Otherwise the exit status of a refusal that says why:
// with no terminal to ask on, that --yes goes on without asking (toDoIt:
// "지우려면", to delete); with any answer but yes, declined.
std::optional<int> Ask(Console& c, std::string_view command, std::string_view question, std::string_view toDoIt,
                       std::string_view declined);

} // namespace mrv::cli

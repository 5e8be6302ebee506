// What mrvtool writes: UTF-8 on the terminal, CP949 in the files.
#pragma once

#include "cli/Args.h"
#include "core/Result.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace mrv::cli {

// A UTF-8 text from the command line in CP949, or an error that names the
// option and the first character CP949 cannot hold.
Result<std::string> ToCp949(std::string_view utf8, std::string_view what);

// CP949 bytes from a file for the terminal; bytes that are not CP949 show as U+FFFD.
std::string ToUtf8(std::string_view cp949);

// A JSON string literal, quotes included.
std::string JsonString(std::string_view utf8);

// A field of a tab-separated line: tab, newline and the other control
// characters as \t, \n, \xNN, and the backslash doubled, so one entry is
// always one line.
std::string TsvField(std::string_view utf8);
void AppendTsvField(std::string& out, std::string_view utf8);
// A JSON string literal, quotes included, appended to out.
void AppendJsonString(std::string& out, std::string_view utf8);

// "mrvtool CMD: message" on stderr; the file is named when the message does not.
void PrintError(std::ostream& err, std::string_view command, const Error& e);

struct Console;
// Prints the error and gives the command's exit status: kExitNotConfirmed for
// a change that was made but not confirmed on the disk, else kExitFailed.
int Failed(Console& console, std::string_view command, const Error& e);

// Message, usage line and the hint to --help on stderr; returns kExitUsage.
int PrintUsageError(std::ostream& err, const CommandSpec& spec, std::string_view message);

} // namespace mrv::cli

// Rules of the operating system beyond its file calls: which folders belong
// to the installed system, which typed names name a file of a folder, and the
// local calendar. This header is the same on every system; core/posix/ and
// core/windows/ implement it.
#pragma once

#include <ctime>
#include <filesystem>
#include <string_view>

namespace mrv::os {

// A folder of the installed system (where a package puts the program on
// Linux): never a place for the user's files, even for root, who could write
// there. Windows: none by this rule (a folder the user cannot write is found
// by trying).
bool IsSystemFolder(const std::filesystem::path& folder);

// True when a name the user typed (UTF-8) names a file of the folder itself:
// not empty, not "." or "..", without a separator (nor, on Windows, a drive
// colon, which on NTFS would also name a hidden stream of a file).
bool IsPlainFileName(std::string_view utf8);

// The calendar fields of a moment in the user's time zone.
std::tm LocalCalendar(std::time_t moment);

} // namespace mrv::os

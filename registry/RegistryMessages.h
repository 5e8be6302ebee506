// Texts of the registry's refusals, spelled once: the registry core puts them
// in its errors, and the window shows them in its own message boxes.
#pragma once

#include <string_view>

namespace mrv::registry::messages {

// Append refuses an entry whose path, or else whose title, the file holds.
inline constexpr std::string_view kDuplicatePath = "중복된 화일이 존재 합니다....";   // a duplicate file exists
inline constexpr std::string_view kDuplicateTitle = "중복된 곡명이 존재 합니다....";  // a duplicate song title exists

} // namespace mrv::registry::messages

// What the import says to the user, spelled once: the window and mrvtool build
// their sentences from these. UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mrv::songs::messages {

inline constexpr std::string_view kNothingToImport = "추가할 곡이 없습니다.";
inline constexpr std::string_view kNothingImported = "추가하지 않았습니다.";
// The state of a row: added, or left out with the reason.
inline constexpr std::string_view kWillBeAdded = "추가";
inline std::string LeftOut(std::string_view reason) { return "빠짐: " + std::string(reason); }

// The question before an import: how many songs go where, how many stay out.
inline std::string ImportQuestion(std::int64_t added, std::int64_t leftOut, std::string_view saveFolder)
{
    std::string s = std::to_string(added) + "곡을 추가하시겠습니까? 음원 화일과 링크 화일을 '";
    s += saveFolder;
    s += "' 에 쓰고, 레지스트리화일은 먼저 백업해 둡니다.";
    if (leftOut > 0) s += " (빠지는 곡 " + std::to_string(leftOut) + "개)";
    return s;
}
inline std::string Imported(std::int64_t added) { return std::to_string(added) + "곡을 추가했습니다."; }

} // namespace mrv::songs::messages

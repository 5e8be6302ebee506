// What the registry's changes say to the user, spelled once: the core puts
// these in its errors, and both the window and mrvtool build their sentences
// from them. UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mrv::registry::messages {

// Append refuses an entry whose path, or else whose title, the file holds.
inline constexpr std::string_view kDuplicatePath = "중복된 화일이 존재 합니다....";   // a duplicate file exists
inline constexpr std::string_view kDuplicateTitle = "중복된 곡명이 존재 합니다....";  // a duplicate song title exists

// The question before a deletion, after "[title : path] ": delete from the list?
inline constexpr std::string_view kDeleteQuestion = "을 목록에서 삭제 하시겠습니까?";
// "[title : path] 을 목록에서 삭제 하시겠습니까?", in the encoding of its texts:
// the window passes CP949 texts and the question in CP949.
inline std::string DeleteQuestion(std::string_view title, std::string_view path, std::string_view question = kDeleteQuestion)
{
    std::string s = "[";
    s += title;
    s += " : ";
    s += path;
    s += "] ";
    s += question;
    return s;
}

// A deletion refused because the entry at its place is no longer the one the
// user was shown: the registry changed since.
inline constexpr std::string_view kChangedSinceShown = "레지스트리화일이 그 항목을 보여 준 뒤에 바뀌었습니다.";
inline constexpr std::string_view kNothingDeleted = "지우지 않았습니다.";

// An index the registry has no entry at (indexes count from 0).
inline std::string NoSuchEntry(std::int64_t index, std::int64_t count)
{
    return std::to_string(index) + "번 항목이 없습니다: 목록에는 항목이 " + std::to_string(count) + "개 있습니다.";
}

} // namespace mrv::registry::messages

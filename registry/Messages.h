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

// Going back to a backup. name: the backup's file name; when: as BackupTimeText shows it.
inline std::string RestoreQuestion(std::string_view name, std::string_view when, std::int64_t entries)
{
    std::string s = "'";
    s += name;
    s += "' (";
    s += when;
    s += ", 항목 " + std::to_string(entries) + "개) 으로 레지스트리화일을 되살리시겠습니까? 지금의 레지스트리화일은 먼저 백업해 둡니다.";
    return s;
}
inline constexpr std::string_view kAlreadyEqual = "이 백업은 지금의 레지스트리화일과 같습니다. 바꾼 것이 없습니다.";
inline std::string NotRestorable(std::string_view reason) { return "이 백업은 되살릴 수 없습니다: " + std::string(reason); }
inline constexpr std::string_view kNothingRestored = "되살리지 않았습니다.";

// Tidying: removing all backups but the newest keep.
inline std::string TidyQuestion(std::int64_t count, std::uint64_t bytes, std::int64_t keep)
{
    return "백업화일 " + std::to_string(count) + "개(" + std::to_string(bytes) + "바이트)를 지우고 가장 새로운 " +
           std::to_string(keep) + "개를 남기시겠습니까?";
}
inline std::string NothingToTidy(std::int64_t keep)
{
    return "지울 백업화일이 없습니다: 백업화일이 " + std::to_string(keep) + "개 이하입니다.";
}
inline std::string Tidied(std::int64_t count, std::uint64_t bytes)
{
    return "백업화일 " + std::to_string(count) + "개(" + std::to_string(bytes) + "바이트)를 지웠습니다.";
}
inline constexpr std::string_view kNothingTidied = "지우지 않았습니다.";

} // namespace mrv::registry::messages

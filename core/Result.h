// Errors as values: every fallible operation of the format core returns a
// Result that says what failed and where, so the dialogs can turn it into a
// message box and mrvtool into a line on stderr.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <variant>

namespace mrv {

enum class ErrorCode {
    OpenFailed,      // the file could not be opened
    ReadFailed,      // a read returned fewer bytes than asked for, or failed
    WriteFailed,     // a write, flush or rename failed
    NotRegularFile,  // a folder, device or other non-file
    Damaged,         // the bytes do not follow the format
    TextTooLong,     // a text does not fit its field
    BackupFailed,    // the backup copy asked for could not be written
    OutOfRange,      // an index or number outside what is allowed
    InvalidArgument, // anything else the caller got wrong
    Exists,          // a name that had to be new is taken
    Busy,            // another writer holds the file
    TooLarge,        // a file beyond what the program reads
    Stale,           // the file no longer holds what the caller last saw there
    DuplicatePath,   // a registry entry with this path is already there
    DuplicateTitle,  // a registry entry with this title is already there
    Unsupported,     // the system or file system cannot do what was asked
    // The change was made, but its last flush to the disk failed: the file
    // may still be as it was after a crash. Not an "unchanged" failure.
    NotConfirmed,
};

struct Error {
    ErrorCode code = ErrorCode::InvalidArgument;
    std::string message;            // UTF-8, Korean, whole sentence, for the user
    std::int64_t offset = -1;       // byte offset in the file where it went wrong, -1 if none
    std::filesystem::path file;     // the file concerned, empty if none
    // What a front end may build a sentence of its own from, where it wants
    // one: the entry concerned (from 0) and how many entries there are; -1 if none.
    std::int64_t index = -1;
    std::int64_t count = -1;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}
    Result(Error error) : m_v(std::move(error)) {}

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }

    const Error& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, Error> m_v;
};

struct Ok {};
using Status = Result<Ok>;

} // namespace mrv

// Whole-file reads and whole-or-nothing writes for the format core.
//
// Every file the program writes appears whole or not at all: it is written
// under a short random name beside its final name, flushed, and only then
// renamed. A failure removes the temporary file again; a leftover of a killed
// run is removed by the next write into the same folder.
#pragma once

#include "core/FileSystem.h"
#include "core/Result.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mrv {

using Bytes = std::vector<std::uint8_t>;

// Reads a regular file whole. Refuses folders, devices and fifos, and a file
// larger than limit (TooLarge) before reading any of it.
Result<Bytes> ReadWholeFile(const std::filesystem::path& file, std::uint64_t limit = UINT64_MAX);

// What writes the content of a new file, piece by piece, through write.
using Producer = std::function<Status(const std::function<Status(std::span<const std::uint8_t>)>& write)>;
Producer BytesProducer(std::span<const std::uint8_t> bytes);

// A file being written under a temporary name in a folder. Unless it is
// placed under its final name, it is removed again when this object goes.
class PendingFile {
public:
    // A new empty file with permission bits mode, under a name no other file
    // has, in folder.
    static Result<PendingFile> Create(const std::filesystem::path& folder, std::uint32_t mode);

    PendingFile(PendingFile&&) noexcept = default;
    PendingFile& operator=(PendingFile&&) noexcept;
    ~PendingFile();

    os::File& File() { return *m_file; }
    std::uint64_t Size() const { return m_size; }
    // Writes at the end of what was written so far.
    Status Append(std::span<const std::uint8_t> bytes);
    Status Write(const Producer& content);

    // Flushes the file, then renames it over target in one step. heldTarget
    // is target's file where the caller holds it open and locked.
    Status Replace(const std::filesystem::path& target, os::File* heldTarget = nullptr);
    // Flushes the file, then gives it the name target, which must be free
    // (Exists when it is not).
    Status Place(const std::filesystem::path& target);
    // Places the file under the first free name of names(1), names(2), ...
    // names(maxNames), and yields it.
    Result<std::filesystem::path> PlaceFirstFree(const std::function<std::filesystem::path(int)>& names, int maxNames);

private:
    PendingFile(std::filesystem::path path, os::File file) : m_path(std::move(path)), m_file(std::move(file)) {}
    void Discard();

    std::filesystem::path m_path;
    std::optional<os::File> m_file;
    std::uint64_t m_size = 0;
    std::uint64_t m_writtenBack = 0;
    bool m_synced = false;
};

// Writes content as the whole of target, replacing a file of that name whole
// or not at all. A symbolic link is followed: the file it names is replaced.
// A replaced file keeps its owner, group and permission bits; where renaming
// could not keep them (a file with several hard links, or one whose owner this
// process cannot give a new file), target is rewritten in place instead. A new
// file gets newMode, or read and write for everyone less the umask.
Status WriteFileWhole(const std::filesystem::path& target, const Producer& content,
                      std::optional<std::uint32_t> newMode = std::nullopt);
Status WriteFileWhole(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                      std::optional<std::uint32_t> newMode = std::nullopt);

// Writes content as a new file under the first free name of names(1),
// names(2), ... names(maxNames): never replaces anything, and the name only
// appears once the file is whole and on the disk. Yields the name taken.
Result<std::filesystem::path> WriteNewFile(const std::function<std::filesystem::path(int)>& names, int maxNames,
                                           const Producer& content, std::uint32_t mode);

// Removes the temporary files of writes that never finished (their program
// was killed) from folder. Files of writes still running are left alone.
void RemoveLeftovers(const std::filesystem::path& folder);

// Opens an existing regular file for reading and writing and takes the lock
// that every writer of this program honours. A file another writer holds is
// waited for up to wait, then refused (Busy). The file is the one the path
// names when the lock is granted.
Result<os::File> OpenForChange(const std::filesystem::path& file, std::chrono::milliseconds wait);

// A message for a failed system call on a file, in Korean, with the reason.
Error FileError(ErrorCode code, const std::filesystem::path& file, const char* action, int systemError);
// The error, saying at which byte of the file it happened.
inline Error AtOffset(Error e, std::uint64_t offset)
{
    e.offset = static_cast<std::int64_t>(offset);
    return e;
}
// The refusal of a folder, device or fifo where a file is expected.
Error NotRegularFileError(const std::filesystem::path& file);
// A file that ended at offset before the bytes asked for.
Error ShortFileError(const std::filesystem::path& file, std::uint64_t offset);
// A file larger than limit bytes.
Error TooLargeError(const std::filesystem::path& file, std::uint64_t size, std::uint64_t limit);

// The file's name in single quotes, for messages.
std::string Quoted(const std::filesystem::path& file);

} // namespace mrv

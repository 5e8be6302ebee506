// The operating system's file calls, as the format core needs them. This header
// is the same on every system; core/posix/ and core/windows/ implement it.
//
// Everything here reports failure as an Error whose text names the file and the
// system's reason. Paths are std::filesystem::path; callers build them from
// UTF-8 (PathFromUtf8) and show them with PathText, never through the C locale.
#pragma once

#include "core/Result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace mrv::os {

namespace fs = std::filesystem;

// Identifies a file whatever name reaches it (device and inode, or volume and
// file index).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

struct FileInfo {
    bool regular = false;
    bool folder = false;
    std::uint64_t size = 0;
    std::uint64_t links = 1;          // names the file has (hard links)
    FileId id;
    std::uint32_t mode = 0;           // permission bits where the system has them, else 0
    std::int64_t owner = -1;          // user and group ids where the system has them, else -1
    std::int64_t group = -1;
    std::int64_t modifiedNs = 0;      // last change of the content (of a folder: of its names)
    // Of a folder: whether its modifiedNs moves whenever a name in it comes,
    // goes or changes. Windows keeps that on NTFS and ReFS, not on FAT.
    bool namesMoveTime = true;
};

// An open regular file. Closing it (destruction) releases its lock.
class File {
public:
    enum class Access { Read, ReadWrite };

    // An existing regular file. Never creates one, never blocks on a fifo:
    // a folder, device or fifo is refused with NotRegularFile.
    static Result<File> Open(const fs::path& path, Access access);
    // A new file that must not exist yet (Exists when the name is taken by
    // anything), open for reading and writing, with permission bits mode
    // where the system has them.
    static Result<File> CreateNew(const fs::path& path, std::uint32_t mode);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    const fs::path& Path() const { return m_path; }

    Result<FileInfo> Info() const;
    // Up to out.size() bytes from offset; fewer only at the end of the file.
    Result<std::size_t> ReadSome(std::uint64_t offset, std::span<std::uint8_t> out);
    // Exactly out.size() bytes from offset; a file that ends early is a ReadFailed.
    Status ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
    // All of bytes at offset; writing past the end lengthens the file.
    Status WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    Status Truncate(std::uint64_t size);
    // Returns once everything written so far is on the disk.
    Status Sync();
    // Asks the system to start writing a range to the disk now, without
    // waiting, so that a later Sync has less to wait for. A hint only.
    void StartWriteBack(std::uint64_t offset, std::uint64_t length);
    // Sets the time of the content's last change (nanoseconds since 1970),
    // as far as the system keeps it: a copy that stands for an older file
    // keeps that file's time.
    Status SetModified(std::int64_t ns);
    // Gives the file the owner, group and permission bits of info, as far as
    // the system keeps them. Fails when they cannot all be given (a file of
    // another user, a group we are not in).
    Status TakeOwnershipOf(const FileInfo& info);
    // An exclusive advisory lock that every writer of this program honours.
    // False when another holder has it. A file system that keeps no locks
    // counts as granting it.
    Result<bool> TryLock();
    // True while another writer of this program, which held the lock before
    // us, is replacing this file by a rename (ReplaceHeld): the file is on its
    // way out, and a writer must open the name again.
    bool BeingReplaced() const;
    // Closes the file now; its lock goes with it.
    void Close();

private:
    File(fs::path path, std::intptr_t handle) : m_path(std::move(path)), m_handle(handle) {}

    fs::path m_path;
    std::intptr_t m_handle = -1;
};

// The file a name stands for: follows symbolic links of the last component
// until a name that is not one (which need not exist yet).
Result<fs::path> FinalPath(const fs::path& path);

// Follows symbolic links. NotFound-like failures are OpenFailed.
Result<FileInfo> Stat(const fs::path& path);

// Renames from to to, replacing a file of that name in one step.
Status RenameReplacing(const fs::path& from, const fs::path& to);
// RenameReplacing(from, to) where held is the file named to, open and locked
// by the caller. Windows renames over no open file, so there held is closed
// just before the rename; other writers see BeingReplaced() meanwhile and
// keep away. Elsewhere held stays open and locked until the caller ends.
Status ReplaceHeld(File& held, const fs::path& from, const fs::path& to);
// Renames from to to; Exists, changing nothing, when to is taken.
Status RenameNoReplace(const fs::path& from, const fs::path& to);
Status RemoveFile(const fs::path& path);
// Gives the file existing the further name link, which must be free (Exists
// when it is not). Unsupported where the file system has no hard links or
// the two names lie on different volumes.
Status LinkNoReplace(const fs::path& existing, const fs::path& link);
// Flushes a folder's names to the disk, so that a new or renamed name
// survives a crash. Systems that cannot do it count as done.
Status SyncFolder(const fs::path& folder);

// HiddenFile: a file that the file manager does not show (on Windows, one
// with the hidden or the system attribute; Wine gives it to names that
// start with a dot). Elsewhere such files are told by their names.
enum class EntryType { File, HiddenFile, Folder, Other };
// Calls visit for each entry of a folder but "." and "..", in the system's
// order, until it returns false. Symbolic links are followed for the type.
// Fails when the folder cannot be listed.
Status ListFolder(const fs::path& folder, const std::function<bool(std::string_view name, EntryType type)>& visit);

// Permission bits for a new file: read and write for everyone, less the umask.
std::uint32_t NewFileMode();

// A fresh random text of n letters and digits, for names of temporary files.
std::string RandomName(std::size_t n);

// A file name as the file system compares names: on Windows, where letter
// case does not tell names apart, in upper case; elsewhere unchanged. UTF-8.
std::string FoldName(std::string_view utf8);

// A path from UTF-8 bytes, whatever the C library's locale.
fs::path PathFromUtf8(std::string_view utf8);
// A path as UTF-8, with the system's separators, for messages and output.
std::string PathText(const fs::path& path);

// The system's text for one of its error numbers, as UTF-8.
std::string SystemErrorText(int error);

// ---- Testing --------------------------------------------------------------------
// Every create, write, flush, truncate, rename, remove and lock first asks the hook.
// When it answers true the operation fails as the disk would: a write first
// writes half of its bytes. A hook may also end the process there, to stand
// for a crash.
enum class FaultPoint { Create, Write, Sync, Truncate, Rename, Remove, Lock };
using FaultHook = std::function<bool(FaultPoint point, const fs::path& path)>;
void SetFaultHook(FaultHook hook);
// For the implementations: asks the hook, if one is set.
bool FaultInjected(FaultPoint point, const fs::path& path);

} // namespace mrv::os

// What the backups and the changes of a registry share: the words of a change
// that did not happen or was not confirmed, the registry opened for a change,
// and the backups as a change writes them. Not for use outside registry/.
#pragma once

#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "core/LocalClock.h"
#include "core/Result.h"
#include "registry/RecordSource.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mrv::registry::change {
namespace fs = std::filesystem;

inline constexpr std::string_view kBackupFailed = "백업화일을 만들 수 없습니다"; // the backup could not be made
// Backups made within one second get "_2", "_3", ... up to this many names.
inline constexpr int kMaxBackupNames = 1000;

inline fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

inline Error WithFile(Error e, const fs::path& file)
{
    if (e.file.empty()) e.file = file;
    return e;
}

inline Error Unchanged(Error e)
{
    e.message += " 레지스트리화일은 바꾸지 않았습니다.";
    return e;
}

inline Error BackupError(Error e)
{
    e.code = ErrorCode::BackupFailed;
    e.message = std::string(kBackupFailed) + ". " + e.message;
    return e;
}

// A change that may or may not have reached the disk.
inline Error NotConfirmed(Error e, std::string_view what, const std::optional<fs::path>& backup)
{
    e.code = ErrorCode::NotConfirmed;
    e.message += " ";
    e.message += what;
    if (backup) e.message += " 바꾸기 전의 화일은 " + Quoted(*backup) + " 에 있습니다.";
    return e;
}

// Writes the bytes of a registry that the walk moves past into a backup.
class BackupCopy {
public:
    static Result<BackupCopy> Create(const fs::path& registry, std::uint32_t mode);
    Status Take(std::span<const std::uint8_t> bytes);
    // The error of a walk whose tap may have been this copy.
    Error Failure(Error walkError) const;
    // Puts the whole copy under the backup name of registry at time t: the
    // first of name, name_2, name_3, ... that is free.
    Result<fs::path> Place(const fs::path& registry, const LocalTime& t);
    // Copies all of an open file, for when the pass over it could not.
    Status CopyFrom(os::File& file, std::uint64_t size, std::size_t piece);
    // The names a backup of registry at time t may take, first to last.
    static std::function<fs::path(int)> BackupNames(const fs::path& registry, const LocalTime& t);

private:
    explicit BackupCopy(PendingFile pending) : m_pending(std::move(pending)) {}

    PendingFile m_pending;
    std::optional<Error> m_failure;
};

struct Opened {
    fs::path target;   // the file itself, links followed
    os::File file;
    os::FileInfo info;
};

// The registry, locked for a change and not larger than the program handles.
// A backup that is still the registry under another name first gets bytes of
// its own, so that no change reaches it.
Result<Opened> OpenRegistryForChange(const fs::path& file, std::chrono::milliseconds lockWait, std::size_t piece);

// The file beside the registry that a change writes the new content into and
// renames over it; nullopt where a rename would part the registry from its
// other names or its owner, so that it is changed in place. What killed
// writers left in the folders goes first.
Result<std::optional<PendingFile>> ReplacementFor(const Opened& reg, const fs::path& file);

// Writes the first length bytes of from over the start of to, cuts to there
// and flushes.
Status Rewrite(os::File& to, os::File& from, std::uint64_t length, std::size_t piece);
// A change in place that failed with e: the registry written back whole from
// its backup copy (Unchanged(e)), or NotConfirmed when even that failed.
Error PutBack(os::File& reg, const fs::path& backup, std::uint64_t length, std::size_t piece, Error e);

// Copies length bytes of from, starting at offset, to the end of to.
Status CopyRange(os::File& from, std::uint64_t offset, std::uint64_t length, PendingFile& to, std::size_t piece);

// Gives a backup that is the registry under another name (a deletion killed
// or refused between linking it and its rename) bytes of its own, with the
// registry's time. The registry may be closed afterwards (Windows renames
// over no open file).
Status SeparateBackup(Opened& reg, const fs::path& backup, std::size_t piece);

// The backup of a registry that is about to be replaced by a rename: the old
// file itself under the backup name (a copy where the file system has no
// hard links).
Result<fs::path> BackupByLink(os::File& reg, const os::FileInfo& info, const fs::path& target, const fs::path& file,
                              const LocalTime& t, std::size_t piece);

// A linked backup keeps the replaced file's own time, the time of its last
// change; once the registry has a file of its own, the backup gets the time it
// was made, as a copy has.
void StampAsMadeNow(const fs::path& backup);

} // namespace mrv::registry::change

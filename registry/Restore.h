// Going back to an earlier modreg.dat: the backups beside a registry, newest
// first, each with what it holds and whether it can be restored; restoring
// one whole or not at all (the registry backed up first like any change);
// and tidying away all but the newest few.
#pragma once

#include "core/LocalClock.h"
#include "core/Result.h"
#include "registry/Backups.h"
#include "registry/Changes.h"
#include "registry/ReadOptions.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mrv::registry {

struct BackupInfo {
    std::filesystem::path path;
    std::string name;                   // the file name, UTF-8
    BackupNameFields fields;            // what the name tells
    std::optional<LocalTime> modified;  // the file's own time (it has the month the name lacks)
    std::int64_t modifiedNs = 0;
    std::uint64_t size = 0;
    std::int32_t entries = 0;
    bool file = false;                  // a regular file of its own (not a folder or a link)
    bool restorable = false;
    std::string reason;                 // UTF-8: why it cannot be restored
};

// The backups of file (its name as the user gave it), newest first: the
// files beside it named as its backups, with or without "_N". Backups of
// other registries in the same folder are not among them. A folder, a link to
// elsewhere, a file larger than a registry may be or one that does not read
// as a sound registry is listed as not restorable, with the reason.
Result<std::vector<BackupInfo>> ListBackups(const std::filesystem::path& file, const ReadOptions& read = {});

// When a backup was made, as both front ends show it: "2026-09-14 14:53:11",
// or from its name alone, where its file has no time, "2026-?-14 14:53:11".
std::string BackupTimeText(const BackupInfo& backup);

struct RestoreOutcome {
    bool alreadyEqual = false;                  // the registry held these bytes: nothing was written
    std::optional<std::filesystem::path> backup; // the registry as it was, under its backup name
    std::int32_t entries = 0;                    // what the registry holds now
};

// Replaces the registry with the bytes of one of its backups, whole or not at
// all, under the writer lock of every change. The registry is first backed up
// like any change; owner, permissions and a symbolic link stay as with the
// other changes. The backup restored from is only read. A backup that is no
// sound registry is refused before anything is written; one whose bytes are
// the registry's is reported as alreadyEqual and nothing is written.
Result<RestoreOutcome> Restore(const std::filesystem::path& file, const std::filesystem::path& backup,
                               const LocalTime& backupAt, const ChangeOptions& options = {});

// The backups that go when only the newest keep of them stay (keep >= 1):
// regular files only, never a folder or a link.
struct TidyPlan {
    std::vector<BackupInfo> remove;
    std::uint64_t bytes = 0;
};
TidyPlan PlanTidy(const std::vector<BackupInfo>& newestFirst, int keep);

struct TidyOutcome {
    int removed = 0;
    std::uint64_t bytes = 0;
};
// Removes the planned backups under the registry's writer lock. A backup that
// is no longer what the plan saw (gone, another file, another size) is left
// alone. Fails on the first one that cannot be removed, saying how many went.
Result<TidyOutcome> RemoveBackups(const std::filesystem::path& file, const TidyPlan& plan, const ChangeOptions& options = {});

} // namespace mrv::registry

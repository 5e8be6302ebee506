// Changes of a registry file: appending an entry and deleting one, each with
// its backup, whole or not at all, one writer at a time.
#pragma once

#include "core/FileIO.h"
#include "core/LocalClock.h"
#include "core/Result.h"
#include "registry/ReadOptions.h"
#include "registry/Records.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace mrv::registry {

// How long a change waits for another writer of the same registry (this
// program's window or another mrvtool) before it gives up.
constexpr std::chrono::milliseconds kLockWait{2000};

struct ChangeOptions {
    // Append: refuse an entry whose path or title the file already holds
    // (DuplicatePath before DuplicateTitle, as the window checks them).
    bool refuseDuplicates = true;
    // Delete: refuse (Stale) unless the record at the index is this entry.
    std::optional<ShownEntry> expected;
    std::chrono::milliseconds lockWait = kLockWait;
    ReadOptions read;
};

struct ChangeOutcome {
    std::optional<std::filesystem::path> backup;
    int index = -1;      // the entry added or deleted
    ShownEntry entry;    // Delete: the entry deleted
};

// Every change below takes the registry's lock for its whole run, reads the
// file once, and refuses without writing anything (and without a backup) a
// missing, unwritable, damaged or too large file. A symbolic link is
// followed: the file it names is changed. If the backup asked for cannot be
// written whole, the registry is not changed (BackupFailed). A failure while
// writing puts the registry back as it was; a change whose last flush to the
// disk fails is reported as NotConfirmed, since it may have happened.

// Appends one entry after the last record, over any leftovers. backupAt =
// nullopt makes no backup.
Result<ChangeOutcome> Append(const std::filesystem::path& file, const EntryFields& f,
                             std::optional<LocalTime> backupAt, const ChangeOptions& options = {});

// Appends entries after the last record in one change: one backup, one
// write, whole or not at all. Each is refused as Append refuses it, and none
// may repeat another's path or title. outcome.index is the first new entry's.
Result<ChangeOutcome> AppendEntries(const std::filesystem::path& file, std::span<const EntryFields> entries,
                                    std::optional<LocalTime> backupAt, const ChangeOptions& options = {});

// Deletes record index (0-based), always making a backup first. The file
// keeps its length. The new content replaces the old whole or not at all;
// where a rename would part the file from its other names or its owner, the
// records are moved up in place once the backup is whole.
Result<ChangeOutcome> Delete(const std::filesystem::path& file, int index, const LocalTime& backupAt,
                             const ChangeOptions& options = {});

// The bytes of a registry after deleting record index: the records behind it
// and everything up to the physical end move up by the record's size, the last
// bytes of the old file stay where they were, and the header shrinks. Refuses
// damaged bytes and an index out of range.
Result<Bytes> RemoveRecord(std::span<const std::uint8_t> bytes, int index);

} // namespace mrv::registry

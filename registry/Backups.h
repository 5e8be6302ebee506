// The names of a registry's backups: "<registry>_<year>_<day>_<hour>_<minute>_<second>",
// the handset's users know them by this name, month and all left out, and
// "_2", "_3", ... behind it when two backups fall in the same second.
#pragma once

#include "core/FileSystem.h"
#include "core/LocalClock.h"
#include "core/Result.h"
#include "registry/ReadOptions.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace mrv::registry {

using LocalTime = mrv::LocalTime;   // backup names use it to the second

// "<path>_<year>_<day>_<hour>_<minute>_<second>".
std::filesystem::path BackupName(const std::filesystem::path& file, const LocalTime& t);

// What the name of a backup tells: its time to the second (no month) and
// its number among the backups of that second (1 for the first, which has
// no "_N").
struct BackupNameFields {
    int year = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int number = 1;
};

// The fields of name when it is the name of a backup of the registry named
// registryName (both bare file names, UTF-8); nullopt for any other name,
// among them the backups of other registries in the same folder.
std::optional<BackupNameFields> ParseBackupName(std::string_view registryName, std::string_view name);

// The backups beside file (its name as the user gave it) that are the file
// with identity id under another name: left by a deletion that was killed
// or refused between giving the registry its backup name and replacing it.
std::vector<std::filesystem::path> BackupsSharing(const std::filesystem::path& file, const os::FileId& id);

// Copies file to its backup name. Never replaces an existing file: when the
// name is taken, "_2", "_3", ... is added. The copy appears under its name
// only once it is whole and on the disk. Yields the name written.
Result<std::filesystem::path> MakeBackup(const std::filesystem::path& file, const LocalTime& t, const ReadOptions& read = {});

} // namespace mrv::registry

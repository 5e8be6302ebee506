// Many songs in one action: the music files of a folder become, each, a
// music file in the save folder under its target name, a link file and a
// registry entry, all appended to the registry in one change. The plan says
// for every file what it becomes, or why it is left out; carrying it out is
// whole or nothing.
#pragma once

#include "core/LocalClock.h"
#include "core/Result.h"
#include "core/Types.h"
#include "registry/Changes.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mrv::songs {

// What the window or mrvtool hands over: where the songs go and as what.
struct ImportSettings {
    std::filesystem::path registry;
    std::filesystem::path saveFolder;
    LinkKind kind = LinkKind::Mrv;
    StorageLocation location = 0;
    AudioInfo audio;            // CP949
    int firstNumber = 1;        // numbers are counted up from here
};

struct ImportRow {
    std::filesystem::path source;   // the music file
    std::string fileName;           // its name, UTF-8
    std::string title;              // CP949, as the entry and the link file will hold it
    bool titleUnreadable = false;   // the name has a character CP949 lacks: no title could be made
    int number = -1;                // -1: none was given
    std::string linkFileName;       // "MRV_Dat00012"
    std::string targetName;         // "12.zqm"
    std::uint64_t size = 0;
    std::int32_t playTime = 0;      // seconds, from the size and the kbps
    std::string refused;            // UTF-8: why the row is left out; empty when it is added
};

struct ImportPlan {
    ImportSettings settings;
    std::vector<ImportRow> rows;    // in the order of their file names
    int Added() const;              // rows that are not refused
};

// The container the storage location uses: ".dcf" for a MOD link to a DCF
// location, ".zqm" otherwise.
std::string ContainerExtension(LinkKind kind, StorageLocation location);

// The play time of a file of size bytes at the kbps of the audio information
// (CP949 digits, "128.00"), in rounded seconds, at least one for a file that
// is not empty; 128 kbps when it reads as no positive number.
std::int32_t EstimatedPlayTime(std::uint64_t size, const std::string& kbpsCp949);

// The music files of folder in the container of the settings (any letter
// case), each as a row titled by its name without the extension, and then
// numbered and checked as Refresh does. titlesUtf8 gives a title of the
// user's own for a file name. Fails only when the folder or the registry
// cannot be read, or the registry is damaged.
Result<ImportPlan> PlanImport(const std::filesystem::path& folder, const ImportSettings& settings,
                              const std::map<std::string, std::string>& titlesUtf8 = {});

// Numbers the rows again (after the user changed a title or the first
// number) and says again which are refused: a title CP949 cannot hold or
// longer than a link's title, a title the registry or an earlier row already
// has, a music file of the save folder that a link file there already names
// ("12.zqm" beside MRV_Dat00012), a file larger than an entry can say, no free
// number left. A number is
// free when the registry has no entry of its link name and the save folder
// neither its link file nor its target file. Fails as PlanImport.
Status Refresh(ImportPlan& plan);

struct ImportOutcome {
    int added = 0;
    std::optional<std::filesystem::path> backup;
    std::vector<std::filesystem::path> created;   // the music and link files made
};

// Carries the plan out: each row's music file copied into the save folder
// under its target name and its link file written, neither replacing a file;
// then all entries appended in one change with one backup (backupAt nullopt:
// none). If a step fails, the files made so far are removed again, the
// registry is as it was, and the error names the file and the reason.
Result<ImportOutcome> RunImport(const ImportPlan& plan, std::optional<LocalTime> backupAt,
                                const registry::ChangeOptions& options = {});

} // namespace mrv::songs

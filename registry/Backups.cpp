#include "registry/Backups.h"

#include <charconv>
#include <string>

namespace mrv::registry {
namespace fs = std::filesystem;

namespace {

// Reads "_<digits>" at the front of rest into value; false when it is not there.
bool TakeNumber(std::string_view& rest, int& value)
{
    if (rest.size() < 2 || rest[0] != '_') return false;
    const char* first = rest.data() + 1;
    const char* last = rest.data() + rest.size();
    // No sign, no leading blank: only digits, and not more than an int holds.
    if (*first < '0' || *first > '9') return false;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{}) return false;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    return true;
}

} // namespace

fs::path BackupName(const fs::path& file, const LocalTime& t)
{
    std::string suffix;
    for (int n : {t.year, t.day, t.hour, t.minute, t.second}) {
        suffix += '_';
        suffix += std::to_string(n);
    }
    fs::path name = file;
    name += suffix;
    return name;
}

std::optional<BackupNameFields> ParseBackupName(std::string_view registryName, std::string_view name)
{
    if (registryName.empty() || name.size() <= registryName.size()) return std::nullopt;
    if (os::FoldName(name.substr(0, registryName.size())) != os::FoldName(registryName)) return std::nullopt;
    std::string_view rest = name.substr(registryName.size());
    BackupNameFields f;
    for (int* field : {&f.year, &f.day, &f.hour, &f.minute, &f.second}) {
        if (!TakeNumber(rest, *field)) return std::nullopt;
    }
    if (!rest.empty() && (!TakeNumber(rest, f.number) || f.number < 2)) return std::nullopt;
    if (!rest.empty()) return std::nullopt;
    return f;
}

std::vector<fs::path> BackupsSharing(const fs::path& file, const os::FileId& id)
{
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string registryName = os::PathText(file.filename());
    std::vector<fs::path> found;
    (void)os::ListFolder(folder, [&](std::string_view name, os::EntryType type) {
        if (type != os::EntryType::File && type != os::EntryType::HiddenFile) return true;
        if (!ParseBackupName(registryName, name)) return true;
        const fs::path path = folder / os::PathFromUtf8(name);
        // A symbolic link named like a backup is the user's own.
        if (const auto final = os::FinalPath(path); !final || *final != path) return true;
        if (const auto info = os::Stat(path); info && info->id == id) found.push_back(path);
        return true;
    });
    return found;
}

} // namespace mrv::registry

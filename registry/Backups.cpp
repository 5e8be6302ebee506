#include "registry/Backups.h"

#include "core/FileIO.h"
#include "registry/ChangeSupport.h"
#include "registry/RecordSource.h"

#include <algorithm>
#include <chrono>
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

Result<fs::path> MakeBackup(const fs::path& file, const LocalTime& t, const ReadOptions& read)
{
    auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return opened.error();
    const auto info = opened->Info();
    if (!info) return info.error();
    auto copy = change::BackupCopy::Create(file, info->mode);
    if (!copy) return copy.error();
    RecordSource source(*opened, info->size, read);
    source.SetTap([&copy](std::uint64_t, std::span<const std::uint8_t> bytes) { return copy->Take(bytes); });
    if (auto s = source.AdvanceToEnd(); !s) return copy->Failure(s.error());
    return copy->Place(file, t);
}


namespace change {

Result<BackupCopy> BackupCopy::Create(const fs::path& registry, std::uint32_t mode)
{
    const fs::path folder = FolderOf(registry);
    RemoveLeftovers(folder);
    auto pending = PendingFile::Create(folder, mode);
    if (!pending) return Unchanged(BackupError(pending.error()));
    return BackupCopy(std::move(*pending));
}

Status BackupCopy::Take(std::span<const std::uint8_t> bytes)
{
    auto s = m_pending.Append(bytes);
    if (!s) m_failure = s.error();
    return s;
}

Error BackupCopy::Failure(Error walkError) const { return m_failure ? Unchanged(BackupError(*m_failure)) : walkError; }

Result<fs::path> BackupCopy::Place(const fs::path& registry, const LocalTime& t)
{
    auto placed = m_pending.PlaceFirstFree(BackupNames(registry, t), kMaxBackupNames);
    if (!placed) {
        // Under its name but not confirmed on the disk: no change follows,
        // so the backup goes again.
        if (placed.error().code == ErrorCode::NotConfirmed) (void)os::RemoveFile(placed.error().file);
        return Unchanged(BackupError(placed.error()));
    }
    return placed;
}

Status BackupCopy::CopyFrom(os::File& file, std::uint64_t size, std::size_t piece)
{
    Bytes bytes(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(size, 1), piece)));
    for (std::uint64_t at = 0; at < size;) {
        const auto part = std::span(bytes).first(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), size - at)));
        if (auto s = file.ReadAt(at, part); !s) return s;
        if (auto s = Take(part); !s) return Unchanged(BackupError(s.error()));
        at += part.size();
    }
    return Ok{};
}

std::function<fs::path(int)> BackupCopy::BackupNames(const fs::path& registry, const LocalTime& t)
{
    return [base = BackupName(registry, t)](int n) {
        fs::path name = base;
        if (n > 1) name += "_" + std::to_string(n);
        return name;
    };
}

Status SeparateBackup(Opened& reg, const fs::path& backup, std::size_t piece)
{
    const auto failed = [&backup](const Error& e) {
        return Unchanged(Error{e.code,
                               "백업화일 " + Quoted(backup) + " 이(가) 레지스트리화일의 다른 이름으로 남아 있어 따로 떼어 놓으려 했지만 못했습니다: " +
                                   e.message,
                               -1, backup});
    };
    auto copy = PendingFile::Create(FolderOf(backup), reg.info.mode);
    if (!copy) return failed(copy.error());
    (void)copy->File().TakeOwnershipOf(reg.info);
    Bytes buffer(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(reg.info.size, 1), piece)));
    for (std::uint64_t at = 0; at < reg.info.size;) {
        const auto part = std::span(buffer).first(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), reg.info.size - at)));
        if (auto s = reg.file.ReadAt(at, part); !s) return failed(s.error());
        if (auto s = copy->Append(part); !s) return failed(s.error());
        at += part.size();
    }
    (void)copy->File().SetModified(reg.info.modifiedNs);
    if (auto s = copy->Replace(backup, &reg.file); !s && s.error().code != ErrorCode::NotConfirmed) return failed(s.error());
    return Ok{};
}

Result<fs::path> BackupByLink(os::File& reg, const os::FileInfo& info, const fs::path& target, const fs::path& file,
                              const LocalTime& t, std::size_t piece)
{
    const auto names = BackupCopy::BackupNames(file, t);
    for (int n = 1; n <= kMaxBackupNames; ++n) {
        const fs::path name = names(n);
        auto linked = os::LinkNoReplace(target, name);
        if (linked) {
            if (auto s = os::SyncFolder(FolderOf(name)); !s) {
                (void)os::RemoveFile(name);
                return Unchanged(BackupError(s.error()));
            }
            return name;
        }
        if (linked.error().code == ErrorCode::Exists) continue;
        if (linked.error().code != ErrorCode::Unsupported) return Unchanged(BackupError(linked.error()));
        auto copy = BackupCopy::Create(file, info.mode);
        if (!copy) return copy.error();
        if (auto s = copy->CopyFrom(reg, info.size, piece); !s) return s.error();
        return copy->Place(file, t);
    }
    return Unchanged(BackupError(Error{ErrorCode::Exists, Quoted(names(1)) + " 부터 " + std::to_string(kMaxBackupNames) +
                                                              "개의 이름이 모두 쓰이고 있습니다.", -1, names(1)}));
}

void StampAsMadeNow(const fs::path& backup)
{
    auto file = os::File::Open(backup, os::File::Access::ReadWrite);
    if (!file) return;
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
    (void)file->SetModified(now.count());
}

} // namespace change
} // namespace mrv::registry

#include "registry/Restore.h"

#include "core/FileSystem.h"
#include "core/SystemRules.h"
#include "registry/ChangeSupport.h"
#include "registry/RecordSource.h"
#include "registry/Records.h"
#include "registry/Walk.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace mrv::registry {
namespace fs = std::filesystem;
using namespace change;

namespace {

LocalTime LocalOf(std::int64_t ns)
{
    const std::tm t = os::LocalCalendar(static_cast<std::time_t>(ns / 1000000000));
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 0};
}

// Fills in what a listed backup holds and whether it can be restored.
void Examine(BackupInfo& b, os::EntryType type, const ReadOptions& read)
{
    const auto info = os::Stat(b.path);
    if (info) {
        b.modifiedNs = info->modifiedNs;
        b.modified = LocalOf(info->modifiedNs);
        b.size = info->size;
    }
    if (const auto final = os::FinalPath(b.path); !final || *final != b.path) {
        b.reason = "다른 곳을 가리키는 링크입니다";
        return;
    }
    if (type == os::EntryType::Folder) {
        b.reason = "폴더입니다";
        return;
    }
    if (!info || !info->regular) {
        b.reason = info ? "보통 화일이 아닙니다" : info.error().message;
        return;
    }
    b.file = true;
    if (b.size > kMaxRegistryBytes) {
        b.reason = "레지스트리화일이 될 수 있는 크기(" + std::to_string(kMaxRegistryBytes) + "바이트)보다 큽니다";
        return;
    }
    const auto summary = VisitList(b.path, [](const Entry&) {}, read);
    if (!summary) {
        b.reason = summary.error().message;
        return;
    }
    if (summary->damage) {
        b.reason = summary->damage->message;
        return;
    }
    b.entries = summary->entryCount;
    b.restorable = true;
}

// Newest first: by the file's time; without one, by what the name tells.
bool Newer(const BackupInfo& a, const BackupInfo& b)
{
    const auto key = [](const BackupInfo& x) {
        const auto& f = x.fields;
        return std::make_tuple(x.modified.has_value(), x.modifiedNs, f.year, f.day, f.hour, f.minute, f.second, f.number);
    };
    return key(a) > key(b);
}

bool SameBytes(os::File& a, os::File& b, std::uint64_t size, std::size_t piece)
{
    Bytes x(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(size, 1), piece)));
    Bytes y(x.size());
    for (std::uint64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(x.size(), size - at));
        if (!a.ReadAt(at, std::span(x).first(n)) || !b.ReadAt(at, std::span(y).first(n))) return false;
        if (!std::equal(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), y.begin())) return false;
        at += n;
    }
    return true;
}

// The registry rewritten in place with the backup's bytes; if that fails,
// written back from the copy of itself made just before.
Status RestoreInPlace(os::File& reg, os::File& source, std::uint64_t size, const fs::path& backupOfRegistry,
                      std::uint64_t oldSize, std::size_t piece)
{
    auto s = Rewrite(reg, source, size, piece);
    if (s) return Ok{};
    return PutBack(reg, backupOfRegistry, oldSize, piece, s.error());
}

} // namespace

Result<std::vector<BackupInfo>> ListBackups(const fs::path& file, const ReadOptions& read)
{
    const fs::path folder = FolderOf(file);
    const std::string registryName = os::PathText(file.filename());
    std::vector<std::pair<BackupInfo, os::EntryType>> named;
    auto listed = os::ListFolder(folder, [&](std::string_view name, os::EntryType type) {
        if (const auto fields = ParseBackupName(registryName, name)) {
            BackupInfo b;
            b.path = folder / os::PathFromUtf8(name);
            b.name = std::string(name);
            b.fields = *fields;
            named.emplace_back(std::move(b), type);
        }
        return true;
    });
    if (!listed) return listed.error();
    std::vector<BackupInfo> backups;
    backups.reserve(named.size());
    for (auto& [b, type] : named) {
        Examine(b, type, read);
        backups.push_back(std::move(b));
    }
    std::sort(backups.begin(), backups.end(), Newer);
    return backups;
}

std::string BackupTimeText(const BackupInfo& b)
{
    char text[64];
    if (b.modified) {
        const LocalTime& t = *b.modified;
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    } else {
        const BackupNameFields& f = b.fields;
        std::snprintf(text, sizeof text, "%04d-?-%02d %02d:%02d:%02d", f.year, f.day, f.hour, f.minute, f.second);
    }
    return text;
}

Result<RestoreOutcome> Restore(const fs::path& file, const fs::path& backup, const LocalTime& backupAt,
                               const ChangeOptions& options)
{
    const std::size_t piece = options.read.piece;
    const auto final = os::FinalPath(backup);
    if (!final) return final.error();
    if (*final != backup) {
        return Error{ErrorCode::NotRegularFile, Quoted(backup) + " 은(는) 다른 곳을 가리키는 링크라서 되살리지 않았습니다.", -1, backup};
    }
    auto opened = OpenRegistryForChange(file, options.lockWait, piece);
    if (!opened) return opened.error();
    os::File& reg = opened->file;
    const os::FileInfo& info = opened->info;

    auto source = os::File::Open(backup, os::File::Access::Read);
    if (!source) return source.error();
    const auto sourceInfo = source->Info();
    if (!sourceInfo) return sourceInfo.error();
    if (sourceInfo->id == info.id) {
        return Error{ErrorCode::InvalidArgument, Quoted(backup) + " 은(는) 레지스트리화일 자신입니다.", -1, backup};
    }
    if (sourceInfo->size > kMaxRegistryBytes) return TooLargeError(backup, sourceInfo->size, kMaxRegistryBytes);
    const std::uint64_t size = sourceInfo->size;

    // Nothing is written before the backup has read as a sound registry.
    RecordSource walkSource(*source, size, options.read);
    auto walked = walk::Walk(walkSource, [](const walk::RecordView&) {});
    if (!walked) return walked.error();
    if (walked->damage) {
        Error e = *walked->damage;
        e.file = backup;
        e.message = "백업화일이 손상되어 되살리지 않았습니다: " + e.message;
        return e;
    }
    RestoreOutcome outcome;
    outcome.entries = walked->entryCount;
    if (size == info.size && SameBytes(reg, *source, size, piece)) {
        outcome.alreadyEqual = true;
        return outcome;
    }

    // As with a deletion: the new content replaces the registry by a rename,
    // unless that would part it from its other names or its owner.
    auto replacing = ReplacementFor(*opened, file);
    if (!replacing) return replacing.error();
    std::optional<PendingFile> replacement = std::move(*replacing);
    Result<fs::path> placed = fs::path();
    if (replacement) {
        placed = BackupByLink(reg, info, opened->target, file, backupAt, piece);
    } else {
        auto copy = BackupCopy::Create(file, info.mode);
        if (!copy) return copy.error();
        if (auto s = copy->CopyFrom(reg, info.size, piece); !s) return s.error();
        placed = copy->Place(file, backupAt);
    }
    if (!placed) return placed.error();
    outcome.backup = *placed;
    const auto refused = [&](Error e) {
        (void)os::RemoveFile(*placed);
        return WithFile(std::move(e), file);
    };

    if (!replacement) {
        if (auto s = RestoreInPlace(reg, *source, size, *placed, info.size, piece); !s) {
            if (s.error().code == ErrorCode::NotConfirmed) return WithFile(s.error(), file);
            return refused(s.error());
        }
        return outcome;
    }
    if (auto s = CopyRange(*source, 0, size, *replacement, piece); !s) return refused(Unchanged(s.error()));
    if (auto s = replacement->Replace(opened->target, &reg); !s) {
        if (s.error().code == ErrorCode::NotConfirmed)
            return WithFile(NotConfirmed(s.error(), "백업을 되살렸지만 디스크에 다 쓰였는지 확인하지 못했습니다.", outcome.backup), file);
        return refused(Unchanged(s.error()));
    }
    StampAsMadeNow(*placed);
    return outcome;
}

TidyPlan PlanTidy(const std::vector<BackupInfo>& newestFirst, int keep)
{
    TidyPlan plan;
    int kept = 0;
    for (const BackupInfo& b : newestFirst) {
        if (!b.file) continue;
        if (kept < std::max(keep, 1)) {
            ++kept;
            continue;
        }
        plan.remove.push_back(b);
        plan.bytes += b.size;
    }
    return plan;
}

Result<TidyOutcome> RemoveBackups(const fs::path& file, const TidyPlan& plan, const ChangeOptions& options)
{
    // No change of the registry runs meanwhile, and none makes a backup.
    auto opened = OpenRegistryForChange(file, options.lockWait, options.read.piece);
    if (!opened) return opened.error();
    TidyOutcome outcome;
    for (const BackupInfo& b : plan.remove) {
        const auto now = os::Stat(b.path);
        const auto final = os::FinalPath(b.path);
        if (!now || !now->regular || now->size != b.size || !final || *final != b.path) continue;
        if (auto s = os::RemoveFile(b.path); !s) {
            Error e = s.error();
            e.message = "백업화일 " + std::to_string(outcome.removed) + "개를 지웠지만 " + Quoted(b.path) +
                        " 은(는) 지우지 못했습니다: " + e.message;
            return e;
        }
        ++outcome.removed;
        outcome.bytes += b.size;
    }
    return outcome;
}

} // namespace mrv::registry

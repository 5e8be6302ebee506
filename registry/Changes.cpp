#include "registry/Changes.h"

#include "registry/Backups.h"
#include "registry/ChangeSupport.h"
#include "registry/RecordSource.h"
#include "registry/Messages.h"
#include "registry/Walk.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace mrv::registry {
namespace fs = std::filesystem;
using namespace walk;
using namespace change;

namespace change {

// The registry, locked for a change and not larger than the program handles.
// A backup that is still the registry under another name (a deletion killed
// or refused between linking the backup and its rename) first gets bytes of
// its own, so that no change reaches it.
Result<Opened> OpenRegistryForChange(const fs::path& file, std::chrono::milliseconds lockWait, std::size_t piece)
{
    auto target = os::FinalPath(file);
    if (!target) return target.error();
    // Each pass separates one such backup; there is hardly ever more than one.
    constexpr int kPasses = 8;
    for (int pass = 0;; ++pass) {
        auto opened = OpenForChange(*target, lockWait);
        if (!opened) return opened.error();
        auto info = opened->Info();
        if (!info) return info.error();
        if (info->size > kMaxRegistryBytes) return TooLargeError(file, info->size, kMaxRegistryBytes);
        Opened reg{*target, std::move(*opened), *info};
        if (info->links <= 1) return reg;
        const auto shared = BackupsSharing(file, info->id);
        if (shared.empty()) return reg;
        if (pass == kPasses) {
            return Unchanged(Error{ErrorCode::WriteFailed,
                                   "백업화일 " + Quoted(shared.front()) + " 이(가) 레지스트리화일의 다른 이름으로 남아 있습니다.",
                                   -1, shared.front()});
        }
        if (auto s = SeparateBackup(reg, shared.front(), piece); !s) return s.error();
        // The registry's names have changed: open and lock it again.
    }
}

// Copies length bytes of from, starting at offset, to the end of to.
Status CopyRange(os::File& from, std::uint64_t offset, std::uint64_t length, PendingFile& to, std::size_t piece)
{
    Bytes buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, piece)));
    while (length > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        const auto part = std::span(buffer).first(n);
        if (auto s = from.ReadAt(offset, part); !s) return s;
        if (auto s = to.Append(part); !s) return s;
        offset += n;
        length -= n;
    }
    return Ok{};
}

// Writes the first length bytes of from over the start of to and cuts to
// there, then flushes.
Status Rewrite(os::File& to, os::File& from, std::uint64_t length, std::size_t piece)
{
    Bytes buffer(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(length, 1), piece)));
    for (std::uint64_t at = 0; at < length;) {
        const auto part = std::span(buffer).first(static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - at)));
        if (auto s = from.ReadAt(at, part); !s) return s;
        if (auto s = to.WriteAt(at, part); !s) return s;
        at += part.size();
    }
    if (auto s = to.Truncate(length); !s) return s;
    return to.Sync();
}

Result<std::optional<PendingFile>> ReplacementFor(const Opened& reg, const fs::path& file)
{
    if (reg.info.links > 1) return std::optional<PendingFile>();
    // What killed writers left in the folders a change writes into goes first.
    RemoveLeftovers(FolderOf(reg.target));
    if (FolderOf(reg.target) != FolderOf(file)) RemoveLeftovers(FolderOf(file));
    auto pending = PendingFile::Create(FolderOf(reg.target), reg.info.mode);
    if (!pending) return Unchanged(pending.error());
    if (!pending->File().TakeOwnershipOf(reg.info)) return std::optional<PendingFile>();
    return std::optional<PendingFile>(std::move(*pending));
}

Error PutBack(os::File& reg, const fs::path& backup, std::uint64_t length, std::size_t piece, Error e)
{
    auto copy = os::File::Open(backup, os::File::Access::Read);
    if (copy && Rewrite(reg, *copy, length, piece)) return Unchanged(std::move(e));
    return NotConfirmed(std::move(e), "레지스트리화일을 되돌리지 못했습니다.", backup);
}

} // namespace change

namespace {

// The refusals of a duplicate entry, in the words the window shows too.
constexpr std::string_view kDuplicatePath = messages::kDuplicatePath;
constexpr std::string_view kDuplicateTitle = messages::kDuplicateTitle;

// Writes the records after the last one and then the header, each flushed
// before the next step: a crash in between leaves the old header, which does
// not count the records. A failed step puts back every byte the append
// covered and the file's old length.
Status WriteRecords(os::File& reg, const Walked& w, std::span<const std::uint8_t> record, std::int32_t count,
                    const std::optional<fs::path>& backup)
{
    const std::uint64_t at = kHeaderSize + static_cast<std::uint64_t>(w.recordsSize);
    const std::uint64_t oldSize = w.fileLength;
    Bytes covered(static_cast<std::size_t>(std::min<std::uint64_t>(record.size(), oldSize - at)));
    if (auto s = reg.ReadAt(at, covered); !s) return Unchanged(s.error());
    const auto oldHeader = Header(w.entryCount, w.recordsSize);
    const auto newHeader = Header(w.entryCount + count, w.recordsSize + static_cast<std::int32_t>(record.size()));

    const auto undo = [&](Error e, bool headerTouched) -> Error {
        bool restored = true;
        if (headerTouched) restored = reg.WriteAt(0, oldHeader).ok();
        restored = reg.WriteAt(at, covered).ok() && restored;
        if (at + record.size() > oldSize) restored = reg.Truncate(oldSize).ok() && restored;
        restored = restored && reg.Sync().ok();
        if (restored) return Unchanged(e);
        return NotConfirmed(e, "레지스트리화일을 되돌리지 못했습니다.", backup);
    };
    if (auto s = reg.WriteAt(at, record); !s) return undo(s.error(), false);
    if (auto s = reg.Sync(); !s) return undo(s.error(), false);
    if (auto s = reg.WriteAt(0, newHeader); !s) return undo(s.error(), true);
    if (auto s = reg.Sync(); !s) {
        return NotConfirmed(s.error(), "항목은 덧붙였지만 디스크에 다 쓰였는지 확인하지 못했습니다.", backup);
    }
    return Ok{};
}

struct Doomed {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::string title;   // as a list shows them: up to the first zero
    std::string path;
};

// The deletion where a rename cannot be used: everything behind the record
// moves up in place, then the header shrinks. The backup is whole by now; if
// a step fails, the registry is written back from it.
Status MoveUpInPlace(os::File& reg, const Walked& w, const Doomed& d, const fs::path& backup, std::size_t piece)
{
    const auto restore = [&](Error e) { return PutBack(reg, backup, w.fileLength, piece, std::move(e)); };
    Bytes moving(static_cast<std::size_t>(std::min<std::uint64_t>(piece, std::max<std::uint64_t>(w.fileLength, 1))));
    for (std::uint64_t from = d.offset + d.size; from < w.fileLength;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(moving.size(), w.fileLength - from));
        const auto part = std::span(moving).first(n);
        if (auto s = reg.ReadAt(from, part); !s) return restore(s.error());
        if (auto s = reg.WriteAt(from - d.size, part); !s) return restore(s.error());
        from += n;
    }
    const auto header = Header(w.entryCount - 1, w.recordsSize - static_cast<std::int32_t>(d.size));
    if (auto s = reg.WriteAt(0, header); !s) return restore(s.error());
    if (auto s = reg.Sync(); !s) return NotConfirmed(s.error(), "항목은 지웠지만 디스크에 다 쓰였는지 확인하지 못했습니다.", backup);
    return Ok{};
}

// Indexes count from 0, as mrvtool shows them.
Error NoSuchEntry(int index, std::int32_t entryCount)
{
    Error e{ErrorCode::OutOfRange, messages::NoSuchEntry(index, entryCount), -1, {}};
    e.index = index;
    e.count = entryCount;
    return e;
}

} // namespace

Result<ChangeOutcome> Append(const fs::path& file, const EntryFields& f, std::optional<LocalTime> backupAt,
                             const ChangeOptions& options)
{
    return AppendEntries(file, std::span(&f, 1), backupAt, options);
}

Result<ChangeOutcome> AppendEntries(const fs::path& file, std::span<const EntryFields> entries,
                                    std::optional<LocalTime> backupAt, const ChangeOptions& options)
{
    if (entries.empty()) return Error{ErrorCode::InvalidArgument, "덧붙일 항목이 없습니다.", -1, file};
    // The records one after the other, as they go behind the last one.
    Bytes records;
    std::vector<std::string> paths;
    for (const EntryFields& f : entries) {
        const auto record = BuildRecord(f);
        if (!record) return record.error();
        records.insert(records.end(), record->begin(), record->end());
        paths.push_back(EntryPath(f.kind, f.linkName));
    }
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (records.size() > static_cast<std::size_t>(kMax) || entries.size() > static_cast<std::size_t>(kMax)) {
        return Error{ErrorCode::OutOfRange, "레지스트리화일에 더 넣을 자리가 없습니다.", 0, file};
    }
    // The new entries may not repeat each other either.
    for (std::size_t i = 0; options.refuseDuplicates && i < entries.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (paths[j] == paths[i]) return Error{ErrorCode::DuplicatePath, std::string(kDuplicatePath), -1, file};
            if (entries[j].title == entries[i].title)
                return Error{ErrorCode::DuplicateTitle, std::string(kDuplicateTitle), -1, file};
        }
    }
    auto opened = OpenRegistryForChange(file, options.lockWait, options.read.piece);
    if (!opened) return opened.error();
    os::File& reg = opened->file;

    std::optional<BackupCopy> copy;
    if (backupAt) {
        auto created = BackupCopy::Create(file, opened->info.mode);
        if (!created) return created.error();
        copy = std::move(*created);
    }
    RecordSource source(reg, opened->info.size, options.read);
    if (copy) source.SetTap([&copy](std::uint64_t, std::span<const std::uint8_t> bytes) { return copy->Take(bytes); });
    bool pathTaken = false;
    bool titleTaken = false;
    // A few new entries are compared with each record as it is; many are
    // looked up, so that the walk's cost does not grow with their number.
    constexpr std::size_t kComparedOneByOne = 8;
    std::unordered_set<std::string_view> pathSet, titleSet;
    if (entries.size() > kComparedOneByOne) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            pathSet.insert(paths[i]);
            titleSet.insert(entries[i].title);
        }
    }
    auto walked = Walk(source, [&](const RecordView& r) {
        if (entries.size() > kComparedOneByOne) {
            pathTaken = pathTaken || pathSet.contains(TextUpToZero(r.path));
            titleTaken = titleTaken || titleSet.contains(TextUpToZero(r.title));
            return;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            pathTaken = pathTaken || ShowsAs(r.path, paths[i]);
            titleTaken = titleTaken || ShowsAs(r.title, entries[i].title);
        }
    });
    if (!walked) return copy ? copy->Failure(walked.error()) : walked.error();
    if (walked->damage) return WithFile(*walked->damage, file);
    if (options.refuseDuplicates && pathTaken) return Error{ErrorCode::DuplicatePath, std::string(kDuplicatePath), -1, file};
    if (options.refuseDuplicates && titleTaken) return Error{ErrorCode::DuplicateTitle, std::string(kDuplicateTitle), -1, file};
    if (walked->entryCount > kMax - static_cast<std::int32_t>(entries.size()) ||
        static_cast<std::uint64_t>(walked->recordsSize) + records.size() > static_cast<std::uint64_t>(kMax)) {
        return Error{ErrorCode::OutOfRange, "레지스트리화일에 더 넣을 자리가 없습니다.", 0, file};
    }

    ChangeOutcome outcome;
    outcome.index = walked->entryCount;
    if (copy) {
        if (auto s = source.AdvanceToEnd(); !s) return copy->Failure(s.error());
        auto placed = copy->Place(file, *backupAt);
        if (!placed) return placed.error();
        outcome.backup = std::move(*placed);
    }
    if (auto s = WriteRecords(reg, *walked, records, static_cast<std::int32_t>(entries.size()), outcome.backup); !s) {
        // Unchanged: the folder is as it was, without the backup of a change that did not happen.
        if (outcome.backup && s.error().code != ErrorCode::NotConfirmed) (void)os::RemoveFile(*outcome.backup);
        return WithFile(s.error(), file);
    }
    return outcome;
}

Result<ChangeOutcome> Delete(const fs::path& file, int index, const LocalTime& backupAt, const ChangeOptions& options)
{
    auto opened = OpenRegistryForChange(file, options.lockWait, options.read.piece);
    if (!opened) return opened.error();
    os::File& reg = opened->file;
    const os::FileInfo& info = opened->info;

    // The new content goes to a file beside the registry that replaces it,
    // unless that would part it from its other names or its owner.
    auto replacing = ReplacementFor(*opened, file);
    if (!replacing) return replacing.error();
    std::optional<PendingFile> replacement = std::move(*replacing);
    // Changed in place, the file's old bytes are overwritten: its backup must
    // be a copy, made in the same pass.
    std::optional<BackupCopy> copy;
    if (!replacement) {
        auto created = BackupCopy::Create(file, info.mode);
        if (!created) return created.error();
        copy = std::move(*created);
    }

    std::optional<Doomed> doomed;
    std::optional<Error> replacementFailure;
    RecordSource source(reg, info.size, options.read);
    source.SetTap([&](std::uint64_t offset, std::span<const std::uint8_t> bytes) -> Status {
        if (copy) return copy->Take(bytes);
        // Everything but the doomed record goes into the new content. The
        // walk has met the record before any of its bytes come here.
        const std::uint64_t end = offset + bytes.size();
        const std::uint64_t cutFrom = doomed ? doomed->offset : end;
        const std::uint64_t cutTo = doomed ? doomed->offset + doomed->size : end;
        const auto keep = [&](std::uint64_t from, std::uint64_t to) -> Status {
            if (from >= to) return Ok{};
            auto s = replacement->Append(bytes.subspan(static_cast<std::size_t>(from - offset), static_cast<std::size_t>(to - from)));
            if (!s) replacementFailure = s.error();
            return s;
        };
        if (auto s = keep(offset, std::min(end, cutFrom)); !s) return s;
        return keep(std::max(offset, cutTo), end);
    });
    auto walked = Walk(source, [&](const RecordView& r) {
        if (r.index == index) doomed = Doomed{r.offset, r.size, std::string(TextUpToZero(r.title)), std::string(TextUpToZero(r.path))};
    });
    const auto failed = [&](const Error& e) {
        if (replacementFailure) return Unchanged(*replacementFailure);
        return copy ? copy->Failure(e) : e;
    };
    if (!walked) return failed(walked.error());
    if (walked->damage) return WithFile(*walked->damage, file);
    if (!doomed) return WithFile(NoSuchEntry(index, walked->entryCount), file);
    if (options.expected && (options.expected->title != doomed->title || options.expected->path != doomed->path)) {
        Error e{ErrorCode::Stale, std::string(messages::kChangedSinceShown) + " " + std::string(messages::kNothingDeleted), -1, file};
        e.index = index;
        return e;
    }
    if (auto s = source.AdvanceToEnd(); !s) return failed(s.error());

    ChangeOutcome outcome;
    outcome.index = index;
    outcome.entry = ShownEntry{doomed->title, doomed->path};
    auto placed = copy ? copy->Place(file, backupAt) : BackupByLink(reg, info, opened->target, file, backupAt, options.read.piece);
    if (!placed) return placed.error();
    outcome.backup = *placed;
    // A deletion that ends with the registry unchanged takes its backup away
    // again: a linked backup is still the registry under another name, and
    // the folder is to be as it was.
    const auto refused = [&](Error e) {
        (void)os::RemoveFile(*placed);
        return WithFile(std::move(e), file);
    };

    if (!replacement) {
        if (auto s = MoveUpInPlace(reg, *walked, *doomed, *placed, options.read.piece); !s) {
            if (s.error().code == ErrorCode::NotConfirmed) return WithFile(s.error(), file);
            return refused(s.error());
        }
        return outcome;
    }
    // The file keeps its length: its last bytes stay where they were.
    if (auto s = CopyRange(reg, info.size - doomed->size, doomed->size, *replacement, options.read.piece); !s) return refused(Unchanged(s.error()));
    const auto header = Header(walked->entryCount - 1, walked->recordsSize - static_cast<std::int32_t>(doomed->size));
    if (auto s = replacement->File().WriteAt(0, header); !s) return refused(Unchanged(s.error()));
    if (auto s = replacement->Replace(opened->target, &reg); !s) {
        if (s.error().code == ErrorCode::NotConfirmed)
            return WithFile(NotConfirmed(s.error(), "항목은 지웠지만 디스크에 다 쓰였는지 확인하지 못했습니다.", outcome.backup), file);
        return refused(Unchanged(s.error()));
    }
    StampAsMadeNow(*placed);
    return outcome;
}

Result<Bytes> RemoveRecord(std::span<const std::uint8_t> bytes, int index)
{
    std::optional<RecordView> found;
    RecordSource source(bytes);
    Walked w = Walk(source, [&](const RecordView& r) {
        if (r.index == index) found = r;
    }).value();
    if (w.damage) return *w.damage;
    if (!found) return NoSuchEntry(index, w.entryCount);
    // Everything behind the record, leftovers included, moves up by its size;
    // the file keeps its length, so its last bytes stay as they were.
    Bytes out(bytes.begin(), bytes.end());
    const auto to = out.begin() + static_cast<std::ptrdiff_t>(found->offset);
    std::copy(to + static_cast<std::ptrdiff_t>(found->size), out.end(), to);
    const auto header = Header(w.entryCount - 1, w.recordsSize - static_cast<std::int32_t>(found->size));
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

} // namespace mrv::registry

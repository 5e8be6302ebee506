#include "registry/RegistryFile.h"

#include "core/ByteIO.h"
#include "registry/Backups.h"
#include "registry/RecordSource.h"
#include "registry/RegistryMessages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <system_error>
#include <utility>

namespace mrv::registry {
namespace fs = std::filesystem;

namespace {

// ---- fixed parts of a record ---------------------------------------------

constexpr std::array<std::uint8_t, 9> kLeadBytes = {0, 0, 0, 0, 0, 0, 0, 0, 1};
constexpr std::string_view kDateText = "0000-00-00";
constexpr std::string_view kNoInfoText = "\xC1\xA4\xBA\xB8\xBE\xF8\xC0\xBD"; // "정보없음" (no information) in CP949
constexpr std::string_view kDecimalText = "0.00";
constexpr std::string_view kDlText = "DL";
constexpr std::array<std::uint8_t, 2> kMarkerBytes = {0xFF, 0x00};

using Trailer = std::array<std::uint8_t, 13>;
constexpr Trailer kMrvTrailer = {0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x4C, 0x09, 0x86, 0x42};
constexpr Trailer kModInternalTrailer = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xCA, 0x88, 0x42};
constexpr Trailer kModCardTrailer = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x10, 0x00, 0x9F, 0x3D, 0xD5, 0x12};
// Locations 4 and 5 are on the memory card.
constexpr StorageLocation kFirstCardLocation = 4;

// Field names the user knows from the form, for "too long" messages.
constexpr std::string_view kTitleField = "곡명";
constexpr std::string_view kCopyrightField = "저작권자";
constexpr std::string_view kBitrateField = "Bitrate";
constexpr std::string_view kAudioFormatField = "오디오 음원 포멧 방식";
constexpr std::string_view kKbpsField = "kbps";
constexpr std::string_view kSamplingRateField = "샘플링 주파수 (kHz)";
constexpr std::string_view kLinkNameField = "링크 이름";

// Body offsets inside a record, after the 4-byte length prefix.
constexpr std::size_t kPathSizeAt = 9;
constexpr std::size_t kPathAt = 13;
// So much of a record is looked at in one go: its path and title are there
// in every entry this program writes.
constexpr std::size_t kHeadBytes = 4 + kMaxRecordBody;

constexpr std::string_view kBackupFailed = "백업화일을 만들 수 없습니다"; // the backup could not be made
// The refusals of a duplicate entry, in the words the window shows too.
constexpr std::string_view kDuplicatePath = messages::kDuplicatePath;
constexpr std::string_view kDuplicateTitle = messages::kDuplicateTitle;

// Files are read in pieces of this size; a change's memory does not grow with the file.
constexpr std::size_t kDefaultPiece = std::size_t{1} << 20;
std::size_t g_piece = kDefaultPiece;

// Backups made within one second get "_2", "_3", ... up to this many names.
constexpr int kMaxBackupNames = 1000;

std::string Num(std::int64_t v) { return std::to_string(v); }

// "_a_b_...", built by appending: GCC 12 at -O3 warns falsely (-Wrestrict)
// on "_" + string.
std::string Suffix(std::initializer_list<int> numbers)
{
    std::string s;
    for (int n : numbers) {
        s += '_';
        s += std::to_string(n);
    }
    return s;
}

std::string At(std::uint64_t offset) { return " (위치 " + std::to_string(offset) + ")"; }

Error Damaged(std::uint64_t offset, std::string what)
{
    return Error{ErrorCode::Damaged, "손상된 레지스트리화일입니다: " + std::move(what) + At(offset) + ".",
                 static_cast<std::int64_t>(offset), {}};
}

std::string Ordinal(int index) { return Num(index + 1) + "번째 항목"; }

// The handset and the list both stop a text at its first zero byte.
// Eight bytes at a time: titles and paths are short, and a call to memchr
// costs more than looking at them here.
std::string_view TextUpToZero(std::span<const std::uint8_t> bytes)
{
    const auto* first = reinterpret_cast<const char*>(bytes.data());
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, first + i, 8);
        if ((w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL) break;
    }
    while (i < bytes.size() && first[i] != 0) ++i;
    return std::string_view(first, i);
}

// True when bytes, read up to their first zero byte as the list shows them,
// are text. Cheaper than cutting at the zero first: most entries differ at once.
bool ShowsAs(std::span<const std::uint8_t> bytes, std::string_view text)
{
    const std::size_t n = text.size();
    if (bytes.size() < n || (bytes.size() > n && bytes[n] != 0)) return false;
    // Paths share their beginning and differ in the number at their end.
    return n == 0 || (bytes[n - 1] == static_cast<std::uint8_t>(text[n - 1]) && std::memcmp(bytes.data(), text.data(), n) == 0);
}

// ---- walking the records ---------------------------------------------------

struct RecordView {
    int index;
    std::uint64_t offset;                // of the length prefix
    std::uint64_t size;                  // 4 + body length
    std::span<const std::uint8_t> path;  // pathSize bytes, terminator included
    std::span<const std::uint8_t> title; // the title's text bytes
};

struct Walked {
    std::int32_t entryCount = 0;
    std::int32_t recordsSize = 0;
    std::uint64_t fileLength = 0;
    std::optional<Error> damage;
};

// Checks the header and every record against the bytes there really are and
// hands each sound record to visit, in file order. Stops at the first damage.
// Bytes past the records are leftovers of earlier deletions and never looked
// at. Fails only when the bytes cannot be read.
template <class Visit>
Result<Walked> Walk(RecordSource& src, Visit&& visit)
{
    Walked w;
    w.fileLength = src.Size();
    if (src.Size() < kHeaderSize) {
        w.damage = Damaged(0, "8바이트 머리부보다 짧습니다(" + Num(static_cast<std::int64_t>(src.Size())) + "바이트)");
        return w;
    }
    const std::uint8_t* header = src.Peek(kHeaderSize);
    if (!header) return src.Failure();
    w.entryCount = LoadI32le(header);
    w.recordsSize = LoadI32le(header + 4);
    if (w.entryCount < 0) {
        w.damage = Damaged(0, "항목 수가 음수입니다(" + Num(w.entryCount) + ")");
        return w;
    }
    if (w.recordsSize < 0) {
        w.damage = Damaged(4, "레코드 크기가 음수입니다(" + Num(w.recordsSize) + ")");
        return w;
    }
    if (!src.Advance(kHeaderSize)) return src.Failure();

    for (int i = 0; i < w.entryCount; ++i) {
        const std::uint64_t pos = src.Offset();
        const std::uint64_t left = src.Left();
        if (left < 4) {
            w.damage = Damaged(pos, "항목 수는 " + Num(w.entryCount) + "개인데 " + Num(i) + "개 뒤에서 화일이 끝납니다");
            return w;
        }
        // The head of the record at once: the texts of every entry this
        // program writes lie in it.
        const std::uint64_t available = left;
        std::size_t held = static_cast<std::size_t>(std::min<std::uint64_t>(left, kHeadBytes));
        const std::uint8_t* rec = src.Peek(held);
        if (!rec) return src.Failure();
        const std::int32_t length = LoadI32le(rec);
        if (length < 0) {
            w.damage = Damaged(pos, Ordinal(i) + "의 길이가 음수입니다(" + Num(length) + ")");
            return w;
        }
        const auto bodyLength = static_cast<std::uint64_t>(length);
        if (bodyLength > available - 4) {
            w.damage = Damaged(pos, Ordinal(i) + "이(가) 화일 끝을 넘습니다: 본문은 " + Num(length) + "바이트인데 " +
                                        Num(static_cast<std::int64_t>(available - 4)) + "바이트만 남았습니다");
            return w;
        }
        if (bodyLength < kPathAt) {
            w.damage = Damaged(pos, Ordinal(i) + "의 본문(" + Num(length) + "바이트)이 경로 크기에 닿지 않습니다");
            return w;
        }
        const std::int32_t pathSize = LoadI32le(rec + 4 + kPathSizeAt);
        if (pathSize < 0) {
            w.damage = Damaged(pos + 4 + kPathSizeAt, Ordinal(i) + "의 경로 크기가 음수입니다(" + Num(pathSize) + ")");
            return w;
        }
        if (static_cast<std::uint64_t>(pathSize) > bodyLength - kPathAt) {
            w.damage = Damaged(pos + 4 + kPathSizeAt,
                               Ordinal(i) + "의 경로 크기(" + Num(pathSize) + ")가 본문을 넘습니다");
            return w;
        }
        const std::size_t titleAt = kPathAt + static_cast<std::size_t>(pathSize);
        if (titleAt >= bodyLength) {
            w.damage = Damaged(pos + 4 + titleAt, Ordinal(i) + "의 곡명 길이 바이트가 본문 밖에 있습니다");
            return w;
        }
        if (4 + titleAt + 1 > held) {
            held = 4 + titleAt + 1;
            if (!(rec = src.Peek(held))) return src.Failure();
        }
        const std::size_t titleLength = rec[4 + titleAt];
        if (titleLength > bodyLength - titleAt - 1) {
            w.damage = Damaged(pos + 4 + titleAt,
                               Ordinal(i) + "의 곡명(" + Num(static_cast<std::int64_t>(titleLength)) + "바이트)이 본문을 넘습니다");
            return w;
        }
        if (4 + titleAt + 1 + titleLength > held) {
            held = 4 + titleAt + 1 + titleLength;
            if (!(rec = src.Peek(held))) return src.Failure();
        }
        visit(RecordView{i, pos, 4 + bodyLength, std::span(rec + 4 + kPathAt, static_cast<std::size_t>(pathSize)),
                         std::span(rec + 4 + titleAt + 1, titleLength)});
        if (!src.Advance(4 + bodyLength)) return src.Failure();
    }
    const std::uint64_t walkedSize = src.Offset() - kHeaderSize;
    if (walkedSize != static_cast<std::uint64_t>(w.recordsSize)) {
        w.damage = Damaged(4, "머리부의 레코드 크기(" + Num(w.recordsSize) + ")가 레코드들의 실제 크기(" +
                                  Num(static_cast<std::int64_t>(walkedSize)) + ")와 다릅니다");
    }
    return w;
}

Entry EntryOf(const RecordView& r)
{
    return Entry{TextUpToZero(r.title), TextUpToZero(r.path), static_cast<std::int64_t>(r.offset)};
}

} // namespace

class ListingTexts {
public:
    // A copy of text that stays where it is for the life of this object.
    std::string_view Keep(std::string_view text)
    {
        if (m_blocks.empty() || text.size() > m_capacity - m_used) {
            m_capacity = std::max(kBlock, text.size());
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
            m_used = 0;
        }
        char* at = m_blocks.back().get() + m_used;
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        m_used += text.size();
        return {at, text.size()};
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_capacity = 0;   // of the last block
    std::size_t m_used = 0;
};

namespace {

// A listing of what the source holds, its texts copied.
Result<Listing> ListFrom(RecordSource& source)
{
    Listing listing;
    auto texts = std::make_shared<ListingTexts>();
    // Never trust the count for the reservation: a record takes at least 18 bytes.
    if (source.Size() >= kHeaderSize) {
        if (const std::uint8_t* header = source.Peek(kHeaderSize)) {
            const auto count = LoadI32le(header);
            listing.entries.reserve(static_cast<std::size_t>(std::clamp<std::uint64_t>(
                count < 0 ? 0 : static_cast<std::uint64_t>(count), 0, source.Size() / 18)));
        }
    }
    auto walked = Walk(source, [&](const RecordView& r) {
        listing.entries.push_back(
            Entry{texts->Keep(TextUpToZero(r.title)), texts->Keep(TextUpToZero(r.path)), static_cast<std::int64_t>(r.offset)});
    });
    if (!walked) return walked.error();
    listing.texts = std::move(texts);
    listing.entryCount = walked->entryCount;
    listing.recordsSize = walked->recordsSize;
    listing.fileLength = walked->fileLength;
    listing.damage = std::move(walked->damage);
    return listing;
}

// ---- changing a file ---------------------------------------------------------

std::array<std::uint8_t, kHeaderSize> Header(std::int32_t entryCount, std::int32_t recordsSize)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    StoreI32le(h.data(), entryCount);
    StoreI32le(h.data() + 4, recordsSize);
    return h;
}

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

Error WithFile(Error e, const fs::path& file)
{
    if (e.file.empty()) e.file = file;
    return e;
}

Error Unchanged(Error e)
{
    e.message += " 레지스트리화일은 바꾸지 않았습니다.";
    return e;
}

Error BackupError(Error e)
{
    e.code = ErrorCode::BackupFailed;
    e.message = std::string(kBackupFailed) + ". " + e.message;
    return e;
}

// A change that may or may not have reached the disk.
Error NotConfirmed(Error e, std::string_view what, const std::optional<fs::path>& backup)
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
    static Result<BackupCopy> Create(const fs::path& registry, std::uint32_t mode)
    {
        const fs::path folder = FolderOf(registry);
        RemoveLeftovers(folder);
        auto pending = PendingFile::Create(folder, mode);
        if (!pending) return Unchanged(BackupError(pending.error()));
        return BackupCopy(std::move(*pending));
    }

    Status Take(std::span<const std::uint8_t> bytes)
    {
        auto s = m_pending.Append(bytes);
        if (!s) m_failure = s.error();
        return s;
    }

    // The error of a walk whose tap may have been this copy.
    Error Failure(Error walkError) const { return m_failure ? Unchanged(BackupError(*m_failure)) : walkError; }

    // Puts the whole copy under the backup name of registry at time t: the
    // first of name, name_2, name_3, ... that is free.
    Result<fs::path> Place(const fs::path& registry, const LocalTime& t)
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

    // Copies all of an open file, for when the pass over it could not.
    Status CopyFrom(os::File& file, std::uint64_t size)
    {
        Bytes piece(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(size, 1), g_piece)));
        for (std::uint64_t at = 0; at < size;) {
            const auto part = std::span(piece).first(static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - at)));
            if (auto s = file.ReadAt(at, part); !s) return s;
            if (auto s = Take(part); !s) return Unchanged(BackupError(s.error()));
            at += part.size();
        }
        return Ok{};
    }

    static std::function<fs::path(int)> BackupNames(const fs::path& registry, const LocalTime& t)
    {
        return [base = BackupName(registry, t)](int n) {
            fs::path name = base;
            if (n > 1) name += Suffix({n});
            return name;
        };
    }

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

// Puts a copy of the registry's bytes, with its time, under the name of a
// backup that is the registry itself under another name, so that the backup
// keeps these bytes when the registry changes. The registry may be closed
// afterwards (Windows renames over no open file).
Status SeparateBackup(Opened& reg, const fs::path& backup)
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
    Bytes piece(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(reg.info.size, 1), g_piece)));
    for (std::uint64_t at = 0; at < reg.info.size;) {
        const auto part = std::span(piece).first(static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), reg.info.size - at)));
        if (auto s = reg.file.ReadAt(at, part); !s) return failed(s.error());
        if (auto s = copy->Append(part); !s) return failed(s.error());
        at += part.size();
    }
    (void)copy->File().SetModified(reg.info.modifiedNs);
    if (auto s = copy->Replace(backup, &reg.file); !s && s.error().code != ErrorCode::NotConfirmed) return failed(s.error());
    return Ok{};
}

// The registry, locked for a change and not larger than the program handles.
// A backup that is still the registry under another name (a deletion killed
// or refused between linking the backup and its rename) first gets bytes of
// its own, so that no change reaches it.
Result<Opened> OpenRegistryForChange(const fs::path& file, std::chrono::milliseconds lockWait)
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
        if (auto s = SeparateBackup(reg, shared.front()); !s) return s.error();
        // The registry's names have changed: open and lock it again.
    }
}

// Writes the record after the last one and then the header, each flushed
// before the next step: a crash in between leaves the old header, which does
// not count the record. A failed step puts back every byte the append
// covered and the file's old length.
Status WriteRecord(os::File& reg, const Walked& w, std::span<const std::uint8_t> record,
                   const std::optional<fs::path>& backup)
{
    const std::uint64_t at = kHeaderSize + static_cast<std::uint64_t>(w.recordsSize);
    const std::uint64_t oldSize = w.fileLength;
    Bytes covered(static_cast<std::size_t>(std::min<std::uint64_t>(record.size(), oldSize - at)));
    if (auto s = reg.ReadAt(at, covered); !s) return Unchanged(s.error());
    const auto oldHeader = Header(w.entryCount, w.recordsSize);
    const auto newHeader = Header(w.entryCount + 1, w.recordsSize + static_cast<std::int32_t>(record.size()));

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

// Copies length bytes of from, starting at offset, to the end of to.
Status CopyRange(os::File& from, std::uint64_t offset, std::uint64_t length, PendingFile& to)
{
    Bytes piece(static_cast<std::size_t>(std::min<std::uint64_t>(length, g_piece)));
    while (length > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, piece.size()));
        const auto part = std::span(piece).first(n);
        if (auto s = from.ReadAt(offset, part); !s) return s;
        if (auto s = to.Append(part); !s) return s;
        offset += n;
        length -= n;
    }
    return Ok{};
}

// The backup of a registry that is about to be replaced by a rename: the old
// file itself under the backup name. Nothing writes to that file again, so
// the second name keeps the bytes before the change, whole, without a copy.
// Where the file system has no hard links, a copy is written instead.
Result<fs::path> BackupByLink(os::File& reg, const os::FileInfo& info, const fs::path& target, const fs::path& file,
                              const LocalTime& t)
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
        if (auto s = copy->CopyFrom(reg, info.size); !s) return s.error();
        return copy->Place(file, t);
    }
    return Unchanged(BackupError(Error{ErrorCode::Exists, Quoted(names(1)) + " 부터 " + Num(kMaxBackupNames) +
                                                              "개의 이름이 모두 쓰이고 있습니다.", -1, names(1)}));
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
Status MoveUpInPlace(os::File& reg, const Walked& w, const Doomed& d, const fs::path& backup)
{
    const auto restore = [&](Error e) -> Error {
        auto copy = os::File::Open(backup, os::File::Access::Read);
        bool restored = copy.ok();
        Bytes piece(g_piece);
        for (std::uint64_t at = 0; restored && at < w.fileLength;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(g_piece, w.fileLength - at));
            restored = copy->ReadAt(at, std::span(piece).first(n)).ok() && reg.WriteAt(at, std::span(piece).first(n)).ok();
            at += n;
        }
        restored = restored && reg.Sync().ok();
        if (restored) return Unchanged(e);
        return NotConfirmed(e, "레지스트리화일을 되돌리지 못했습니다.", backup);
    };
    Bytes piece(static_cast<std::size_t>(std::min<std::uint64_t>(g_piece, std::max<std::uint64_t>(w.fileLength, 1))));
    for (std::uint64_t from = d.offset + d.size; from < w.fileLength;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), w.fileLength - from));
        const auto part = std::span(piece).first(n);
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
    return Error{ErrorCode::OutOfRange,
                 Num(index) + "번 항목이 없습니다: 목록에는 항목이 " + Num(entryCount) + "개 있습니다.", -1, {}};
}

} // namespace

AudioInfo DefaultAudioInfo()
{
    AudioInfo a;
    a.copyrightHolder = "\xB8\xF0\xC5\xE4\xB7\xD1\xB6\xF3" "MS400"; // "모토롤라MS400" (Motorola MS400) in CP949
    a.bitrate = "128.00";
    a.kbps = "128.00";
    a.samplingRate = "44.10";
    a.audioFormat = "HE-AAC (MP4)";
    return a;
}

std::string EntryPath(LinkKind kind, std::string_view linkName)
{
    std::string path = kind == LinkKind::Mod ? "ZQT/MOD/" : "ZQT/MORVANTA/";
    path += linkName;
    return path;
}

Result<Bytes> BuildRecord(const EntryFields& f)
{
    if (f.kind != LinkKind::Mrv && f.kind != LinkKind::Mod) {
        return Error{ErrorCode::InvalidArgument,
                     "알 수 없는 항목 종류입니다(" + Num(static_cast<int>(f.kind)) + ").", -1, {}};
    }
    if (f.kind == LinkKind::Mod && (f.location < 0 || f.location >= kStorageLocationCount)) {
        return Error{ErrorCode::InvalidArgument, "알 수 없는 저장 위치입니다(" + Num(f.location) + ").", -1, {}};
    }
    const std::pair<std::string_view, const std::string*> texts[] = {
        {kTitleField, &f.title},     {kCopyrightField, &f.audio.copyrightHolder},
        {kBitrateField, &f.audio.bitrate}, {kAudioFormatField, &f.audio.audioFormat},
        {kKbpsField, &f.audio.kbps}, {kSamplingRateField, &f.audio.samplingRate},
    };
    std::uint64_t textBytes = 0;
    for (const auto& [field, text] : texts) {
        if (text->size() > kMaxShortText) {
            return Error{ErrorCode::TextTooLong,
                         std::string(field) + "이(가) 너무 깁니다: " + Num(static_cast<std::int64_t>(kMaxShortText)) +
                             "바이트까지 넣을 수 있는데 " + Num(static_cast<std::int64_t>(text->size())) + "바이트입니다.",
                         -1, {}};
        }
        textBytes += text->size();
    }
    const std::string path = EntryPath(f.kind, f.linkName);
    const std::uint64_t bodyLength = kFixedBodyBytes + path.size() + textBytes;
    if (bodyLength > kMaxRecordBody) {
        return Error{ErrorCode::TextTooLong,
                     "항목이 너무 깁니다: 휴대폰은 항목 하나를 " + Num(static_cast<std::int64_t>(kMaxRecordBody)) +
                         "바이트까지 읽는데, 이 항목은 " + Num(static_cast<std::int64_t>(bodyLength)) + "바이트로 " +
                         Num(static_cast<std::int64_t>(bodyLength - kMaxRecordBody)) +
                         "바이트 넘습니다. 곡명이나 " + std::string(kLinkNameField) + ", 추가옵션의 글을 줄이세요.",
                     -1, {}};
    }

    Bytes out;
    out.reserve(4 + bodyLength);
    ByteWriter w(out);
    const auto shortText = [&w](std::string_view s) {
        w.u8(static_cast<std::uint8_t>(s.size()));
        w.text(s);
    };
    w.i32le(static_cast<std::int32_t>(bodyLength));
    w.bytes(kLeadBytes);
    w.i32le(static_cast<std::int32_t>(path.size() + 1));
    w.text(path);
    w.u8(0);
    // The five audio texts are stored in this order, not in the form's.
    shortText(f.title);
    shortText(f.audio.copyrightHolder);
    shortText(kDateText);
    shortText(f.audio.bitrate);
    shortText(f.audio.audioFormat);
    shortText(f.audio.kbps);
    shortText(f.audio.samplingRate);
    shortText(kNoInfoText);
    shortText(kDecimalText);
    shortText(kDlText);
    shortText({});
    w.bytes(kMarkerBytes);
    w.i32le(f.playTime); // play time before file size, unlike the form
    w.i32le(f.fileSize);
    if (f.kind == LinkKind::Mrv) w.bytes(kMrvTrailer);
    else if (f.location < kFirstCardLocation) w.bytes(kModInternalTrailer);
    else w.bytes(kModCardTrailer);
    return out;
}

Listing ParseListing(std::span<const std::uint8_t> bytes)
{
    RecordSource source(bytes);
    // Bytes in memory cannot fail to be read.
    return ListFrom(source).value();
}

namespace {

// A registry opened to be read through, and its size; one larger than any
// registry we read is refused before anything is read.
struct OpenedToRead {
    os::File file;
    std::uint64_t size = 0;
};

Result<OpenedToRead> OpenToRead(const fs::path& file)
{
    auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return opened.error();
    const auto info = opened->Info();
    if (!info) return info.error();
    if (info->size > kMaxRegistryBytes) return TooLargeError(file, info->size, kMaxRegistryBytes);
    return OpenedToRead{std::move(*opened), info->size};
}

} // namespace

Result<Listing> ReadList(const fs::path& file)
{
    auto opened = OpenToRead(file);
    if (!opened) return opened.error();
    RecordSource source(opened->file, opened->size, g_piece);
    auto listing = ListFrom(source);
    if (listing && listing->damage) listing->damage->file = file;
    return listing;
}

namespace {

template <class Visit>
Result<Summary> WalkFile(const fs::path& file, Visit&& visit)
{
    auto opened = OpenToRead(file);
    if (!opened) return opened.error();
    RecordSource source(opened->file, opened->size, g_piece);
    auto walked = Walk(source, visit);
    if (!walked) return walked.error();
    Summary summary{walked->entryCount, walked->recordsSize, walked->fileLength, std::move(walked->damage)};
    if (summary.damage) summary.damage->file = file;
    return summary;
}

} // namespace

Result<Summary> VisitList(const fs::path& file, const std::function<void(const Entry&)>& visit)
{
    return WalkFile(file, [&visit](const RecordView& r) { visit(EntryOf(r)); });
}

Result<Summary> VisitRawList(const fs::path& file, const std::function<void(const RawEntry&)>& visit)
{
    return WalkFile(file, [&visit](const RecordView& r) { visit(RawEntry{r.title, r.path}); });
}

Result<fs::path> MakeBackup(const fs::path& file, const LocalTime& t)
{
    auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return opened.error();
    const auto info = opened->Info();
    if (!info) return info.error();
    auto copy = BackupCopy::Create(file, info->mode);
    if (!copy) return copy.error();
    RecordSource source(*opened, info->size, g_piece);
    source.SetTap([&copy](std::uint64_t, std::span<const std::uint8_t> bytes) { return copy->Take(bytes); });
    if (auto s = source.AdvanceToEnd(); !s) return copy->Failure(s.error());
    return copy->Place(file, t);
}

Result<ChangeOutcome> Append(const fs::path& file, const EntryFields& f, std::optional<LocalTime> backupAt,
                             const ChangeOptions& options)
{
    const auto record = BuildRecord(f);
    if (!record) return record.error();
    const std::string path = EntryPath(f.kind, f.linkName);
    auto opened = OpenRegistryForChange(file, options.lockWait);
    if (!opened) return opened.error();
    os::File& reg = opened->file;

    std::optional<BackupCopy> copy;
    if (backupAt) {
        auto created = BackupCopy::Create(file, opened->info.mode);
        if (!created) return created.error();
        copy = std::move(*created);
    }
    RecordSource source(reg, opened->info.size, g_piece);
    if (copy) source.SetTap([&copy](std::uint64_t, std::span<const std::uint8_t> bytes) { return copy->Take(bytes); });
    bool pathTaken = false;
    bool titleTaken = false;
    auto walked = Walk(source, [&](const RecordView& r) {
        pathTaken = pathTaken || ShowsAs(r.path, path);
        titleTaken = titleTaken || ShowsAs(r.title, f.title);
    });
    if (!walked) return copy ? copy->Failure(walked.error()) : walked.error();
    if (walked->damage) return WithFile(*walked->damage, file);
    if (options.refuseDuplicates && pathTaken) return Error{ErrorCode::DuplicatePath, std::string(kDuplicatePath), -1, file};
    if (options.refuseDuplicates && titleTaken) return Error{ErrorCode::DuplicateTitle, std::string(kDuplicateTitle), -1, file};
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (walked->entryCount == kMax ||
        static_cast<std::uint64_t>(walked->recordsSize) + record->size() > static_cast<std::uint64_t>(kMax)) {
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
    if (auto s = WriteRecord(reg, *walked, *record, outcome.backup); !s) {
        // Unchanged: the folder is as it was, without the backup of a change that did not happen.
        if (outcome.backup && s.error().code != ErrorCode::NotConfirmed) (void)os::RemoveFile(*outcome.backup);
        return WithFile(s.error(), file);
    }
    return outcome;
}

Result<ChangeOutcome> Delete(const fs::path& file, int index, const LocalTime& backupAt, const ChangeOptions& options)
{
    auto opened = OpenRegistryForChange(file, options.lockWait);
    if (!opened) return opened.error();
    os::File& reg = opened->file;
    const os::FileInfo& info = opened->info;

    // The new content goes to a file beside the registry that replaces it,
    // unless that would part it from its other names or its owner.
    std::optional<PendingFile> replacement;
    if (info.links <= 1) {
        // What killed writers left in the folders this writes into goes first.
        RemoveLeftovers(FolderOf(opened->target));
        if (FolderOf(opened->target) != FolderOf(file)) RemoveLeftovers(FolderOf(file));
        auto pending = PendingFile::Create(FolderOf(opened->target), info.mode);
        if (!pending) return Unchanged(pending.error());
        if (pending->File().TakeOwnershipOf(info)) replacement = std::move(*pending);
    }
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
    RecordSource source(reg, info.size, g_piece);
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
        return Error{ErrorCode::Stale, "레지스트리화일이 목록을 읽은 뒤에 바뀌었습니다. 지우지 않았습니다.", -1, file};
    }
    if (auto s = source.AdvanceToEnd(); !s) return failed(s.error());

    ChangeOutcome outcome;
    outcome.index = index;
    outcome.entry = ShownEntry{doomed->title, doomed->path};
    auto placed = copy ? copy->Place(file, backupAt) : BackupByLink(reg, info, opened->target, file, backupAt);
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
        if (auto s = MoveUpInPlace(reg, *walked, *doomed, *placed); !s) {
            if (s.error().code == ErrorCode::NotConfirmed) return WithFile(s.error(), file);
            return refused(s.error());
        }
        return outcome;
    }
    // The file keeps its length: its last bytes stay where they were.
    if (auto s = CopyRange(reg, info.size - doomed->size, doomed->size, *replacement); !s) return refused(Unchanged(s.error()));
    const auto header = Header(walked->entryCount - 1, walked->recordsSize - static_cast<std::int32_t>(doomed->size));
    if (auto s = replacement->File().WriteAt(0, header); !s) return refused(Unchanged(s.error()));
    if (auto s = replacement->Replace(opened->target, &reg); !s) {
        if (s.error().code == ErrorCode::NotConfirmed)
            return WithFile(NotConfirmed(s.error(), "항목은 지웠지만 디스크에 다 쓰였는지 확인하지 못했습니다.", outcome.backup), file);
        return refused(Unchanged(s.error()));
    }
    return outcome;
}

void SetReadPieceForTesting(std::size_t bytes) { g_piece = bytes ? bytes : kDefaultPiece; }

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

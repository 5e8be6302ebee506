#include "registry/RegistryFile.h"

#include "core/ByteIO.h"

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

constexpr std::string_view kBackupFailed = "백업화일을 만들 수 없습니다"; // the backup could not be made

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
std::string_view TextUpToZero(std::span<const std::uint8_t> bytes)
{
    const auto* first = reinterpret_cast<const char*>(bytes.data());
    const void* zero = bytes.empty() ? nullptr : std::memchr(first, 0, bytes.size());
    return std::string_view(first, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - first) : bytes.size());
}

// ---- walking the records ---------------------------------------------------

struct RecordView {
    int index;
    std::uint64_t offset;              // of the length prefix
    std::uint64_t size;                // 4 + body length
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
// Bytes past the records are leftovers of earlier deletions and never looked at.
template <class Visit>
Walked Walk(std::span<const std::uint8_t> bytes, Visit&& visit)
{
    Walked w;
    w.fileLength = bytes.size();
    if (bytes.size() < kHeaderSize) {
        w.damage = Damaged(0, "8바이트 머리부보다 짧습니다(" + Num(static_cast<std::int64_t>(bytes.size())) + "바이트)");
        return w;
    }
    w.entryCount = LoadI32le(bytes.data());
    w.recordsSize = LoadI32le(bytes.data() + 4);
    if (w.entryCount < 0) {
        w.damage = Damaged(0, "항목 수가 음수입니다(" + Num(w.entryCount) + ")");
        return w;
    }
    if (w.recordsSize < 0) {
        w.damage = Damaged(4, "레코드 크기가 음수입니다(" + Num(w.recordsSize) + ")");
        return w;
    }

    std::uint64_t pos = kHeaderSize;
    for (int i = 0; i < w.entryCount; ++i) {
        const std::uint64_t left = bytes.size() - pos;
        if (left < 4) {
            w.damage = Damaged(pos, "항목 수는 " + Num(w.entryCount) + "개인데 " + Num(i) + "개 뒤에서 화일이 끝납니다");
            return w;
        }
        const std::int32_t length = LoadI32le(bytes.data() + pos);
        if (length < 0) {
            w.damage = Damaged(pos, Ordinal(i) + "의 길이가 음수입니다(" + Num(length) + ")");
            return w;
        }
        const auto bodyLength = static_cast<std::uint64_t>(length);
        if (bodyLength > left - 4) {
            w.damage = Damaged(pos, Ordinal(i) + "이(가) 화일 끝을 넘습니다: 본문은 " + Num(length) + "바이트인데 " +
                                        Num(static_cast<std::int64_t>(left - 4)) + "바이트만 남았습니다");
            return w;
        }
        const auto body = bytes.subspan(pos + 4, bodyLength);
        if (body.size() < kPathAt) {
            w.damage = Damaged(pos, Ordinal(i) + "의 본문(" + Num(length) + "바이트)이 경로 크기에 닿지 않습니다");
            return w;
        }
        const std::int32_t pathSize = LoadI32le(body.data() + kPathSizeAt);
        if (pathSize < 0) {
            w.damage = Damaged(pos + 4 + kPathSizeAt, Ordinal(i) + "의 경로 크기가 음수입니다(" + Num(pathSize) + ")");
            return w;
        }
        if (static_cast<std::uint64_t>(pathSize) > body.size() - kPathAt) {
            w.damage = Damaged(pos + 4 + kPathSizeAt,
                               Ordinal(i) + "의 경로 크기(" + Num(pathSize) + ")가 본문을 넘습니다");
            return w;
        }
        const std::size_t titleAt = kPathAt + static_cast<std::size_t>(pathSize);
        if (titleAt >= body.size()) {
            w.damage = Damaged(pos + 4 + titleAt, Ordinal(i) + "의 곡명 길이 바이트가 본문 밖에 있습니다");
            return w;
        }
        const std::size_t titleLength = body[titleAt];
        if (titleLength > body.size() - titleAt - 1) {
            w.damage = Damaged(pos + 4 + titleAt,
                               Ordinal(i) + "의 곡명(" + Num(static_cast<std::int64_t>(titleLength)) + "바이트)이 본문을 넘습니다");
            return w;
        }
        visit(RecordView{i, pos, 4 + bodyLength, body.subspan(kPathAt, static_cast<std::size_t>(pathSize)),
                         body.subspan(titleAt + 1, titleLength)});
        pos += 4 + bodyLength;
    }
    if (pos - kHeaderSize != static_cast<std::uint64_t>(w.recordsSize)) {
        w.damage = Damaged(4, "머리부의 레코드 크기(" + Num(w.recordsSize) + ")가 레코드들의 실제 크기(" +
                                  Num(static_cast<std::int64_t>(pos - kHeaderSize)) + ")와 다릅니다");
    }
    return w;
}

// ---- changing a file ---------------------------------------------------------

std::array<std::uint8_t, kHeaderSize> Header(std::int32_t entryCount, std::int32_t recordsSize)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    StoreI32le(h.data(), entryCount);
    StoreI32le(h.data() + 4, recordsSize);
    return h;
}

Result<fs::path> WriteBackup(const fs::path& file, std::span<const std::uint8_t> bytes, const LocalTime& t)
{
    const fs::path base = BackupName(file, t);
    for (int n = 1; n <= kMaxBackupNames; ++n) {
        fs::path name = base;
        if (n > 1) name += Suffix({n});
        auto written = WriteNewFile(name, bytes);
        if (!written) {
            Error e = written.error();
            e.code = ErrorCode::BackupFailed;
            e.message = std::string(kBackupFailed) + ". " + e.message;
            return e;
        }
        if (*written) return name;
    }
    return Error{ErrorCode::BackupFailed,
                 std::string(kBackupFailed) + ": '" + base.string() + "' 부터 " + std::to_string(kMaxBackupNames) +
                     "개의 이름이 모두 쓰이고 있습니다.",
                 -1, base};
}

Error Unchanged(Error e)
{
    e.message += " 레지스트리화일은 바꾸지 않았습니다.";
    return e;
}

Error WithFile(Error e, const fs::path& file)
{
    e.file = file;
    return e;
}

struct Doomed {
    std::uint64_t offset;
    std::uint64_t size;
    std::int32_t entryCount;
    std::int32_t recordsSize;
};

// Where record index lies in a sound registry.
Result<Doomed> FindRecord(std::span<const std::uint8_t> bytes, int index)
{
    std::optional<RecordView> found;
    Walked w = Walk(bytes, [&](const RecordView& r) {
        if (r.index == index) found = r;
    });
    if (w.damage) return *w.damage;
    if (!found) {
        return Error{ErrorCode::OutOfRange,
                     Num(static_cast<std::int64_t>(index) + 1) + "번째 항목은 없습니다: 항목은 " + Num(w.entryCount) +
                         "개입니다.",
                     -1, {}};
    }
    return Doomed{found->offset, found->size, w.entryCount, w.recordsSize};
}

// Everything behind the record, leftovers included, moves up by its size; the
// file keeps its length, so its last bytes stay as they were.
void RemoveInPlace(Bytes& bytes, const Doomed& d)
{
    const auto to = bytes.begin() + static_cast<std::ptrdiff_t>(d.offset);
    std::copy(to + static_cast<std::ptrdiff_t>(d.size), bytes.end(), to);
    const auto header = Header(d.entryCount - 1, d.recordsSize - static_cast<std::int32_t>(d.size));
    std::copy(header.begin(), header.end(), bytes.begin());
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
    if (bodyLength > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return Error{ErrorCode::TextTooLong, std::string(kLinkNameField) + "이(가) 너무 깁니다.", -1, {}};
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

Listing ParseListing(Bytes&& owned)
{
    Listing listing;
    listing.bytes = std::make_shared<const Bytes>(std::move(owned));
    const std::span<const std::uint8_t> bytes(*listing.bytes);
    // Never trust the count for the reservation: a record takes at least 18 bytes.
    if (bytes.size() >= kHeaderSize) {
        const auto count = LoadI32le(bytes.data());
        listing.entries.reserve(std::clamp<std::size_t>(count < 0 ? 0 : static_cast<std::size_t>(count), 0,
                                                        bytes.size() / 18));
    }
    Walked w = Walk(bytes, [&listing](const RecordView& r) {
        listing.entries.push_back(Entry{TextUpToZero(r.title), TextUpToZero(r.path), static_cast<std::int64_t>(r.offset)});
    });
    listing.entryCount = w.entryCount;
    listing.recordsSize = w.recordsSize;
    listing.fileLength = w.fileLength;
    listing.damage = std::move(w.damage);
    return listing;
}

Listing ParseListing(std::span<const std::uint8_t> bytes)
{
    return ParseListing(Bytes(bytes.begin(), bytes.end()));
}

Result<Listing> ReadList(const fs::path& file)
{
    // ReadWholeFile refuses a folder, device or fifo without blocking on it.
    auto bytes = ReadWholeFile(file);
    if (!bytes) return bytes.error();
    Listing listing = ParseListing(std::move(*bytes));
    if (listing.damage) listing.damage->file = file;
    return listing;
}

fs::path BackupName(const fs::path& file, const LocalTime& t)
{
    fs::path name = file;
    name += Suffix({t.year, t.day, t.hour, t.minute, t.second});
    return name;
}

Result<fs::path> MakeBackup(const fs::path& file, const LocalTime& t)
{
    auto bytes = ReadWholeFile(file);
    if (!bytes) return bytes.error();
    return WriteBackup(file, *bytes, t);
}

Result<ChangeOutcome> Append(const fs::path& file, const EntryFields& f, std::optional<LocalTime> backupAt)
{
    if (auto record = BuildRecord(f); !record) return record.error();
    auto opened = OpenForUpdate(file);
    if (!opened) return opened.error();
    return AppendTo(**opened, f, backupAt);
}

Result<ChangeOutcome> AppendTo(RandomAccessFile& file, const EntryFields& f, std::optional<LocalTime> backupAt)
{
    const auto record = BuildRecord(f);
    if (!record) return record.error();
    const auto bytes = ReadAll(file);
    if (!bytes) return bytes.error();
    Walked w = Walk(*bytes, [](const RecordView&) {});
    if (w.damage) return WithFile(*w.damage, file.path());

    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (w.entryCount == kMax || static_cast<std::uint64_t>(w.recordsSize) + record->size() > static_cast<std::uint64_t>(kMax)) {
        return Error{ErrorCode::OutOfRange, "레지스트리화일에 더 넣을 자리가 없습니다.", 0, file.path()};
    }

    ChangeOutcome outcome;
    if (backupAt) {
        auto backup = WriteBackup(file.path(), *bytes, *backupAt);
        if (!backup) return Unchanged(backup.error());
        outcome.backup = std::move(*backup);
    }
    // The record goes behind the last one, over any leftovers, and reaches the
    // disk before the header counts it: a crash in between leaves the old,
    // sound registry with a few more leftover bytes.
    if (auto s = file.writeAt(kHeaderSize + static_cast<std::uint64_t>(w.recordsSize), *record); !s) return s.error();
    if (auto s = file.sync(); !s) return s.error();
    const auto header = Header(w.entryCount + 1, w.recordsSize + static_cast<std::int32_t>(record->size()));
    if (auto s = file.writeAt(0, header); !s) return s.error();
    if (auto s = file.sync(); !s) return s.error();
    return outcome;
}

Result<Bytes> RemoveRecord(std::span<const std::uint8_t> bytes, int index)
{
    const auto doomed = FindRecord(bytes, index);
    if (!doomed) return doomed.error();
    Bytes out(bytes.begin(), bytes.end());
    RemoveInPlace(out, *doomed);
    return out;
}

Result<ChangeOutcome> Delete(const fs::path& file, int index, const LocalTime& backupAt)
{
    Bytes bytes;
    {
        // Opened for writing only to refuse a file that may not be changed.
        auto opened = OpenForUpdate(file);
        if (!opened) return opened.error();
        auto read = ReadAll(**opened);
        if (!read) return read.error();
        bytes = std::move(*read);
    }
    const auto doomed = FindRecord(bytes, index);
    if (!doomed) return WithFile(doomed.error(), file);

    ChangeOutcome outcome;
    auto backup = WriteBackup(file, bytes, backupAt);
    if (!backup) return Unchanged(backup.error());
    outcome.backup = std::move(*backup);
    RemoveInPlace(bytes, *doomed);
    if (auto s = WriteFileAtomically(file, bytes); !s) return s.error();
    return outcome;
}

} // namespace mrv::registry

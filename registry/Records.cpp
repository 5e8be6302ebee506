#include "registry/Records.h"

#include "core/ByteIO.h"
#include "registry/Messages.h"
#include "registry/RecordSource.h"
#include "registry/Walk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace mrv::registry {
namespace fs = std::filesystem;
using namespace walk;

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

Result<Listing> ReadList(const fs::path& file, const ReadOptions& read)
{
    auto opened = OpenToRead(file);
    if (!opened) return opened.error();
    RecordSource source(opened->file, opened->size, read);
    auto listing = ListFrom(source);
    if (listing && listing->damage) listing->damage->file = file;
    return listing;
}

namespace {

template <class Visit>
Result<Summary> WalkFile(const fs::path& file, const ReadOptions& read, Visit&& visit)
{
    auto opened = OpenToRead(file);
    if (!opened) return opened.error();
    RecordSource source(opened->file, opened->size, read);
    auto walked = Walk(source, visit);
    if (!walked) return walked.error();
    Summary summary{walked->entryCount, walked->recordsSize, walked->fileLength, std::move(walked->damage)};
    if (summary.damage) summary.damage->file = file;
    return summary;
}

} // namespace

Result<Summary> VisitList(const fs::path& file, const std::function<void(const Entry&)>& visit, const ReadOptions& read)
{
    return WalkFile(file, read, [&visit](const RecordView& r) { visit(EntryOf(r)); });
}

Result<ShownEntry> EntryAt(const fs::path& file, int index, const ReadOptions& read)
{
    std::optional<ShownEntry> found;
    int at = 0;
    auto summary = VisitList(file, [&](const Entry& e) {
        if (at++ == index) found = ShownEntry{std::string(e.title), std::string(e.path)};
    }, read);
    if (!summary) return summary.error();
    if (summary->damage) return *summary->damage;
    if (!found) {
        Error e{ErrorCode::OutOfRange, messages::NoSuchEntry(index, at), -1, file};
        e.index = index;
        e.count = at;
        return e;
    }
    return *found;
}

Result<Summary> VisitRawList(const fs::path& file, const std::function<void(const RawEntry&)>& visit,
                             const ReadOptions& read)
{
    return WalkFile(file, read, [&visit](const RecordView& r) { visit(RawEntry{r.title, r.path}); });
}

} // namespace mrv::registry

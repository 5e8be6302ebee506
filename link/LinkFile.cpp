#include "link/LinkFile.h"

#include "core/ByteIO.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace mrv::link {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::uint8_t, 8> kInternalBlock{0x58, 0x91, 0x26, 0x2F, 0x16, 0x00, 0x00, 0x00};
constexpr std::array<std::uint8_t, 8> kCardBlock{0x19, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00};
constexpr std::uint8_t kTypeMrv = 7;
constexpr std::uint8_t kTypeMod = 6;
constexpr std::size_t kTypeOffset = 4;
constexpr std::size_t kReservedOffset = 68;

constexpr const char* kUrlMod = "file://mod/";
constexpr const char* kUrlMp3 = "file://MP3/";
constexpr const char* kUrlCard = "file://mmc1/MP3/";

// URL of a MOD link's folder, by location.
const char* ModUrl(StorageLocation loc)
{
    if (loc >= 4) return kUrlCard;
    return (loc == 1 || loc == 3) ? kUrlMp3 : kUrlMod;
}

std::string Hex(std::span<const std::uint8_t> bytes)
{
    std::string out;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

// The bytes of a damaged target path, shown safely: printable ASCII as is, the
// rest as \xNN.
std::string Printable(std::string_view text)
{
    std::string out;
    char buf[8];
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            out += buf;
        }
    }
    return out;
}

Error Damaged(std::size_t offset, const std::string& what)
{
    return Error{ErrorCode::Damaged, what, static_cast<std::int64_t>(offset), {}};
}

Error TooLong(std::uintmax_t size)
{
    return Damaged(kMaxFileSize, "링크 화일이 " + std::to_string(size) + "바이트입니다: " +
                                     std::to_string(kMaxFileSize) + "바이트를 넘을 수 없습니다(오프셋 " +
                                     std::to_string(kMaxFileSize) + "부터 남는 바이트).");
}

std::string At(const char* field, std::size_t offset)
{
    return std::string(field) + "(오프셋 " + std::to_string(offset) + ")";
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

struct ParsedPath {
    std::string_view url;
    int number = 0;
    bool dcf = false;
};

// Splits URL, number and extension of a target path, strictly: a known URL,
// one to five digits without leading zeros, ".zqm" or ".dcf", nothing more.
Result<ParsedPath> ParseTargetPath(std::string_view path)
{
    ParsedPath parsed;
    for (std::string_view url : {std::string_view(kUrlCard), std::string_view(kUrlMod), std::string_view(kUrlMp3)}) {
        if (StartsWith(path, url)) parsed.url = url;
    }
    if (parsed.url.empty()) {
        return Damaged(kHeaderSize, At("대상 경로", kHeaderSize) + ": \"" + kUrlMod + "\", \"" + kUrlMp3 + "\" 또는 \"" +
                                        kUrlCard + "\"로 시작해야 하는데 \"" + Printable(path) + "\"입니다.");
    }
    const std::size_t digitsAt = parsed.url.size();
    std::size_t end = digitsAt;
    while (end < path.size() && path[end] >= '0' && path[end] <= '9') ++end;
    const std::size_t digits = end - digitsAt;
    if (digits == 0 || digits > 5 || (digits > 1 && path[digitsAt] == '0')) {
        return Damaged(kHeaderSize + digitsAt, At("대상 경로의 번호", kHeaderSize + digitsAt) +
                                                   ": 앞에 0이 없는 0~99999의 숫자여야 하는데 \"" +
                                                   Printable(path.substr(digitsAt)) + "\"입니다.");
    }
    for (std::size_t i = digitsAt; i < end; ++i) parsed.number = parsed.number * 10 + (path[i] - '0');
    const std::string_view ext = path.substr(end);
    if (ext != ".zqm" && ext != ".dcf") {
        return Damaged(kHeaderSize + end, At("대상 경로의 확장자", kHeaderSize + end) +
                                              ": \".zqm\" 또는 \".dcf\"여야 하는데 \"" + Printable(ext) + "\"입니다.");
    }
    parsed.dcf = ext == ".dcf";
    return parsed;
}

// The MOD location that a URL and container name, 0..5.
StorageLocation LocationOf(std::string_view url, bool dcf)
{
    if (url == kUrlCard) return dcf ? 5 : 4;
    if (url == kUrlMp3) return dcf ? 3 : 1;
    return dcf ? 2 : 0;
}

Status CheckZeros(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to, const char* field)
{
    for (std::size_t i = from; i < to; ++i) {
        if (bytes[i] != 0) {
            return Damaged(i, At(field, i) + ": 0이어야 하는데 0x" + Hex(bytes.subspan(i, 1)) + "입니다.");
        }
    }
    return Ok{};
}

} // namespace

const char* Prefix(LinkKind kind)
{
    return kind == LinkKind::Mod ? "MOD_Dat" : "MRV_Dat";
}

bool IsDcfLocation(StorageLocation loc)
{
    return loc == 2 || loc == 3 || loc == 5;
}

bool IsMemoryCard(StorageLocation loc)
{
    return loc >= 4;
}

std::string LinkFileName(std::string_view prefix, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", number);
    return std::string(prefix) + digits;
}

std::string TargetFileName(int number, LinkKind kind, bool dcfFlag)
{
    return std::to_string(number) + (kind == LinkKind::Mod && dcfFlag ? ".dcf" : ".zqm");
}

std::string TargetPath(LinkKind kind, StorageLocation loc, int number)
{
    if (kind == LinkKind::Mrv) return kUrlMod + TargetFileName(number, kind, false);
    return ModUrl(loc) + TargetFileName(number, kind, IsDcfLocation(loc));
}

std::array<std::uint8_t, 8> LocationBlock(StorageLocation loc)
{
    return IsMemoryCard(loc) ? kCardBlock : kInternalBlock;
}

Result<Bytes> EncodeLink(LinkKind kind, std::string_view titleCp949, StorageLocation loc, int number)
{
    if (titleCp949.size() > kMaxTitleBytes) {
        return Error{ErrorCode::TextTooLong,
                     "제목이 " + std::to_string(titleCp949.size()) + "바이트입니다: 링크 화일의 제목은 " +
                         std::to_string(kMaxTitleBytes) + "바이트(한글 25자)까지입니다.",
                     -1, {}};
    }
    // The handset reads the title up to the first zero byte: an inner zero
    // would silently cut the title on the phone.
    if (titleCp949.find('\0') != std::string_view::npos) {
        return Error{ErrorCode::InvalidArgument, "제목에 0 바이트가 들어 있습니다.", -1, {}};
    }
    if (loc < 0 || loc >= kStorageLocationCount) {
        return Error{ErrorCode::OutOfRange, "저장 위치는 0~5여야 하는데 " + std::to_string(loc) + "입니다.", -1, {}};
    }
    if (number < 0 || number > kMaxLinkNumber) {
        return Error{ErrorCode::OutOfRange, "링크 번호는 0~99999여야 하는데 " + std::to_string(number) + "입니다.", -1, {}};
    }

    const std::string target = TargetPath(kind, loc, number);
    Bytes out;
    out.reserve(kHeaderSize + target.size());
    ByteWriter w(out);
    w.u32le(static_cast<std::uint32_t>(kHeaderSize + target.size()));
    w.u32le(kind == LinkKind::Mod ? kTypeMod : kTypeMrv);
    w.text(titleCp949);
    out.resize(kBlockOffset, 0);
    w.bytes(LocationBlock(loc));
    out.resize(kHeaderSize, 0);
    w.text(target);
    return out;
}

Result<LinkInfo> DecodeLink(std::span<const std::uint8_t> bytes)
{
    const std::size_t size = bytes.size();
    if (size < kMinFileSize) {
        return Damaged(size, "링크 화일이 오프셋 " + std::to_string(size) + "에서 끝납니다: 적어도 " +
                                 std::to_string(kMinFileSize) + "바이트여야 합니다.");
    }
    if (size > kMaxFileSize) return TooLong(size);

    LinkInfo info;
    info.length = LoadU32le(bytes.data());
    if (info.length != size) {
        return Damaged(0, At("길이 필드", 0) + ": 화일 크기 " + std::to_string(size) + "이어야 하는데 " +
                              std::to_string(info.length) + "입니다.");
    }

    const std::uint32_t type = LoadU32le(bytes.data() + kTypeOffset);
    if (type != kTypeMrv && type != kTypeMod) {
        return Damaged(kTypeOffset, At("링크 종류", kTypeOffset) + ": 7(MRV) 또는 6(MOD)이어야 하는데 " +
                                        std::to_string(type) + "입니다.");
    }
    info.kind = type == kTypeMod ? LinkKind::Mod : LinkKind::Mrv;

    const auto field = bytes.subspan(kTitleOffset, kTitleFieldSize);
    const auto zero = std::find(field.begin(), field.end(), std::uint8_t{0});
    const auto titleSize = static_cast<std::size_t>(zero - field.begin());
    if (titleSize > kMaxTitleBytes) {
        return Damaged(kTitleOffset + kMaxTitleBytes,
                       At("제목", kTitleOffset) + ": 50바이트 뒤에 0 바이트가 두 개 있어야 하는데 없습니다.");
    }
    info.title.assign(field.begin(), zero);
    if (auto st = CheckZeros(bytes, kTitleOffset + titleSize, kBlockOffset, "제목 뒤의 채움"); !st) return st.error();

    std::copy_n(bytes.begin() + kBlockOffset, info.block.size(), info.block.begin());
    if (info.block != kInternalBlock && info.block != kCardBlock) {
        return Damaged(kBlockOffset, At("위치 블록", kBlockOffset) + ": 내장 메모리(" + Hex(kInternalBlock) +
                                         ") 또는 메모리 카드(" + Hex(kCardBlock) + ")여야 하는데 " + Hex(info.block) +
                                         "입니다.");
    }
    info.memoryCard = info.block == kCardBlock;
    if (auto st = CheckZeros(bytes, kReservedOffset, kHeaderSize, "예약 영역"); !st) return st.error();

    info.targetPath.assign(bytes.begin() + kHeaderSize, bytes.end());
    auto parsed = ParseTargetPath(info.targetPath);
    if (!parsed) return parsed.error();
    info.number = parsed->number;

    if (info.kind == LinkKind::Mrv) {
        // An MRV link names file://mod/N.zqm whatever its location block says.
        if (parsed->url != kUrlMod || parsed->dcf) {
            return Damaged(kHeaderSize, At("대상 경로", kHeaderSize) + ": MRV 링크는 \"" + kUrlMod +
                                            "번호.zqm\"이어야 하는데 \"" + Printable(info.targetPath) + "\"입니다.");
        }
        return info;
    }
    const StorageLocation loc = LocationOf(parsed->url, parsed->dcf);
    if (IsMemoryCard(loc) != info.memoryCard) {
        return Damaged(kBlockOffset, At("위치 블록", kBlockOffset) + ": 대상 경로 \"" + info.targetPath + "\"에는 " +
                                         (IsMemoryCard(loc) ? "메모리 카드" : "내장 메모리") +
                                         " 블록이어야 하는데 " + (info.memoryCard ? "메모리 카드" : "내장 메모리") +
                                         " 블록입니다.");
    }
    info.location = loc;
    return info;
}

std::string TitleField(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() <= kTitleOffset) return {};
    const auto field = bytes.subspan(kTitleOffset, std::min(kTitleFieldSize, bytes.size() - kTitleOffset));
    return std::string(field.begin(), std::find(field.begin(), field.end(), std::uint8_t{0}));
}

Result<fs::path> WriteLinkFile(const fs::path& folder, LinkKind kind, std::string_view titleCp949,
                               StorageLocation loc, int number)
{
    auto bytes = EncodeLink(kind, titleCp949, loc, number);
    if (!bytes) return bytes.error();
    const fs::path file = folder / LinkFileName(Prefix(kind), number);
    if (auto st = WriteFileWhole(file, *bytes); !st) return st.error();
    return file;
}

Result<fs::path> WriteNewLinkFile(const fs::path& folder, LinkKind kind, std::string_view titleCp949,
                                  StorageLocation loc, int number)
{
    auto bytes = EncodeLink(kind, titleCp949, loc, number);
    if (!bytes) return bytes.error();
    const fs::path file = folder / LinkFileName(Prefix(kind), number);
    return WriteNewFile([&file](int) { return file; }, 1, BytesProducer(*bytes), os::NewFileMode());
}

Result<LinkInfo> ReadLinkFile(const fs::path& file)
{
    const auto named = [&file](Error e) {
        e.file = file;
        e.message = Quoted(file) + ": " + e.message;
        return e;
    };
    // A link file is at most 121 bytes: refuse anything larger before reading it whole.
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (!ec && size > kMaxFileSize) return named(TooLong(size));
    auto bytes = ReadWholeFile(file, kMaxFileSize);
    if (!bytes) return bytes.error();
    auto info = DecodeLink(*bytes);
    if (!info) return named(info.error());
    return info;
}

} // namespace mrv::link

// Feeds arbitrary bytes to the link file decoder. Whatever it accepts must be
// exactly what the encoder writes for the fields it reports, so the decoder can
// never pass a file the link maker would not have written. The same bytes, read
// as encoder inputs, must make a file that decodes back to those inputs.
#include "link/LinkFile.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

using namespace mrv;

void Require(bool ok)
{
    if (!ok) std::abort();
}

void DecodeAccepts(std::span<const std::uint8_t> bytes)
{
    const std::string title = link::TitleField(bytes);
    Require(title.size() <= link::kTitleFieldSize);
    auto info = link::DecodeLink(bytes);
    if (!info) {
        Require(info.error().code == ErrorCode::Damaged && info.error().offset >= 0 && !info.error().message.empty());
        return;
    }
    Require(info->title == title);
    // An MRV link tells only internal memory or card; any location of that block writes the same bytes.
    const StorageLocation loc = info->location.value_or(info->memoryCard ? 4 : 0);
    auto again = link::EncodeLink(info->kind, info->title, loc, info->number);
    Require(again.ok() && std::equal(again->begin(), again->end(), bytes.begin(), bytes.end()));
}

void EncodeRoundTrips(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 5) return;
    const LinkKind kind = bytes[0] & 1 ? LinkKind::Mod : LinkKind::Mrv;
    const StorageLocation loc = static_cast<std::int8_t>(bytes[1]);
    const int number = static_cast<int>(bytes[2] | bytes[3] << 8 | (bytes[4] & 0x03) << 16) - 1;
    const std::string title(bytes.begin() + 5, bytes.end());
    auto encoded = link::EncodeLink(kind, title, loc, number);
    if (!encoded) return;
    auto decoded = link::DecodeLink(*encoded);
    Require(decoded.ok());
    Require(decoded->kind == kind && decoded->title == title && decoded->number == number);
    Require(decoded->memoryCard == link::IsMemoryCard(loc));
    Require(decoded->targetPath == link::TargetPath(kind, loc, number));
    if (kind == LinkKind::Mod) Require(decoded->location == loc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    DecodeAccepts(bytes);
    EncodeRoundTrips(bytes);
    return 0;
}

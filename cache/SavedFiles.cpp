#include "cache/SavedFiles.h"

#include "core/FileIO.h"
#include "core/FileSystem.h"

#include <algorithm>
#include <cstdio>

namespace mrv::cache {

namespace fs = std::filesystem;

namespace {

// Pieces in which a music file is copied: its size never sets the memory used.
constexpr std::size_t kCopyPiece = 256 * 1024;

// The bytes of an open file, piece by piece.
Producer ContentOf(os::File& source)
{
    return [&source](const std::function<Status(std::span<const std::uint8_t>)>& write) -> Status {
        std::vector<std::uint8_t> piece(kCopyPiece);
        for (std::uint64_t at = 0;;) {
            auto got = source.ReadSome(at, piece);
            if (!got) return got.error();
            if (*got == 0) return Ok{};
            if (auto s = write(std::span(piece).first(*got)); !s) return s;
            at += *got;
        }
    };
}

} // namespace

Status CopyReplacing(const fs::path& from, const fs::path& to)
{
    auto source = os::File::Open(from, os::File::Access::Read);
    if (!source) return source.error();
    const auto info = source->Info();
    if (!info) return info.error();
    // Copying a file onto itself would only put the same bytes back; a naive
    // copy would truncate it first.
    if (const auto target = os::Stat(to); target && target->id == info->id) return Ok{};
    // A new file gets the source's permissions, a replaced one keeps its own.
    return WriteFileWhole(to, ContentOf(*source), info->mode);
}

Status CopyToNew(const fs::path& from, const fs::path& to)
{
    auto source = os::File::Open(from, os::File::Access::Read);
    if (!source) return source.error();
    const auto info = source->Info();
    if (!info) return info.error();
    auto placed = WriteNewFile([&to](int) { return to; }, 1, ContentOf(*source), info->mode);
    if (!placed) return placed.error();
    return Ok{};
}

Status RenameWithoutReplacing(const fs::path& from, const fs::path& to)
{
    return os::RenameNoReplace(from, to);
}

std::vector<std::string> SongTitleLinks(const std::string& savedName)
{
    constexpr std::string_view kExtension = ".zqm";
    const std::size_t baseLength = savedName.size() >= kExtension.size() ? savedName.size() - kExtension.size() : 0;
    const std::string_view base(savedName.data(), baseLength);
    const std::string_view extension = std::string_view(savedName).substr(baseLength);
    const bool zqm = std::equal(extension.begin(), extension.end(), kExtension.begin(), kExtension.end(),
                                [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
    const bool digits = !base.empty() && std::all_of(base.begin(), base.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (zqm && digits) {
        const std::string_view significant = base.substr(std::min(base.find_first_not_of('0'), base.size()));
        if (significant.size() <= 5) {
            const int number = significant.empty() ? 0 : std::stoi(std::string(significant));
            if (number <= 99999) {
                char digits5[16];
                std::snprintf(digits5, sizeof digits5, "%05d", number);
                return {std::string("MRV_Dat") + digits5, std::string("MOD_Dat") + digits5};
            }
        }
    }
    return {"MRV_Dat000" + std::string(base)};
}

std::optional<std::vector<std::uint8_t>> ReadHead(const fs::path& file, std::size_t maxBytes)
{
    auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return std::nullopt;
    std::vector<std::uint8_t> bytes(maxBytes);
    const auto got = opened->ReadSome(0, bytes);
    if (!got) return std::nullopt;
    bytes.resize(*got);
    return bytes;
}

} // namespace mrv::cache

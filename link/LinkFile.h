// The ringtone link file (MRV_Dat00001, MOD_Dat00001, ...) and the naming rules
// that keep link file name, target file name and entry link name in step.
//
// Layout, all integers little-endian, 96 + L bytes in all:
//   0   u32   total length of the file, this field included
//   4   u32   link type: 7 for MRV, 6 for MOD
//   8   52    title in CP949, zero-filled; at most 50 bytes, so two zeros always follow
//   60  8     location block: internal memory or memory card
//   68  28    zero
//   96  L     target path, ASCII, no terminator: URL + number + ".zqm"/".dcf"
//
// StorageLocation (MOD links; an MRV link always names file://mod/N.zqm):
//   0 file://mod/ .zqm   1 file://MP3/ .zqm   2 file://mod/ .dcf
//   3 file://MP3/ .dcf   4 file://mmc1/MP3/ .zqm   5 file://mmc1/MP3/ .dcf
// The location block follows the StorageLocation alone, for either kind:
// 0..3 internal memory, 4 and 5 memory card.
//
// Standard library only; text is CP949 bytes, as the handset stores it.
#pragma once

#include "core/FileIO.h"
#include "core/Result.h"
#include "core/Types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mrv::link {

constexpr std::size_t kTitleFieldSize = 52;
constexpr std::size_t kMaxTitleBytes = 50;
constexpr std::size_t kHeaderSize = 96;       // everything before the target path
constexpr std::size_t kTitleOffset = 8;
constexpr std::size_t kBlockOffset = 60;
constexpr std::size_t kMinFileSize = 112;     // file://mod/N.zqm with a one-digit N
constexpr std::size_t kMaxFileSize = 121;     // file://mmc1/MP3/99999.dcf
constexpr int kMaxLinkNumber = 99999;

// "MRV_Dat" or "MOD_Dat".
const char* Prefix(LinkKind kind);

// Locations whose music file is a DCF container: 2, 3 and 5.
bool IsDcfLocation(StorageLocation loc);
// Locations on the memory card: 4 and above.
bool IsMemoryCard(StorageLocation loc);

// prefix + number zero-filled to at least five digits ("%s%05d"): "MRV_Dat00001".
// Also the entry link name of a registry entry.
std::string LinkFileName(std::string_view prefix, int number);

// The name the music file must have on the handset: "%d.dcf" for a MOD link
// with the DCF flag, "%d.zqm" otherwise.
std::string TargetFileName(int number, LinkKind kind, bool dcfFlag);

// URL + number + extension. An MRV link ignores loc: always file://mod/N.zqm.
std::string TargetPath(LinkKind kind, StorageLocation loc, int number);

// internal memory 58 91 26 2F 16 00 00 00, memory card 19 00 00 00 17 00 00 00.
std::array<std::uint8_t, 8> LocationBlock(StorageLocation loc);

// The whole file. Refuses a title over 50 bytes or holding a zero byte
// (TextTooLong, InvalidArgument), loc outside 0..5 or number outside
// 0..99999 (OutOfRange).
Result<Bytes> EncodeLink(LinkKind kind, std::string_view titleCp949, StorageLocation loc, int number);

struct LinkInfo {
    LinkKind kind = LinkKind::Mrv;
    std::string title;                      // CP949, up to the first zero byte
    bool memoryCard = false;                // which of the two location blocks
    std::array<std::uint8_t, 8> block{};
    std::string targetPath;
    std::uint32_t length = 0;               // the length field, equal to the file size
    int number = 0;                         // the number in the target path
    std::optional<StorageLocation> location; // MOD only: the location its path and block name
};

// Accepts exactly what EncodeLink can produce; anything else is refused with
// Damaged, naming the field, what was expected, what was found and the offset.
Result<LinkInfo> DecodeLink(std::span<const std::uint8_t> bytes);

// The title as the handset reads it: the bytes of the title field up to the
// first zero, or up to the end of the field or of the bytes. Lenient: for
// showing the title of any file that looks like a link file.
std::string TitleField(std::span<const std::uint8_t> bytes);

// Writes folder/LinkFileName(Prefix(kind), number), replacing an existing file
// of that name; whole or nothing. Returns the path written.
Result<std::filesystem::path> WriteLinkFile(const std::filesystem::path& folder, LinkKind kind,
                                            std::string_view titleCp949, StorageLocation loc, int number);

// Reads and decodes a link file; the error names the file.
Result<LinkInfo> ReadLinkFile(const std::filesystem::path& file);

// WriteLinkFile, but never replacing a file: Exists, changing nothing, when
// the folder holds a file of the link's name.
Result<std::filesystem::path> WriteNewLinkFile(const std::filesystem::path& folder, LinkKind kind,
                                               std::string_view titleCp949, StorageLocation loc, int number);

} // namespace mrv::link

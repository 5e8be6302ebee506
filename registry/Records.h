// The handset's music registry, modreg.dat: an 8-byte header (entry count,
// total size of the records) followed by length-prefixed records, all integers
// 32-bit little-endian, all texts CP949 bytes exactly as the handset keeps them.
//
// The records: building one, and listing and walking those of a file. Every
// reader refuses a file that is not a sound registry instead of guessing,
// because a wrong byte breaks the phone's list.
#pragma once

#include "core/FileIO.h"
#include "core/Result.h"
#include "core/Types.h"
#include "registry/ReadOptions.h"

#include <cstdint>
#include <functional>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mrv::registry {

// The header: entryCount at 0, recordsSize at 4; the records start at 8.
constexpr std::size_t kHeaderSize = 8;
// Body bytes of a written record besides its path text and its six free texts.
constexpr std::int32_t kFixedBodyBytes = 72;
// A short string's length byte caps its text.
constexpr std::size_t kMaxShortText = 255;
// The handset's list takes a record body into a block of this size: longer
// entries are not written (those already in a file are listed and deleted).
constexpr std::size_t kMaxRecordBody = 1024;
// Larger registries are refused before any of them is read: far beyond any
// handset's, and so a damaged or wrong file cannot exhaust the memory.
constexpr std::uint64_t kMaxRegistryBytes = std::uint64_t{1} << 30;

// A new entry's file size and play time until the user says otherwise.
constexpr std::int32_t kDefaultFileSize = 1048576;
constexpr std::int32_t kDefaultPlayTime = 60;

struct EntryFields {                 // all texts are CP949 bytes
    LinkKind kind = LinkKind::Mrv;   // chooses path format and trailer
    std::string linkName;            // e.g. "MRV_Dat00001"
    std::string title;
    AudioInfo audio;
    std::int32_t playTime = kDefaultPlayTime;
    std::int32_t fileSize = kDefaultFileSize;
    StorageLocation location = 0;    // MOD trailer: <=3 internal, >=4 memory card
};

// The copyright holder, rates and format the handset shows for a new entry.
AudioInfo DefaultAudioInfo();

// The phone-side path of an entry: "ZQT/MORVANTA/<link name>" for MRV,
// "ZQT/MOD/<link name>" for MOD.
std::string EntryPath(LinkKind kind, std::string_view linkName);

// The whole record, length prefix included. Refuses a free text longer than
// 255 bytes (TextTooLong, naming the field), a body over 1024 bytes
// (TextTooLong, saying by how much), an unknown kind and, for MOD, a storage
// location outside 0..5.
Result<Bytes> BuildRecord(const EntryFields& f);

// One listed record.
struct Entry {
    std::string_view title;   // up to the first zero byte, as the list shows it
    std::string_view path;    // up to the first zero byte
    std::int64_t offset = 0;  // where the record starts in the file
};

// The texts of a listing's entries, copied out of the file into blocks that
// never move: a listing holds what a list shows, not the whole file.
class ListingTexts;

struct Listing {
    std::shared_ptr<const ListingTexts> texts;   // what the entries point into
    std::vector<Entry> entries;
    std::int32_t entryCount = 0;
    std::int32_t recordsSize = 0;
    std::uint64_t fileLength = 0;
    // Set when the bytes are not a sound registry; entries then holds the
    // records read before the damage.
    std::optional<Error> damage;
};

// Lists the records of a registry held in memory. Never fails: what is wrong
// is told in Listing::damage, with the offset where it was found.
Listing ParseListing(std::span<const std::uint8_t> bytes);

// Lists a registry file. An error only when it cannot be opened or read, is
// not a regular file or is larger than kMaxRegistryBytes; damage is told in
// the listing.
Result<Listing> ReadList(const std::filesystem::path& file, const ReadOptions& read = {});

// An entry as a list shows it: its texts up to the first zero.
struct ShownEntry {
    std::string title;
    std::string path;
};

// The entry at index (from 0). OutOfRange, with the index and the count,
// where the registry has none there; the damage of a damaged file.
Result<ShownEntry> EntryAt(const std::filesystem::path& file, int index, const ReadOptions& read = {});

// What a walk over a whole registry found besides its entries.
struct Summary {
    std::int32_t entryCount = 0;
    std::int32_t recordsSize = 0;
    std::uint64_t fileLength = 0;
    std::optional<Error> damage;   // as in Listing
};

// Hands each record of a registry file to visit, in file order, reading the
// file in pieces: memory does not grow with the file. The entry's texts are
// valid during the call only.
Result<Summary> VisitList(const std::filesystem::path& file, const std::function<void(const Entry&)>& visit,
                          const ReadOptions& read = {});

// The same, with each record's title and path as they lie in the file: the
// title's bytes and the path's bytes with its terminating zero. What a list
// shows of each is the part before its first zero byte. For readers that look
// at every byte anyway and can stop there themselves.
struct RawEntry {
    std::span<const std::uint8_t> title;
    std::span<const std::uint8_t> path;
};
Result<Summary> VisitRawList(const std::filesystem::path& file, const std::function<void(const RawEntry&)>& visit,
                             const ReadOptions& read = {});

} // namespace mrv::registry

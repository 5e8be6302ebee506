// The handset's music registry, modreg.dat: an 8-byte header (entry count,
// total size of the records) followed by length-prefixed records, all integers
// 32-bit little-endian, all texts CP949 bytes exactly as the handset keeps them.
//
// Listing, appending and deleting entries, and the timestamped backup copies
// made before a change. Every operation refuses a file that is not a sound
// registry instead of guessing, because a wrong byte breaks the phone's list.
#pragma once

#include "core/FileIO.h"
#include "core/LocalClock.h"
#include "core/Result.h"
#include "core/Types.h"
#include "registry/Backups.h"

#include <chrono>
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

using LocalTime = mrv::LocalTime;   // backup names use it to the second

struct EntryFields {                 // all texts are CP949 bytes
    LinkKind kind = LinkKind::Mrv;   // chooses path format and trailer
    std::string linkName;            // e.g. "MRV_Dat00001"
    std::string title;
    AudioInfo audio;
    std::int32_t playTime = 60;
    std::int32_t fileSize = 1048576;
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
Result<Listing> ReadList(const std::filesystem::path& file);

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
Result<Summary> VisitList(const std::filesystem::path& file, const std::function<void(const Entry&)>& visit);

// The same, with each record's title and path as they lie in the file: the
// title's bytes and the path's bytes with its terminating zero. What a list
// shows of each is the part before its first zero byte. For readers that look
// at every byte anyway and can stop there themselves.
struct RawEntry {
    std::span<const std::uint8_t> title;
    std::span<const std::uint8_t> path;
};
Result<Summary> VisitRawList(const std::filesystem::path& file, const std::function<void(const RawEntry&)>& visit);

// Copies file to its backup name. Never replaces an existing file: when the
// name is taken, "_2", "_3", ... is added. The copy appears under its name
// only once it is whole and on the disk. Yields the name written.
Result<std::filesystem::path> MakeBackup(const std::filesystem::path& file, const LocalTime& t);

// How long a change waits for another writer of the same registry (this
// program's window or another mrvtool) before it gives up.
constexpr std::chrono::milliseconds kLockWait{2000};

// The entry a row of a list showed, as the list's texts: up to the first zero.
struct ShownEntry {
    std::string title;
    std::string path;
};

struct ChangeOptions {
    // Append: refuse an entry whose path or title the file already holds
    // (DuplicatePath before DuplicateTitle, as the window checks them).
    bool refuseDuplicates = true;
    // Delete: refuse (Stale) unless the record at the index is this entry.
    std::optional<ShownEntry> expected;
    std::chrono::milliseconds lockWait = kLockWait;
};

struct ChangeOutcome {
    std::optional<std::filesystem::path> backup;
    int index = -1;      // the entry added or deleted
    ShownEntry entry;    // Delete: the entry deleted
};

// Every change below takes the registry's lock for its whole run, reads the
// file once, and refuses without writing anything (and without a backup) a
// missing, unwritable, damaged or too large file. A symbolic link is
// followed: the file it names is changed. If the backup asked for cannot be
// written whole, the registry is not changed (BackupFailed). A failure while
// writing puts the registry back as it was; a change whose last flush to the
// disk fails is reported as NotConfirmed, since it may have happened.

// Appends one entry after the last record, over any leftovers. backupAt =
// nullopt makes no backup.
Result<ChangeOutcome> Append(const std::filesystem::path& file, const EntryFields& f,
                             std::optional<LocalTime> backupAt, const ChangeOptions& options = {});

// Deletes record index (0-based), always making a backup first. The file
// keeps its length. The new content replaces the old whole or not at all;
// where a rename would part the file from its other names or its owner, the
// records are moved up in place once the backup is whole.
Result<ChangeOutcome> Delete(const std::filesystem::path& file, int index, const LocalTime& backupAt,
                             const ChangeOptions& options = {});

// The bytes of a registry after deleting record index: the records behind it
// and everything up to the physical end move up by the record's size, the last
// bytes of the old file stay where they were, and the header shrinks. Refuses
// damaged bytes and an index out of range.
Result<Bytes> RemoveRecord(std::span<const std::uint8_t> bytes, int index);

// Testing: the size of the pieces in which files are read (0: the default,
// 1 MiB). Small pieces make every record cross a piece's border.
void SetReadPieceForTesting(std::size_t bytes);

} // namespace mrv::registry

// Feeds arbitrary bytes to the registry listing. Whatever the listing accepts
// as sound must survive a delete and an append: the result is sound again,
// holds one entry less or more, and keeps the file's other rows.
#include "registry/RegistryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <unistd.h>

namespace {

using namespace mrv;
using namespace mrv::registry;

void Require(bool ok)
{
    if (!ok) std::abort();
}

// A scratch folder per fuzzing process, removed at its end; its modreg.dat
// stands for the user's. In memory where the system offers it: every append
// flushes its file to the disk twice.
std::filesystem::path ScratchBase()
{
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

struct ScratchFolder {
    ScratchFolder() : dir(ScratchBase() / ("mrv-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(dir);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
};

const std::filesystem::path& Scratch()
{
    static const ScratchFolder folder;
    static const std::filesystem::path file = folder.dir / "modreg.dat";
    return file;
}

void WriteScratch(std::span<const std::uint8_t> bytes)
{
    std::ofstream out(Scratch(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Require(out.good());
}

Bytes ReadScratch()
{
    std::ifstream in(Scratch(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool SameRow(const Entry& a, const Entry& b) { return a.title == b.title && a.path == b.path; }

void CheckDelete(std::span<const std::uint8_t> bytes, const Listing& before, int index)
{
    const auto removed = RemoveRecord(bytes, index);
    Require(removed.ok());
    Require(removed->size() == bytes.size());
    const Listing after = ParseListing(*removed);
    Require(!after.damage);
    Require(after.entries.size() + 1 == before.entries.size());
    for (std::size_t i = 0; i < after.entries.size(); ++i) {
        const std::size_t from = i < static_cast<std::size_t>(index) ? i : i + 1;
        Require(SameRow(after.entries[i], before.entries[from]));
    }
}

void CheckAppend(std::span<const std::uint8_t> bytes, const Listing& before)
{
    EntryFields f;
    f.linkName = "MRV_Dat00001";
    const std::size_t n = std::min<std::size_t>(bytes.size(), kMaxShortText);
    f.title.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    f.audio = DefaultAudioInfo();
    WriteScratch(bytes);
    const auto appended = Append(Scratch(), f, std::nullopt, ChangeOptions{false, std::nullopt, kLockWait});
    if (!appended) {
        Require(appended.error().code == ErrorCode::OutOfRange);
        Require(ReadScratch() == Bytes(bytes.begin(), bytes.end()));
        return;
    }
    const Listing after = ParseListing(ReadScratch());
    Require(!after.damage);
    Require(after.entries.size() == before.entries.size() + 1);
    for (std::size_t i = 0; i < before.entries.size(); ++i) Require(SameRow(after.entries[i], before.entries[i]));
    Require(after.entries.back().title == f.title.substr(0, f.title.find('\0')));
    Require(after.entries.back().path == "ZQT/MORVANTA/MRV_Dat00001");
}

} // namespace

// Reading the file in pieces of a few bytes lists exactly what reading it
// whole lists, and finds the same damage.
void CheckPieces(std::span<const std::uint8_t> bytes, const Listing& whole)
{
    WriteScratch(bytes);
    ReadOptions small;
    small.piece = 1 + bytes.size() % 7;
    std::size_t i = 0;
    const auto summary = VisitList(Scratch(), [&](const Entry& e) {
        Require(i < whole.entries.size() && SameRow(e, whole.entries[i]));
        ++i;
    }, small);
    Require(summary.ok() && i == whole.entries.size());
    Require(summary->damage.has_value() == whole.damage.has_value());
    if (whole.damage) Require(summary->damage->offset == whole.damage->offset);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const Listing listing = ParseListing(bytes);
    CheckPieces(bytes, listing);
    Require(listing.fileLength == size);
    if (listing.damage) {
        Require(listing.damage->code == ErrorCode::Damaged);
        Require(listing.damage->offset >= 0 && static_cast<std::uint64_t>(listing.damage->offset) <= size);
        Require(listing.entries.size() <= static_cast<std::size_t>(std::max(listing.entryCount, 0)));
        Require(!RemoveRecord(bytes, 0).ok());
        return 0;
    }
    Require(listing.entries.size() == static_cast<std::size_t>(listing.entryCount));
    for (const Entry& e : listing.entries) {
        Require(e.offset >= 8 && e.offset < 8 + static_cast<std::int64_t>(listing.recordsSize));
    }
    const int count = listing.entryCount;
    if (count > 0) {
        CheckDelete(bytes, listing, 0);
        CheckDelete(bytes, listing, count / 2);
        CheckDelete(bytes, listing, count - 1);
    }
    Require(!RemoveRecord(bytes, count).ok());
    CheckAppend(bytes, listing);
    return 0;
}

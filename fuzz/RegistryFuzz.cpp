// Feeds arbitrary bytes to the registry listing. Whatever the listing accepts
// as sound must survive a delete and an append: the result is sound again,
// holds one entry less or more, and keeps the file's other rows.
#include "registry/RegistryFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace mrv;
using namespace mrv::registry;

void Require(bool ok)
{
    if (!ok) std::abort();
}

// A registry held in memory, standing in for the file during an append.
class MemoryFile final : public RandomAccessFile {
public:
    explicit MemoryFile(Bytes bytes) : content(std::move(bytes)) {}
    const std::filesystem::path& path() const override { return m_path; }
    Result<std::uint64_t> size() override { return static_cast<std::uint64_t>(content.size()); }
    Status readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        Require(offset + out.size() <= content.size());
        std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return Ok{};
    }
    Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override
    {
        if (offset + bytes.size() > content.size()) content.resize(offset + bytes.size());
        std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(offset));
        return Ok{};
    }
    Status sync() override { return Ok{}; }

    Bytes content;

private:
    std::filesystem::path m_path = "modreg.dat";
};

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
    MemoryFile file(Bytes(bytes.begin(), bytes.end()));
    const auto appended = AppendTo(file, f, std::nullopt);
    if (!appended) {
        Require(appended.error().code == ErrorCode::OutOfRange);
        return;
    }
    const Listing after = ParseListing(file.content);
    Require(!after.damage);
    Require(after.entries.size() == before.entries.size() + 1);
    for (std::size_t i = 0; i < before.entries.size(); ++i) Require(SameRow(after.entries[i], before.entries[i]));
    Require(after.entries.back().title == f.title.substr(0, f.title.find('\0')));
    Require(after.entries.back().path == "ZQT/MORVANTA/MRV_Dat00001");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const Listing listing = ParseListing(bytes);
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

#include "cache/CacheScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace mrv::cache {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".zqm";
// File names here are at most 255 bytes; slots this size are never regrown.
constexpr std::size_t kNameCapacity = 260;

// A folder whose change time is at least this old has settled: any later
// change gives it a new one.
constexpr std::int64_t kSettledNs = std::int64_t{3} * 1000 * 1000 * 1000;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// FNV-1a: quick for the short names of a folder.
std::size_t Hash(std::string_view name)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

bool IsListedName(std::string_view name)
{
    if (name.empty() || name.front() == '.') return false;
    if (name.size() < kExtension.size()) return false;
    const std::string_view tail = name.substr(name.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) { return Lower(a) == b; });
}

std::int64_t MeasureFile(const fs::path& file)
{
    const auto opened = os::File::Open(file, os::File::Access::Read);
    if (!opened) return -1;
    const auto info = opened->Info();
    return info ? static_cast<std::int64_t>(info->size) : -1;
}

std::string SizeText(std::int64_t size)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld Bytes", static_cast<long long>(size));
    return text;
}

FolderScanner::FolderScanner() : m_names(kMaxListedFiles), m_slots(4 * kMaxListedFiles, -1)
{
    for (std::string& slot : m_names) slot.reserve(kNameCapacity);
}

bool FolderScanner::Collect(const fs::path& folder)
{
    m_count = 0;
    // An empty folder text would list the working folder instead.
    if (folder.empty()) return false;
    // The folder's own listing, in its order; folders, devices and dangling
    // links are passed over. A failure part way through ends the listing
    // with what was read so far.
    const auto listed = os::ListFolder(folder, [this](std::string_view name, os::EntryType type) {
        if (type == os::EntryType::File && IsListedName(name)) m_names[m_count++].assign(name);
        return m_count < kMaxListedFiles;
    });
    return listed.ok();
}

void FolderScanner::IndexNames()
{
    std::fill(m_slots.begin(), m_slots.end(), std::int16_t{-1});
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = 0; i < m_count; ++i) {
        std::size_t slot = Hash(m_names[i]) & mask;
        while (m_slots[slot] >= 0) slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<std::int16_t>(i);
    }
}

int FolderScanner::Find(std::string_view name) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = Hash(name) & mask; m_slots[slot] >= 0; slot = (slot + 1) & mask) {
        if (m_names[static_cast<std::size_t>(m_slots[slot])] == name) return m_slots[slot];
    }
    return -1;
}

void FolderScanner::Synchronise(const fs::path& folder, RowList& rows, FolderMemo* memo)
{
    if (memo && memo->Unchanged(folder, rows)) return;
    // The folder as it is before it is read: a change while it is read comes
    // after this time and is seen by the next tick.
    std::optional<os::FileInfo> folderBefore;
    if (!folder.empty()) {
        if (auto info = os::Stat(folder)) folderBefore = *info;
    }
    const std::int64_t readAt = NowNs();
    if (!Collect(folder)) m_count = 0;
    IndexNames();

    for (int row = rows.RowCount() - 1; row >= 0; --row)
        if (Find(rows.RowName(row)) < 0) rows.DeleteRow(row);

    m_shown.assign(m_count, 0);
    for (int row = 0; row < rows.RowCount(); ++row) m_shown[static_cast<std::size_t>(Find(rows.RowName(row)))] = 1;
    for (std::size_t i = 0; i < m_count; ++i)
        if (!m_shown[i]) rows.AppendRow(m_names[i], SizeText(MeasureFile(folder / os::PathFromUtf8(m_names[i]))));

    if (memo) memo->Remember(folder, folderBefore, rows, readAt);
}

// ---- FolderMemo ----------------------------------------------------------------------------

bool FolderMemo::Unchanged(const fs::path& folder, const RowList& rows) const
{
    if (!m_valid || folder != m_folder || rows.Revision() != m_revision) return false;
    const auto now = os::Stat(folder);
    return now && now->id == m_id && now->modifiedNs == m_modifiedNs;
}

void FolderMemo::Remember(const fs::path& folder, const std::optional<os::FileInfo>& folderBefore, const RowList& rows,
                          std::int64_t readAtNs)
{
    // A folder changed within the last moments may be changed again without
    // its change time moving (file systems keep it coarsely, FAT to two
    // seconds): such a folder is read again at every tick until it has been
    // quiet long enough.
    m_valid = folderBefore && folderBefore->namesMoveTime && readAtNs - folderBefore->modifiedNs > kSettledNs;
    if (!m_valid) return;
    m_folder = folder;
    m_id = folderBefore->id;
    m_modifiedNs = folderBefore->modifiedNs;
    m_revision = rows.Revision();
}

} // namespace mrv::cache

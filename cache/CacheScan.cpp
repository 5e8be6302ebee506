#include "cache/CacheScan.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace mrv::cache {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".zqm";
// File names here are at most 255 bytes; slots this size are never regrown.
constexpr std::size_t kNameCapacity = 260;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The last component of an entry's path, without copying it.
std::string_view FileName(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
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
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return -1;
    const std::streamoff end = in.tellg();
    return end < 0 ? -1 : static_cast<std::int64_t>(end);
}

std::string SizeText(std::int64_t size)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld Bytes", static_cast<long long>(size));
    return text;
}

FolderScanner::FolderScanner() : m_names(kMaxListedFiles)
{
    for (std::string& slot : m_names) slot.reserve(kNameCapacity);
}

bool FolderScanner::Collect(const fs::path& folder)
{
    m_count = 0;
    // An empty folder text would list the working folder instead.
    if (folder.empty()) return false;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return false;
    // A failure part way through ends the listing with what was read so far.
    for (const fs::directory_iterator end; it != end && m_count < kMaxListedFiles;) {
        const std::string_view name = FileName(it->path().native());
        std::error_code typeError;
        // Folders, devices and dangling links are passed over.
        if (IsListedName(name) && it->is_regular_file(typeError)) m_names[m_count++].assign(name);
        it.increment(ec);
        if (ec) break;
    }
    return true;
}

bool FolderScanner::IsCollected(const std::string& name) const
{
    const auto names = Names();
    return std::find(names.begin(), names.end(), name) != names.end();
}

void FolderScanner::Synchronise(const fs::path& folder, RowList& rows)
{
    if (!Collect(folder)) m_count = 0;

    for (int row = rows.RowCount() - 1; row >= 0; --row)
        if (!IsCollected(rows.RowName(row))) rows.DeleteRow(row);

    for (const std::string& name : Names()) {
        bool shown = false;
        for (int row = 0; row < rows.RowCount() && !shown; ++row) shown = rows.RowName(row) == name;
        if (!shown) rows.AppendRow(name, SizeText(MeasureFile(folder / name)));
    }
}

} // namespace mrv::cache

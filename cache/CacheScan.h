// The folder scan of the search window: which .zqm files a folder holds, and
// bringing a list of rows into line with them. Rows are reached through a small
// interface, so the scan runs the same over a window's list and over a test's
// vector.
//
// Standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mrv::cache {

// A list never shows more files than this.
constexpr std::size_t kMaxListedFiles = 256;

// The rows of a list: column 0 is a bare file name (host bytes), column 1 its size text.
class RowList {
public:
    virtual ~RowList() = default;
    virtual int RowCount() const = 0;
    virtual const std::string& RowName(int row) const = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void AppendRow(const std::string& name, const std::string& sizeText) = 0;
};

// A name the scan lists: ends in ".zqm" in any letter case and is not hidden
// (a leading dot hides a file here).
bool IsListedName(std::string_view name);

// Size of a file as the list shows it: open, seek to the end, close. -1 when
// the file cannot be opened for reading.
std::int64_t MeasureFile(const std::filesystem::path& file);

// "%d Bytes".
std::string SizeText(std::int64_t size);

// One scanner per window: its name table is allocated once, on construction,
// and reused by every scan, which runs every 400 ms per list.
class FolderScanner {
public:
    FolderScanner();

    // Collects the names of the folder's listed regular files, in listing
    // order, at most kMaxListedFiles. False when the folder cannot be listed
    // (missing, not a folder, unreadable, or no folder given at all).
    bool Collect(const std::filesystem::path& folder);
    std::span<const std::string> Names() const { return {m_names.data(), m_count}; }

    // Brings rows into line with the folder: rows whose file has gone are
    // removed (last to first), files not yet shown are appended in listing
    // order with their size, measured now and never again. Names compare as
    // exact bytes. A folder that cannot be listed empties the list.
    void Synchronise(const std::filesystem::path& folder, RowList& rows);

private:
    bool IsCollected(const std::string& name) const;

    std::vector<std::string> m_names;   // kMaxListedFiles slots, kept between scans
    std::size_t m_count = 0;
};

} // namespace mrv::cache

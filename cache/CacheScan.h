// The folder scan of the search window: which .zqm files a folder holds, and
// bringing a list of rows into line with them. Rows are reached through a small
// interface, so the scan runs the same over a window's list and over a test's
// vector.
//
// Standard library and the core's file calls only.
#pragma once

#include "core/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
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
    // A number that changes whenever a row is deleted or appended, by the
    // scan or by anything else.
    virtual std::uint64_t Revision() const = 0;
};

// What a list was last brought into line with. A tick whose folder has not
// changed since, and whose list nobody else has changed, need not read the
// folder at all.
class FolderMemo {
public:
    // True when neither the folder (its names, as its change time tells) nor
    // the rows have changed since Remember.
    bool Unchanged(const std::filesystem::path& folder, const RowList& rows) const;
    // folderBefore: the folder as it was just before it was read; nullopt
    // when it could not be looked at.
    void Remember(const std::filesystem::path& folder, const std::optional<os::FileInfo>& folderBefore,
                  const RowList& rows, std::int64_t readAtNs);
    void Forget() { m_valid = false; }

private:
    bool m_valid = false;
    std::filesystem::path m_folder;
    os::FileId m_id;
    std::int64_t m_modifiedNs = 0;
    std::uint64_t m_revision = 0;
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
    // exact bytes. A folder that cannot be listed empties the list. With a
    // memo, a folder and list that have not changed since its last scan are
    // left alone without reading the folder.
    void Synchronise(const std::filesystem::path& folder, RowList& rows, FolderMemo* memo = nullptr);

private:
    // The collected names by their hash, so that a row's name is found among
    // them without comparing it with each.
    void IndexNames();
    // The position of name among the collected names, or -1.
    int Find(std::string_view name) const;

    std::vector<std::string> m_names;   // kMaxListedFiles slots, kept between scans
    std::size_t m_count = 0;
    std::vector<std::int16_t> m_slots;  // positions in m_names by hash, -1 for none
    std::vector<char> m_shown;          // per collected name: a row shows it
};

} // namespace mrv::cache

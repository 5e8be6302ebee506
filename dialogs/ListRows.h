// The rows of one of the search window's lists, as the folder scan sees them.
// The list shows each file name in CP949, which cannot hold every name a
// folder may contain, so the host name of every row is kept here as well, in
// row order: the scan compares and the commands build paths with host names
// only. All changes of the list's rows go through this object.
#pragma once

#include "cache/CacheScan.h"
#include "platform/ListCtrl.h"

#include <string>
#include <vector>

class ListRows : public mrv::cache::RowList {
public:
    explicit ListRows(CListCtrl& list);

    // The window was created anew: its list has no rows.
    void Reset()
    {
        m_names.clear();
        ++m_revision;
    }

    int RowCount() const override { return static_cast<int>(m_names.size()); }
    const std::string& RowName(int row) const override { return m_names[static_cast<std::size_t>(row)]; }
    void DeleteRow(int row) override;
    void AppendRow(const std::string& name, const std::string& sizeText) override;
    std::uint64_t Revision() const override { return m_revision; }

    bool IsSelected(int row) const;
    // The first selected row, in ascending order; -1 when none is.
    int FirstSelected() const;

private:
    CListCtrl& m_list;
    std::vector<std::string> m_names;
    std::uint64_t m_revision = 0;
};

// A host file name as the list and the edits show it (CP949; characters it
// cannot hold become '?').
std::string ShownName(const std::string& hostName);

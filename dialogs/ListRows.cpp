#include "dialogs/ListRows.h"

#include "text/Cp949.h"

ListRows::ListRows(CListCtrl& list) : m_list(list)
{
    m_names.reserve(mrv::cache::kMaxListedFiles);
}

void ListRows::DeleteRow(int row)
{
    m_list.DeleteItem(row);
    m_names.erase(m_names.begin() + row);
    ++m_revision;
}

void ListRows::AppendRow(const std::string& name, const std::string& sizeText)
{
    const int row = m_list.InsertItem(RowCount(), ShownName(name));
    if (row < 0) return;
    m_list.SetItemText(row, 1, sizeText);
    m_names.push_back(name);
    ++m_revision;
}

bool ListRows::IsSelected(int row) const
{
    return (m_list.GetItemState(row, ListItemState::Selected) & ListItemState::Selected) != 0;
}

int ListRows::FirstSelected() const
{
    for (int row = 0; row < RowCount(); ++row)
        if (IsSelected(row)) return row;
    return -1;
}

std::string ShownName(const std::string& hostName)
{
    return mrv::text::Utf8ToCp949Lossy(hostName);
}

// The report list of all the program's lists: every row painted as one
// full-width band, selected rows in the highlight colours, the columns' texts
// (the first two, unless told otherwise) with 5-pixel margins and clipped to
// their columns.
#pragma once

#include "platform/ListCtrl.h"

class CRowListCtrl : public CListCtrl {
public:
    ~CRowListCtrl() override = default;
    bool OnChildNotify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, MessageResult* pResult) override;
    void DrawItem(DrawItemStruct* pDrawItem) override;

    // The column's texts are paths, told apart by their ends: one that does not
    // fit its column gives up its start to an ellipsis ("…/MRV_Dat00012")
    // instead of its end. -1: no such column.
    void SetPathColumn(int column) { m_pathColumn = column; }
    // How many columns are painted, from the first: the lists of the search
    // window and the registry show two, the list of many songs all of its own.
    void SetPaintedColumns(int count) { m_paintedColumns = count; }

private:
    int m_pathColumn = -1;
    int m_paintedColumns = 2;
};

// The longest end of a CP949 path text that fits `width` pixels behind an
// ellipsis, with the ellipsis ("…" + end); the text itself when it fits whole.
// Cuts between characters, never inside a two-byte one.
std::string PathWithEllipsisAtStart(const CDC& dc, const std::string& cp949, int width);

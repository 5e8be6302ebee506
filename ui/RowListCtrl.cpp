#include "ui/RowListCtrl.h"

namespace {

constexpr int kMargin = 5;        // pixels left and right of each column's text
constexpr int kTextHeight = 24;   // the text box reaches this far below the row's top

// The text box of one column: inside the column's margins, from the row's top.
CRect TextBox(int left, int top, int columnWidth)
{
    return CRect{left + kMargin, top, left + columnWidth - kMargin, top + kTextHeight};
}

} // namespace

bool CRowListCtrl::OnChildNotify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM) return CListCtrl::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<DrawItemStruct*>(lParam));
    return true;
}

void CRowListCtrl::DrawItem(DrawItemStruct* pDrawItem)
{
    CDC& dc = *pDrawItem->pDC;
    const int row = static_cast<int>(pDrawItem->itemID & 0xFFFF);
    const std::string text0 = GetItemText(row, 0);
    const CRect rowRect = pDrawItem->rcItem;
    const int saved = dc.SaveDC();

    CBrush brush;
    if (pDrawItem->itemState & ODS_SELECTED) {
        brush.color = GetSysColor(COLOR_HIGHLIGHT);
        dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        brush.color = dc.GetBkColor();
    }
    dc.SetBkMode(TRANSPARENT);
    dc.FillRect(rowRect, brush);

    const CRect box0 = TextBox(rowRect.left, rowRect.top, GetColumnWidth(0));
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.ExtTextOut(box0.left, box0.top, ETO_CLIPPED, &box0, text0);

    CRect label;
    GetSubItemRect(row, 1, LVIR_LABEL, label);
    const std::string text1 = GetItemText(row, 1);
    const CRect box1 = TextBox(label.left, label.top, GetColumnWidth(1));
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.ExtTextOut(box1.left, box1.top, ETO_CLIPPED, &box1, text1);

    dc.RestoreDC(saved);
    if (pDrawItem->itemState & ODS_FOCUS) dc.DrawFocusRect(rowRect);
}

#include "dialogs/RowListCtrl.h"

namespace {

constexpr int kMargin = 5;        // pixels left and right of each column's text
constexpr int kTextHeight = 24;   // the text box reaches this far below the row's top

// The text box of one column: inside the column's margins, from the row's top.
CRect TextBox(int left, int top, int columnWidth)
{
    return CRect{left + kMargin, top, left + columnWidth - kMargin, top + kTextHeight};
}

} // namespace

bool CRowListCtrl::OnChildNotify(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, MessageResult* pResult)
{
    if (message != WindowMsg::DrawItem) return CListCtrl::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<DrawItemStruct*>(lParam));
    return true;
}

void CRowListCtrl::DrawItem(DrawItemStruct* pDrawItem)
{
    CDC& dc = *pDrawItem->pDC;
    // The whole row number: a registry may hold more than 65,535 entries.
    const int row = static_cast<int>(pDrawItem->itemID);
    const std::string text0 = GetItemText(row, 0);
    const CRect rowRect = pDrawItem->rcItem;
    const int saved = dc.SaveDC();

    CBrush brush;
    if (pDrawItem->itemState & OwnerDrawState::Selected) {
        brush.color = GetSystemColor(SysColor::Highlight);
        dc.SetTextColor(GetSystemColor(SysColor::HighlightText));
    } else {
        brush.color = dc.GetBkColor();
    }
    dc.SetBkMode(BkMode::Transparent);
    dc.FillRect(rowRect, brush);

    const CRect box0 = TextBox(rowRect.left, rowRect.top, GetColumnWidth(0));
    dc.SetTextAlign(TextAlign::Left | TextAlign::Top);
    dc.ExtTextOutCp949(box0.left, box0.top, TextOutOption::Clipped, &box0, text0);

    CRect label;
    GetSubItemRect(row, 1, ListItemRect::Label, label);
    const std::string text1 = GetItemText(row, 1);
    const CRect box1 = TextBox(label.left, label.top, GetColumnWidth(1));
    dc.SetTextAlign(TextAlign::Left | TextAlign::Top);
    dc.ExtTextOutCp949(box1.left, box1.top, TextOutOption::Clipped, &box1, text1);

    dc.RestoreDC(saved);
    if (pDrawItem->itemState & OwnerDrawState::Focus) dc.DrawFocusRect(rowRect);
}

#include "dialogs/RowListCtrl.h"

#include "text/Cp949.h"

#include <vector>

namespace {

constexpr int kMargin = 5;  // pixels left and right of each column's text
// The text box reaches this far below the row's top for a line of 12 pixels
// (굴림 9 point at 96 DPI), and as much further for a taller line: a larger
// font or a higher DPI keeps its descenders.
constexpr int kTextHeight = 24;
constexpr int kGulimLineHeight = 12;

// "…" in CP949.
constexpr const char* kEllipsis = "\xA1\xA6";

int TextBoxHeight(const CDC& dc)
{
    const int line = dc.GetTextExtentCp949("A").cy;
    return line > kGulimLineHeight ? (kTextHeight * line + kGulimLineHeight - 1) / kGulimLineHeight : kTextHeight;
}

// The text box of one column: inside the column's margins, from the row's top.
CRect TextBox(int left, int top, int columnWidth, int height)
{
    return CRect{left + kMargin, top, left + columnWidth - kMargin, top + height};
}

} // namespace

std::string PathWithEllipsisAtStart(const CDC& dc, const std::string& cp949, int width)
{
    if (dc.GetTextExtentCp949(cp949).cx <= width) return cp949;
    // Where each character starts; the ends to try begin there.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < cp949.size(); i += mrv::text::IsCp949LeadByte(static_cast<unsigned char>(cp949[i])) ? 2 : 1)
        starts.push_back(i);
    starts.push_back(cp949.size());
    const auto fits = [&](std::size_t k) { return dc.GetTextExtentCp949(kEllipsis + cp949.substr(starts[k])).cx <= width; };
    // The first start whose end fits (the ellipsis alone when none does): a
    // shorter end never needs more room than a longer one.
    std::size_t low = 1;
    std::size_t high = starts.size() - 1;
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (fits(mid))
            high = mid;
        else
            low = mid + 1;
    }
    return kEllipsis + cp949.substr(starts[low]);
}

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

    const int height = TextBoxHeight(dc);
    const auto draw = [&](int column, const CRect& box, const std::string& text) {
        dc.SetTextAlign(TextAlign::Left | TextAlign::Top);
        const std::string shown = column == m_pathColumn ? PathWithEllipsisAtStart(dc, text, box.Width()) : text;
        dc.ExtTextOutCp949(box.left, box.top, TextOutOption::Clipped, &box, shown);
    };
    draw(0, TextBox(rowRect.left, rowRect.top, GetColumnWidth(0), height), text0);

    for (int column = 1; column < m_paintedColumns; ++column) {
        CRect label;
        GetSubItemRect(row, column, ListItemRect::Label, label);
        draw(column, TextBox(label.left, label.top, GetColumnWidth(column), height), GetItemText(row, column));
    }

    dc.RestoreDC(saved);
    if (pDrawItem->itemState & OwnerDrawState::Focus) dc.DrawFocusRect(rowRect);
}

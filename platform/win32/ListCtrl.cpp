// The report list over the common controls' list view: the program's rows
// (CP949, as it set them) are handed to the list on request, so that ordinary
// and owner-data lists work alike; owner-drawn rows are painted through a CDC
// over the list's device context; the system colours.
#include "platform/ListCtrl.h"

#include "platform/win32/Controls.h"

#include <algorithm>
#include <cwchar>

namespace mrv::platform::win32 {

namespace {

RECT ToRect(const CRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }
CRect ToCRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// The drawing surface handed to a row painter: the list's device context.
class DeviceContextDC : public CDC {
public:
    explicit DeviceContextDC(HDC dc) : m_dc(dc) {}

    int SaveDC() override { return ::SaveDC(m_dc); }
    bool RestoreDC(int saved) override { return ::RestoreDC(m_dc, saved) != FALSE; }
    Color GetBkColor() const override { return ::GetBkColor(m_dc); }
    Color GetTextColor() const override { return ::GetTextColor(m_dc); }
    Color SetTextColor(Color color) override { return ::SetTextColor(m_dc, color); }
    int SetBkMode(int mode) override { return ::SetBkMode(m_dc, mode); }
    unsigned SetTextAlign(unsigned align) override { return ::SetTextAlign(m_dc, align); }

    void FillRect(const CRect& rect, const CBrush& brush) override
    {
        if (rect.IsRectEmpty()) return;
        HBRUSH solid = CreateSolidBrush(brush.color);
        const RECT r = ToRect(rect);
        ::FillRect(m_dc, &r, solid);
        DeleteObject(solid);
    }

    bool ExtTextOutCp949(int x, int y, unsigned options, const CRect* clip, const std::string& cp949) override
    {
        const std::wstring text = WideFromCp949(cp949);
        const RECT r = clip ? ToRect(*clip) : RECT{};
        return ExtTextOutW(m_dc, x, y, options, clip ? &r : nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr) != FALSE;
    }

    CSize GetTextExtentCp949(const std::string& cp949) const override
    {
        const std::wstring text = WideFromCp949(cp949);
        SIZE size{};
        GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return {size.cx, size.cy};
    }

    void DrawFocusRect(const CRect& rect) override
    {
        const RECT r = ToRect(rect);
        ::DrawFocusRect(m_dc, &r);
    }

private:
    HDC m_dc;
};

WindowHandle* ListHandle(DialogWindow& window, HWND hwnd)
{
    for (auto& control : window.controls)
        if (control->hwnd == hwnd && control->control->kind == ControlKind::ListView) return control.get();
    return nullptr;
}

std::string_view TextOf(const ListRows& rows, int row, int column)
{
    if (row < 0 || column < 0) return {};
    if (rows.source) return row < rows.virtualRows ? rows.source->ItemText(row, column) : std::string_view();
    if (static_cast<std::size_t>(row) >= rows.rows.size()) return {};
    const auto& cells = rows.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? std::string_view(cells[static_cast<std::size_t>(column)]) : std::string_view();
}

// A list view takes its owner-data style only when it is made: the list is
// made again with or without it, in the same place, order and state.
void Remake(WindowHandle& list, bool ownerData)
{
    HWND old = list.hwnd;
    const LONG_PTR style = GetWindowLongPtrW(old, GWL_STYLE);
    if (((style & LVS_OWNERDATA) != 0) == ownerData) return;
    const LONG_PTR exStyle = GetWindowLongPtrW(old, GWL_EXSTYLE);
    HWND dialog = GetParent(old);
    RECT rect;
    GetWindowRect(old, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const bool hadFocus = GetFocus() == old;
    HWND made = CreateWindowExW(static_cast<DWORD>(exStyle), WC_LISTVIEWW, L"",
                                static_cast<DWORD>(ownerData ? (style | LVS_OWNERDATA) : (style & ~LVS_OWNERDATA)),
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(old))), Instance(), nullptr);
    if (!made) return;
    SendMessageW(made, WM_SETFONT, SendMessageW(old, WM_GETFONT, 0, 0), FALSE);
    ListView_SetExtendedListViewStyle(made, ListView_GetExtendedListViewStyle(old));
    const int columns = Header_GetItemCount(ListView_GetHeader(old));
    ListRows* rows = RowsOf(&list);
    for (int c = 0; c < columns; ++c) {
        std::wstring heading = rows && static_cast<std::size_t>(c) < rows->headings.size() ? WideFromCp949(rows->headings[static_cast<std::size_t>(c)]) : L"";
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = ListView_GetColumnWidth(old, c);
        column.pszText = heading.data();
        ListView_InsertColumn(made, c, &column);
    }
    SetWindowPos(made, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    list.hwnd = made;
    DestroyWindow(old);
    if (hadFocus) SetFocus(made);
}

} // namespace

void PrepareList(DialogWindow& window, WindowHandle& list)
{
    window.lists[list.index] = std::make_unique<ListRows>();
    // A click anywhere in a row selects the whole row.
    if (list.hwnd) ListView_SetExtendedListViewStyleEx(list.hwnd, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

ListRows* RowsOf(WindowHandle* list)
{
    if (!list || !list->window) return nullptr;
    const auto it = list->window->lists.find(list->index);
    return it == list->window->lists.end() ? nullptr : it->second.get();
}

bool HandleListNotify(DialogWindow& window, NMHDR* header, MessageResult* result)
{
    if (header->code != LVN_GETDISPINFOW) return false;
    WindowHandle* list = ListHandle(window, header->hwndFrom);
    ListRows* rows = RowsOf(list);
    if (!rows) return false;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        rows->scratch = WideFromCp949(std::string(TextOf(*rows, info->item.iItem, info->item.iSubItem)));
        const std::size_t room = static_cast<std::size_t>(info->item.cchTextMax) - 1;
        const std::size_t length = std::min(room, rows->scratch.size());
        std::wmemcpy(info->item.pszText, rows->scratch.c_str(), length);
        info->item.pszText[length] = L'\0';
    }
    *result = 0;
    return true;
}

bool DrawListItem(DialogWindow& window, DRAWITEMSTRUCT* item)
{
    if (item->CtlType != ODT_LISTVIEW || !window.dialog) return false;
    WindowHandle* handle = ListHandle(window, item->hwndItem);
    auto* list = handle ? dynamic_cast<CListCtrl*>(ObjectOf(*handle)) : nullptr;
    if (!list) return false;
    // The row's bounds across all columns, in the list's colours.
    RECT bounds = item->rcItem;
    ListView_GetItemRect(item->hwndItem, static_cast<int>(item->itemID), &bounds, LVIR_BOUNDS);
    const COLORREF background = ListView_GetBkColor(item->hwndItem);
    SetBkColor(item->hDC, background == CLR_NONE ? GetSysColor(COLOR_WINDOW) : background);
    const COLORREF text = ListView_GetTextColor(item->hwndItem);
    SetTextColor(item->hDC, text == CLR_DEFAULT || text == CLR_NONE ? GetSysColor(COLOR_WINDOWTEXT) : text);
    DeviceContextDC dc(item->hDC);
    DrawItemStruct draw;
    draw.itemID = item->itemID;
    draw.itemState = item->itemState & (OwnerDrawState::Selected | OwnerDrawState::Focus);
    draw.pDC = &dc;
    draw.rcItem = ToCRect(bounds);
    MessageResult result = 0;
    list->OnChildNotify(WindowMsg::DrawItem, static_cast<std::uintptr_t>(handle->control->id), reinterpret_cast<std::intptr_t>(&draw), &result);
    return true;
}

} // namespace mrv::platform::win32

// ---- CListCtrl ----------------------------------------------------------------------------------

using mrv::platform::win32::ListRows;
using mrv::platform::win32::RowsOf;
using mrv::platform::win32::WideFromCp949;

namespace {

HWND ListHwnd(WindowHandle* handle) { return RowsOf(handle) ? handle->hwnd : nullptr; }

} // namespace

int CListCtrl::InsertColumn(int column, const std::string& heading, int /*format*/, int width)
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || column < 0) return -1;
    ListRows& rows = *RowsOf(m_hWnd);
    std::wstring text = WideFromCp949(heading);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lvc.fmt = LVCFMT_LEFT;
    lvc.cx = width >= 0 ? width : ListView_GetStringWidth(hwnd, text.c_str()) + 12;
    lvc.pszText = text.data();
    const int at = ListView_InsertColumn(hwnd, column, &lvc);
    if (at < 0) return -1;
    rows.headings.insert(rows.headings.begin() + std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(rows.headings.size())), heading);
    for (auto& cells : rows.rows)
        if (static_cast<std::size_t>(at) <= cells.size()) cells.insert(cells.begin() + at, std::string());
    return at;
}

int CListCtrl::GetColumnWidth(int column) const
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || column < 0 || column >= static_cast<int>(RowsOf(m_hWnd)->headings.size())) return 0;
    return ListView_GetColumnWidth(hwnd, column);
}

bool CListCtrl::SetColumnWidth(int column, int width)
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || column < 0 || column >= static_cast<int>(RowsOf(m_hWnd)->headings.size()) || width < 0) return false;
    return ListView_SetColumnWidth(hwnd, column, width) != FALSE;
}

void CListCtrl::SetVirtualRows(const ListRowSource* source, int count)
{
    if (!ListHwnd(m_hWnd)) return;
    ListRows& rows = *RowsOf(m_hWnd);
    ListView_DeleteAllItems(m_hWnd->hwnd);
    rows.rows.clear();
    mrv::platform::win32::Remake(*m_hWnd, source != nullptr);
    rows.source = source;
    rows.virtualRows = source ? std::max(0, count) : 0;
    HWND hwnd = m_hWnd->hwnd;
    // New rows: nothing selected, nothing focused.
    ListView_SetItemState(hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (source) ListView_SetItemCountEx(hwnd, rows.virtualRows, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

int CListCtrl::GetItemCount() const
{
    HWND hwnd = ListHwnd(m_hWnd);
    return hwnd ? ListView_GetItemCount(hwnd) : 0;
}

int CListCtrl::InsertItem(int item, const std::string& text)
{
    HWND hwnd = ListHwnd(m_hWnd);
    ListRows* rows = RowsOf(m_hWnd);
    if (!hwnd || item < 0 || rows->source) return -1;
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = std::min(item, static_cast<int>(rows->rows.size()));
    lvi.pszText = LPSTR_TEXTCALLBACKW;
    // The texts are the program's; the list asks for them when it shows them.
    std::vector<std::string> cells(std::max<std::size_t>(1, rows->headings.size()));
    cells[0] = text;
    rows->rows.insert(rows->rows.begin() + lvi.iItem, std::move(cells));
    const int at = ListView_InsertItem(hwnd, &lvi);
    if (at < 0) rows->rows.erase(rows->rows.begin() + lvi.iItem);
    return at;
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text)
{
    HWND hwnd = ListHwnd(m_hWnd);
    ListRows* rows = RowsOf(m_hWnd);
    if (!hwnd || rows->source || item < 0 || static_cast<std::size_t>(item) >= rows->rows.size() || subItem < 0) return false;
    auto& cells = rows->rows[static_cast<std::size_t>(item)];
    if (static_cast<std::size_t>(subItem) >= std::max<std::size_t>(1, rows->headings.size())) return false;
    if (cells.size() <= static_cast<std::size_t>(subItem)) cells.resize(static_cast<std::size_t>(subItem) + 1);
    cells[static_cast<std::size_t>(subItem)] = text;
    ListView_RedrawItems(hwnd, item, item);
    return true;
}

std::string CListCtrl::GetItemText(int item, int subItem) const
{
    const ListRows* rows = RowsOf(m_hWnd);
    return rows ? std::string(mrv::platform::win32::TextOf(*rows, item, subItem)) : std::string();
}

bool CListCtrl::DeleteItem(int item)
{
    HWND hwnd = ListHwnd(m_hWnd);
    ListRows* rows = RowsOf(m_hWnd);
    if (!hwnd || rows->source || item < 0 || static_cast<std::size_t>(item) >= rows->rows.size()) return false;
    if (!ListView_DeleteItem(hwnd, item)) return false;
    rows->rows.erase(rows->rows.begin() + item);
    return true;
}

bool CListCtrl::DeleteAllItems()
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd) return false;
    ListRows* rows = RowsOf(m_hWnd);
    if (rows->source) {
        rows->virtualRows = 0;
        ListView_SetItemCountEx(hwnd, 0, 0);
        return true;
    }
    ListView_DeleteAllItems(hwnd);
    rows->rows.clear();
    return true;
}

unsigned CListCtrl::GetItemState(int item, unsigned mask) const
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || item < 0 || item >= ListView_GetItemCount(hwnd)) return 0;
    return ListView_GetItemState(hwnd, item, mask) & mask;
}

bool CListCtrl::SetItemState(int item, unsigned state, unsigned mask)
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || item < 0 || item >= ListView_GetItemCount(hwnd)) return false;
    LVITEMW lvi{};
    lvi.stateMask = mask;
    lvi.state = state;
    return SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)) != FALSE;
}

bool CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const
{
    HWND hwnd = ListHwnd(m_hWnd);
    if (!hwnd || item < 0 || item >= ListView_GetItemCount(hwnd)) return false;
    if (subItem < 0 || subItem >= static_cast<int>(RowsOf(m_hWnd)->headings.size())) return false;
    RECT r{};
    if (!ListView_GetSubItemRect(hwnd, item, subItem, area, &r)) return false;
    rect = mrv::platform::win32::ToCRect(r);
    return true;
}

Color GetSystemColor(int index) { return GetSysColor(index); }

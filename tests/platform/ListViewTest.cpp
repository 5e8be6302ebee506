// The report list: rows, selection, the owner-draw record each row is painted
// with, and clicks that select the row before the dialog hears of them.
#include "platform/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;
using Log = std::vector<std::string>;

namespace {

constexpr COLORREF kSelectedFill = RGB(255, 0, 0);

// Records every draw request and paints selected rows red, others in the
// background colour the list prepared, with a black text from (2, 1).
class PaintedList : public CListCtrl {
public:
    struct Drawn {
        unsigned row;
        unsigned state;
        CRect rect;
        COLORREF background;
        COLORREF text;
    };
    std::vector<Drawn> drawn;

    bool OnChildNotify(unsigned message, std::uintptr_t, std::intptr_t lParam, LRESULT*) override
    {
        if (message != WM_DRAWITEM) return false;
        DrawItem(reinterpret_cast<DrawItemStruct*>(lParam));
        return true;
    }
    void DrawItem(DrawItemStruct* item) override
    {
        CDC& dc = *item->pDC;
        drawn.push_back({item->itemID, item->itemState, item->rcItem, dc.GetBkColor(), dc.GetTextColor()});
        dc.FillRect(item->rcItem, CBrush{(item->itemState & ODS_SELECTED) ? kSelectedFill : dc.GetBkColor()});
        dc.SetBkMode(TRANSPARENT);
        const CRect clip{item->rcItem.left, item->rcItem.top, item->rcItem.left + 30, item->rcItem.bottom};
        dc.ExtTextOut(item->rcItem.left + 2, item->rcItem.top + 1, ETO_CLIPPED, &clip, GetItemText(static_cast<int>(item->itemID), 0));
    }
    const Drawn* Last(unsigned row) const
    {
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            if (it->row == row) return &*it;
        return nullptr;
    }
};

// Notes which rows are selected when each notification arrives.
class ListsDlg : public CDialog {
public:
    ListsDlg() : CDialog(IDD_LISTS) {}
    PaintedList m_single;
    PaintedList m_multi;
    Log log;

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_SINGLE, m_single);
        DDX_Control(pDX, IDC_MULTI, m_multi);
    }
    void Note(const char* what, NMHDR* header, LRESULT* result)
    {
        auto& list = *static_cast<CListCtrl*>(header->hwndFrom);
        std::string line = what;
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemState(row, LVIS_SELECTED)) line += " " + std::to_string(row);
        log.push_back(line);
        *result = 0;
    }
    void OnClick(NMHDR* h, LRESULT* r) { Note("click", h, r); }
    void OnDoubleClick(NMHDR* h, LRESULT* r) { Note("dblclk", h, r); }
    void OnRightClick(NMHDR* h, LRESULT* r) { Note("rclick", h, r); }
    void OnMultiClick(NMHDR* h, LRESULT* r) { Note("multi click", h, r); }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {
            OnNotify(NM_CLICK, IDC_SINGLE, &ListsDlg::OnClick),
            OnNotify(NM_DBLCLK, IDC_SINGLE, &ListsDlg::OnDoubleClick),
            OnNotify(NM_RCLICK, IDC_SINGLE, &ListsDlg::OnRightClick),
            OnNotify(NM_CLICK, IDC_MULTI, &ListsDlg::OnMultiClick),
        };
        static const MessageMap map{CDialog::GetThisMessageMap(), entries};
        return &map;
    }
};

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_LISTS));
        for (PaintedList* list : {&m_dlg.m_single, &m_dlg.m_multi}) {
            ASSERT_TRUE(list->IsAttached());
            list->InsertColumn(0, mrv::text::K("제목"), LVCFMT_LEFT, 120);
            list->InsertColumn(1, "Size", LVCFMT_LEFT, 90);
            for (int row = 0; row < 3; ++row) {
                list->InsertItem(row, "row" + std::to_string(row));
                list->SetItemText(row, 1, std::to_string(row * 100) + " Bytes");
            }
        }
        m_dlg.ShowWindow(SW_SHOW);
        ProcessEvents();
    }
    static COLORREF Pixel(const Image& image, int x, int y)
    {
        const std::uint32_t argb = image.At(x, y);
        return RGB(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF));
    }

    ListsDlg m_dlg;
};

} // namespace

TEST_F(ListViewTest, RowsHoldTheirTextsAndColumns)
{
    PaintedList& list = m_dlg.m_single;
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetColumnWidth(0), 120);
    EXPECT_EQ(list.GetColumnWidth(1), 90);
    EXPECT_EQ(list.GetItemText(2, 1), "200 Bytes");
    EXPECT_EQ(list.InsertItem(99, "last"), 3);  // past the end: appended
    EXPECT_EQ(list.InsertItem(0, "first"), 0);
    EXPECT_EQ(list.GetItemText(1, 0), "row0");
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(10));
    EXPECT_EQ(list.GetItemText(3, 0), "last");
    EXPECT_EQ(list.GetItemText(7, 0), "");
    // A column inserted in front moves the texts after it.
    EXPECT_EQ(list.InsertColumn(0, "new", LVCFMT_LEFT, 40), 0);
    EXPECT_EQ(list.GetItemText(0, 1), "row0");
    EXPECT_EQ(list.GetItemText(0, 2), "0 Bytes");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListViewTest, SelectionAndFocusStates)
{
    PaintedList& single = m_dlg.m_single;
    single.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    single.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(single.GetItemState(0, LVIS_SELECTED), 0u);  // one selected row at most
    EXPECT_EQ(single.GetItemState(2, LVIS_SELECTED | LVIS_FOCUSED), static_cast<unsigned>(LVIS_SELECTED | LVIS_FOCUSED));
    single.SetItemState(2, 0, LVIS_SELECTED);
    EXPECT_EQ(single.GetItemState(2, LVIS_SELECTED), 0u);

    PaintedList& multi = m_dlg.m_multi;
    multi.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    multi.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(multi.GetItemState(0, LVIS_SELECTED), static_cast<unsigned>(LVIS_SELECTED));
    EXPECT_EQ(multi.GetItemState(2, LVIS_SELECTED), static_cast<unsigned>(LVIS_SELECTED));
}

TEST_F(ListViewTest, EachRowIsDrawnWithItsRecordAcrossAllColumns)
{
    PaintedList& list = m_dlg.m_single;
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.drawn.clear();
    const Image image = Grab(list);

    for (unsigned row = 0; row < 3; ++row) {
        const PaintedList::Drawn* drawn = list.Last(row);
        ASSERT_NE(drawn, nullptr) << row;
        EXPECT_EQ(drawn->state & ODS_SELECTED, row == 1 ? static_cast<unsigned>(ODS_SELECTED) : 0u);
        // The band: from the left edge across both columns, as the list reports the row.
        CRect bounds;
        ASSERT_TRUE(list.GetSubItemRect(static_cast<int>(row), 0, LVIR_BOUNDS, bounds));
        EXPECT_EQ(drawn->rect, bounds);
        EXPECT_EQ(drawn->rect.left, 0);
        EXPECT_EQ(drawn->rect.Width(), 210);
        CRect cell;
        ASSERT_TRUE(list.GetSubItemRect(static_cast<int>(row), 1, LVIR_LABEL, cell));
        EXPECT_EQ(cell, (CRect{120, bounds.top, 210, bounds.bottom}));
        // The colours the list prepares: its background and text colours.
        EXPECT_EQ(drawn->background, GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(drawn->text, GetSysColor(COLOR_WINDOWTEXT));
    }
    const CRect first = list.Last(0)->rect;
    const CRect second = list.Last(1)->rect;
    EXPECT_EQ(second.top, first.bottom);   // rows follow each other
    EXPECT_GT(first.top, 0);               // below the header

    // The rendered image: the selected row red across both columns, the others not.
    const int y = (second.top + second.bottom) / 2;
    EXPECT_EQ(Pixel(image, 200, y), kSelectedFill);
    EXPECT_EQ(Pixel(image, 100, y), kSelectedFill);
    EXPECT_EQ(Pixel(image, 200, (first.top + first.bottom) / 2), GetSysColor(COLOR_WINDOW));
    // Text was drawn inside the clip, not beyond it.
    bool inked = false;
    for (int x = 2; x < 30; ++x)
        for (int yy = first.top; yy < first.bottom; ++yy) inked |= Pixel(image, x, yy) != GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(inked);
    for (int yy = first.top; yy < first.bottom; ++yy) EXPECT_EQ(Pixel(image, 31, yy), GetSysColor(COLOR_WINDOW));
}

TEST_F(ListViewTest, AClickSelectsTheRowBeforeTheDialogHearsOfIt)
{
    ClickListRow(m_dlg.m_single, 2);
    RightClickListRow(m_dlg.m_single, 0);
    DoubleClickListRow(m_dlg.m_single, 1);
    EXPECT_EQ(m_dlg.log, (Log{"click 2", "rclick 0", "click 1", "dblclk 1"}));
}

TEST_F(ListViewTest, APlainClickInAMultiSelectionListSelectsThatRowAlone)
{
    m_dlg.m_multi.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_dlg.m_multi.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    ClickListRow(m_dlg.m_multi, 2);
    EXPECT_EQ(m_dlg.log, Log{"multi click 2"});
}

TEST_F(ListViewTest, TheFocusedRowIsDrawnWithTheFocusBit)
{
    PaintedList& list = m_dlg.m_single;
    ClickListRow(list, 1);
    list.drawn.clear();
    Grab(list);
    ASSERT_NE(list.Last(1), nullptr);
    EXPECT_EQ(list.Last(1)->state, static_cast<unsigned>(ODS_SELECTED | ODS_FOCUS));
    EXPECT_EQ(list.Last(0)->state, 0u);
}

namespace {

// A hundred thousand rows made up on request, counting the requests.
class NumberedRows : public ListRowSource {
public:
    std::string_view ItemText(int item, int subItem) const override
    {
        ++asked;
        m_text = (subItem == 0 ? "song " : "ZQT/MORVANTA/MRV_Dat") + std::to_string(item);
        return m_text;
    }
    mutable int asked = 0;

private:
    mutable std::string m_text;
};

} // namespace

TEST_F(ListViewTest, OwnerDataRowsAreAskedForOnlyWhenShown)
{
    PaintedList& list = m_dlg.m_single;
    NumberedRows rows;
    list.SetVirtualRows(&rows, 100000);
    ProcessEvents();
    EXPECT_EQ(list.GetItemCount(), 100000);
    EXPECT_LT(rows.asked, 200) << "only the rows on the screen are drawn";
    ASSERT_NE(list.Last(0), nullptr);
    EXPECT_EQ(list.GetItemText(99999, 1), "ZQT/MORVANTA/MRV_Dat99999");
    EXPECT_EQ(list.GetItemText(100000, 0), "");
    // Rows are not changed one by one in this mode.
    EXPECT_EQ(list.InsertItem(0, "x"), -1);
    EXPECT_FALSE(list.SetItemText(0, 0, "x"));
    EXPECT_FALSE(list.DeleteItem(0));

    ClickListRow(list, 70000);
    EXPECT_EQ(m_dlg.log, Log{"click 70000"});
    ProcessEvents();
    ASSERT_NE(list.Last(70000), nullptr) << "the row is scrolled into view and drawn";

    list.SetVirtualRows(nullptr, 0);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.InsertItem(0, "again"), 0);
}

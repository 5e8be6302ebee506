// The report list: rows, selection, the owner-draw record each row is painted
// with, and clicks that select the row before the dialog hears of them.
#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;
using Log = std::vector<std::string>;

namespace {

constexpr Color kSelectedFill = ColorRgb(255, 0, 0);

// Records every draw request and paints selected rows red, others in the
// background colour the list prepared, with a black text from (2, 1).
class PaintedList : public CListCtrl {
public:
    struct Drawn {
        unsigned row;
        unsigned state;
        CRect rect;
        Color background;
        Color text;
    };
    std::vector<Drawn> drawn;

    bool OnChildNotify(unsigned message, std::uintptr_t, std::intptr_t lParam, MessageResult*) override
    {
        if (message != WindowMsg::DrawItem) return false;
        DrawItem(reinterpret_cast<DrawItemStruct*>(lParam));
        return true;
    }
    void DrawItem(DrawItemStruct* item) override
    {
        CDC& dc = *item->pDC;
        drawn.push_back({item->itemID, item->itemState, item->rcItem, dc.GetBkColor(), dc.GetTextColor()});
        dc.FillRect(item->rcItem, CBrush{(item->itemState & OwnerDrawState::Selected) ? kSelectedFill : dc.GetBkColor()});
        dc.SetBkMode(BkMode::Transparent);
        const CRect clip{item->rcItem.left, item->rcItem.top, item->rcItem.left + 30, item->rcItem.bottom};
        dc.ExtTextOutCp949(item->rcItem.left + 2, item->rcItem.top + 1, TextOutOption::Clipped, &clip, GetItemText(static_cast<int>(item->itemID), 0));
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
    void Note(const char* what, NotifyHeader* header, MessageResult* result)
    {
        auto& list = *static_cast<CListCtrl*>(header->hwndFrom);
        std::string line = what;
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (list.GetItemState(row, ListItemState::Selected)) line += " " + std::to_string(row);
        log.push_back(line);
        *result = 0;
    }
    void OnClick(NotifyHeader* h, MessageResult* r) { Note("click", h, r); }
    void OnDoubleClick(NotifyHeader* h, MessageResult* r) { Note("dblclk", h, r); }
    void OnRightClick(NotifyHeader* h, MessageResult* r) { Note("rclick", h, r); }
    void OnMultiClick(NotifyHeader* h, MessageResult* r) { Note("multi click", h, r); }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {
            OnNotify(NotifyCode::Click, IDC_SINGLE, &ListsDlg::OnClick),
            OnNotify(NotifyCode::DoubleClick, IDC_SINGLE, &ListsDlg::OnDoubleClick),
            OnNotify(NotifyCode::RightClick, IDC_SINGLE, &ListsDlg::OnRightClick),
            OnNotify(NotifyCode::Click, IDC_MULTI, &ListsDlg::OnMultiClick),
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
            list->InsertColumn(0, mrv::text::K("제목"), ColumnFormat::Left, 120);
            list->InsertColumn(1, "Size", ColumnFormat::Left, 90);
            for (int row = 0; row < 3; ++row) {
                list->InsertItem(row, "row" + std::to_string(row));
                list->SetItemText(row, 1, std::to_string(row * 100) + " Bytes");
            }
        }
        m_dlg.ShowWindow(ShowCmd::Show);
        ProcessEvents();
    }
    static Color Pixel(const Image& image, int x, int y)
    {
        const std::uint32_t argb = image.At(x, y);
        return ColorRgb(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF));
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
    EXPECT_EQ(list.InsertColumn(0, "new", ColumnFormat::Left, 40), 0);
    EXPECT_EQ(list.GetItemText(0, 1), "row0");
    EXPECT_EQ(list.GetItemText(0, 2), "0 Bytes");
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListViewTest, SelectionAndFocusStates)
{
    PaintedList& single = m_dlg.m_single;
    single.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    single.SetItemState(2, ListItemState::Selected | ListItemState::Focused, ListItemState::Selected | ListItemState::Focused);
    EXPECT_EQ(single.GetItemState(0, ListItemState::Selected), 0u);  // one selected row at most
    EXPECT_EQ(single.GetItemState(2, ListItemState::Selected | ListItemState::Focused), ListItemState::Selected | ListItemState::Focused);
    single.SetItemState(2, 0, ListItemState::Selected);
    EXPECT_EQ(single.GetItemState(2, ListItemState::Selected), 0u);

    PaintedList& multi = m_dlg.m_multi;
    multi.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    multi.SetItemState(2, ListItemState::Selected, ListItemState::Selected);
    EXPECT_EQ(multi.GetItemState(0, ListItemState::Selected), ListItemState::Selected);
    EXPECT_EQ(multi.GetItemState(2, ListItemState::Selected), ListItemState::Selected);
}

TEST_F(ListViewTest, EachRowIsDrawnWithItsRecordAcrossAllColumns)
{
    PaintedList& list = m_dlg.m_single;
    list.SetItemState(1, ListItemState::Selected, ListItemState::Selected);
    list.drawn.clear();
    const Image image = Grab(list);

    for (unsigned row = 0; row < 3; ++row) {
        const PaintedList::Drawn* drawn = list.Last(row);
        ASSERT_NE(drawn, nullptr) << row;
        EXPECT_EQ(drawn->state & OwnerDrawState::Selected, row == 1 ? OwnerDrawState::Selected : 0u);
        // The band: from the left edge across both columns, as the list reports the row.
        CRect bounds;
        ASSERT_TRUE(list.GetSubItemRect(static_cast<int>(row), 0, ListItemRect::Bounds, bounds));
        EXPECT_EQ(drawn->rect, bounds);
        EXPECT_EQ(drawn->rect.left, 0);
        EXPECT_EQ(drawn->rect.Width(), 210);
        CRect cell;
        ASSERT_TRUE(list.GetSubItemRect(static_cast<int>(row), 1, ListItemRect::Label, cell));
        EXPECT_EQ(cell, (CRect{120, bounds.top, 210, bounds.bottom}));
        // The colours the list prepares: its background and text colours.
        EXPECT_EQ(drawn->background, GetSystemColor(SysColor::Window));
        EXPECT_EQ(drawn->text, GetSystemColor(SysColor::WindowText));
    }
    const CRect first = list.Last(0)->rect;
    const CRect second = list.Last(1)->rect;
    EXPECT_EQ(second.top, first.bottom);   // rows follow each other
    EXPECT_GT(first.top, 0);               // below the header

    // The rendered image: the selected row red across both columns, the others not.
    const int y = (second.top + second.bottom) / 2;
    EXPECT_EQ(Pixel(image, 200, y), kSelectedFill);
    EXPECT_EQ(Pixel(image, 100, y), kSelectedFill);
    EXPECT_EQ(Pixel(image, 200, (first.top + first.bottom) / 2), GetSystemColor(SysColor::Window));
    // Text was drawn inside the clip, not beyond it.
    bool inked = false;
    for (int x = 2; x < 30; ++x)
        for (int yy = first.top; yy < first.bottom; ++yy) inked |= Pixel(image, x, yy) != GetSystemColor(SysColor::Window);
    EXPECT_TRUE(inked);
    for (int yy = first.top; yy < first.bottom; ++yy) EXPECT_EQ(Pixel(image, 31, yy), GetSystemColor(SysColor::Window));
}

TEST_F(ListViewTest, AClickSelectsTheRowBeforeTheDialogHearsOfIt)
{
    ClickListRow(m_dlg.m_single, 2);
    RightClickListRow(m_dlg.m_single, 0);
    DoubleClickListRow(m_dlg.m_single, 1);
    EXPECT_EQ(m_dlg.log, (Log{"click 2", "rclick 0", "click 1", "dblclk 1"}));
}

TEST_F(ListViewTest, APressBelowTheLastRowTakesTheSelectionAway)
{
    // Whatever follows the press (a right click's menu, a double click's
    // action) then finds no row selected, on every system alike.
    ClickListRow(m_dlg.m_single, 1);
    ClickListRow(m_dlg.m_single, kBelowLastRow);
    RightClickListRow(m_dlg.m_single, 2);
    RightClickListRow(m_dlg.m_single, kBelowLastRow);
    ClickListRow(m_dlg.m_single, 0);
    DoubleClickListRow(m_dlg.m_single, kBelowLastRow);
    EXPECT_EQ(m_dlg.log, (Log{"click 1", "click", "rclick 2", "rclick", "click 0", "click", "dblclk"}));

    m_dlg.m_multi.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    m_dlg.m_multi.SetItemState(2, ListItemState::Selected, ListItemState::Selected);
    ClickListRow(m_dlg.m_multi, kBelowLastRow);
    EXPECT_EQ(m_dlg.log.back(), "multi click");
}

TEST_F(ListViewTest, APlainClickInAMultiSelectionListSelectsThatRowAlone)
{
    m_dlg.m_multi.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    m_dlg.m_multi.SetItemState(1, ListItemState::Selected, ListItemState::Selected);
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
    EXPECT_EQ(list.Last(1)->state, OwnerDrawState::Selected | OwnerDrawState::Focus);
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

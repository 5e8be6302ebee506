// The registry list paints each row as one band: highlight colours across both
// columns when selected, each column's text inside 5-pixel margins and clipped.
#include "tests/dialogs/MakerDlgFixture.h"

#include "res/Resource.h"

namespace {

using mrv::platform::testing::Grab;
using mrv::platform::testing::ProcessEvents;

// Records what the row painter does.
class RecordingDC : public CDC {
public:
    struct Text {
        CPoint at;
        CRect clip;
        std::string text;
        Color color;
        unsigned options;
    };
    // Every byte 6 pixels wide, a line this high.
    static constexpr int kByteWidth = 6;
    int lineHeight = 12;
    Color background = ColorRgb(250, 250, 250);
    Color textColor = ColorRgb(10, 20, 30);
    int bkMode = BkMode::Opaque;
    int saves = 0, restores = 0;
    std::vector<std::pair<CRect, Color>> fills;
    std::vector<Text> texts;
    std::vector<CRect> focusRects;

    int SaveDC() override { return ++saves; }
    bool RestoreDC(int) override
    {
        ++restores;
        textColor = ColorRgb(10, 20, 30);
        return true;
    }
    Color GetBkColor() const override { return background; }
    Color GetTextColor() const override { return textColor; }
    Color SetTextColor(Color c) override { return std::exchange(textColor, c); }
    int SetBkMode(int mode) override { return std::exchange(bkMode, mode); }
    unsigned SetTextAlign(unsigned) override { return 0; }
    void FillRect(const CRect& r, const CBrush& b) override { fills.emplace_back(r, b.color); }
    bool ExtTextOutCp949(int x, int y, unsigned options, const CRect* clip, const std::string& text) override
    {
        texts.push_back({{x, y}, clip ? *clip : CRect{}, text, textColor, options});
        return true;
    }
    CSize GetTextExtentCp949(const std::string& text) const override
    {
        return {static_cast<int>(text.size()) * kByteWidth, lineHeight};
    }
    void DrawFocusRect(const CRect& r) override { focusRects.push_back(r); }
};

class RowListTest : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        CRowListCtrl& list = m_dlg->m_listRegistry;
        list.InsertItem(0, Cp949("첫 노래"));
        list.SetItemText(0, 1, "ZQT/MORVANTA/MRV_Dat00001");
        list.InsertItem(1, Cp949("둘째 노래"));
        list.SetItemText(1, 1, "ZQT/MOD/MOD_Dat00002");
    }
    DrawItemStruct Record(unsigned row, unsigned state, RecordingDC& dc)
    {
        DrawItemStruct dis;
        dis.itemID = row;
        dis.itemState = state;
        dis.pDC = &dc;
        dis.rcItem = CRect{0, 40, 376, 56};
        return dis;
    }
};

} // namespace

TEST_F(RowListTest, SelectedRowIsOneHighlightBandWithHighlightText)
{
    RecordingDC dc;
    DrawItemStruct dis = Record(1, OwnerDrawState::Selected | OwnerDrawState::Focus, dc);
    MessageResult result = 12345;
    EXPECT_TRUE(m_dlg->m_listRegistry.OnChildNotify(WindowMsg::DrawItem, IDC_REGISTRY_LIST,
                                                    reinterpret_cast<std::intptr_t>(&dis), &result));
    EXPECT_EQ(result, 12345);  // the result is left alone

    ASSERT_EQ(dc.fills.size(), 1u);
    EXPECT_EQ(dc.fills[0].first, dis.rcItem);
    EXPECT_EQ(dc.fills[0].second, GetSystemColor(SysColor::Highlight));
    EXPECT_EQ(dc.bkMode, BkMode::Transparent);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(Utf8(dc.texts[0].text), "둘째 노래");
    EXPECT_EQ(dc.texts[1].text, "ZQT/MOD/MOD_Dat00002");
    for (const auto& t : dc.texts) {
        EXPECT_EQ(t.color, GetSystemColor(SysColor::HighlightText));
        EXPECT_EQ(t.options, TextOutOption::Clipped);
    }
    EXPECT_EQ(dc.saves, 1);
    EXPECT_EQ(dc.restores, 1);
    ASSERT_EQ(dc.focusRects.size(), 1u);
    EXPECT_EQ(dc.focusRects[0], dis.rcItem);
}

TEST_F(RowListTest, UnselectedRowKeepsTheListsColoursAndClipsEachColumn)
{
    RecordingDC dc;
    DrawItemStruct dis = Record(0, 0, dc);
    m_dlg->m_listRegistry.DrawItem(&dis);

    ASSERT_EQ(dc.fills.size(), 1u);
    EXPECT_EQ(dc.fills[0].second, dc.background);
    EXPECT_TRUE(dc.focusRects.empty());
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].color, ColorRgb(10, 20, 30));

    // Column 0: text box 5 px in from each side of its width, 24 px high for a 12-pixel line.
    const int width0 = m_dlg->m_listRegistry.GetColumnWidth(0);
    const int width1 = m_dlg->m_listRegistry.GetColumnWidth(1);
    EXPECT_EQ(dc.texts[0].at, (CPoint{5, 40}));
    EXPECT_EQ(dc.texts[0].clip, (CRect{5, 40, width0 - 5, 64}));
    // Column 1 starts where its cell starts.
    CRect cell;
    ASSERT_TRUE(m_dlg->m_listRegistry.GetSubItemRect(0, 1, ListItemRect::Label, cell));
    EXPECT_EQ(dc.texts[1].clip, (CRect{cell.left + 5, cell.top, cell.left + width1 - 5, cell.top + 24}));
}

TEST_F(RowListTest, RenderedRowsShowTheSelectionAcrossBothColumns)
{
    CRowListCtrl& list = m_dlg->m_listRegistry;
    list.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    ProcessEvents(50);
    const auto image = Grab(list);
    CRect first, second;
    ASSERT_TRUE(list.GetSubItemRect(0, 1, ListItemRect::Bounds, first));
    ASSERT_TRUE(list.GetSubItemRect(1, 1, ListItemRect::Bounds, second));
    ASSERT_GT(image.width, first.right - 2);

    const Color highlight = GetSystemColor(SysColor::Highlight);
    auto asColorref = [](std::uint32_t argb) {
        return ColorRgb(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF));
    };
    // Sample the band's far right, past any text, in both columns' area.
    const int y = (first.top + first.bottom) / 2;
    EXPECT_EQ(asColorref(image.At(first.right - 3, y)), highlight);
    EXPECT_EQ(asColorref(image.At(3, y)), highlight);
    const int y2 = (second.top + second.bottom) / 2;
    EXPECT_NE(asColorref(image.At(second.right - 3, y2)), highlight);
}

TEST_F(RowListTest, ATextIsCutAtItsColumnsRightMarginAndANarrowColumnShowsNothing)
{
    CRowListCtrl& list = m_dlg->m_listRegistry;
    list.SetItemText(0, 1, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    list.SetItemText(1, 1, "");
    ASSERT_TRUE(list.SetColumnWidth(0, 8));   // narrower than its two margins
    ASSERT_TRUE(list.SetColumnWidth(1, 60));
    ProcessEvents(50);
    const auto image = Grab(list);
    CRect cell;
    ASSERT_TRUE(list.GetSubItemRect(0, 1, ListItemRect::Bounds, cell));
    ASSERT_EQ(cell.left, 8);
    ASSERT_GT(image.height, cell.bottom);

    const std::uint32_t background = image.At(cell.left + 30, (cell.top + cell.bottom) / 2 + (cell.bottom - cell.top));
    auto inkIn = [&](int left, int right, int top, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = std::max(left, 0); x < std::min(right, image.width); ++x)
                if (image.At(x, y) != background) ++ink;
        return ink;
    };
    // Column 0 is 8 pixels wide: its text box is empty, nothing of "첫 노래" shows.
    EXPECT_EQ(inkIn(0, cell.left, cell.top, cell.bottom), 0);
    // Column 1 shows its text between the margins and nothing past them.
    EXPECT_GT(inkIn(cell.left + 5, cell.left + 55, cell.top, cell.bottom), 0);
    EXPECT_EQ(inkIn(cell.left + 55, cell.left + 120, cell.top, cell.bottom), 0);
}

namespace {

// As many rows as a large registry lists, made up on request.
class ManyRows : public ListRowSource {
public:
    std::string_view ItemText(int item, int subItem) const override
    {
        m_text = (subItem == 0 ? "song " : "ZQT/MORVANTA/MRV_Dat") + std::to_string(item);
        return m_text;
    }

private:
    mutable std::string m_text;
};

} // namespace

TEST_F(RowListTest, EveryRowShowsItsOwnEntryBeyond65535Rows)
{
    ManyRows rows;
    CRowListCtrl& list = m_dlg->m_listRegistry;
    list.SetVirtualRows(&rows, 100000);
    for (unsigned row : {65535u, 65536u, 70000u, 99999u}) {
        RecordingDC dc;
        DrawItemStruct dis = Record(row, 0, dc);
        list.DrawItem(&dis);
        ASSERT_EQ(dc.texts.size(), 2u);
        EXPECT_EQ(dc.texts[0].text, "song " + std::to_string(row));
        // The path's end, which tells the entries apart, shows whatever the column's width.
        const std::string end = "MRV_Dat" + std::to_string(row);
        ASSERT_GE(dc.texts[1].text.size(), end.size());
        EXPECT_EQ(dc.texts[1].text.substr(dc.texts[1].text.size() - end.size()), end);
    }
    list.SetVirtualRows(nullptr, 0);
}


// A taller font (another Korean font, a higher DPI) gets a text box as much
// taller, so that no line loses its descenders.
TEST_F(RowListTest, TheTextBoxGrowsWithTheFontsLine)
{
    RecordingDC dc;
    dc.lineHeight = 26;
    DrawItemStruct dis = Record(0, 0, dc);
    dis.rcItem = CRect{0, 40, 376, 70};
    m_dlg->m_listRegistry.DrawItem(&dis);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].clip.top, 40);
    EXPECT_EQ(dc.texts[0].clip.bottom, 40 + 52);
    EXPECT_EQ(dc.texts[1].clip.Height(), 52);
}

// A path too long for its column keeps its end, which tells the entries
// apart; a title keeps its start.
TEST_F(RowListTest, APathThatDoesNotFitShowsItsEndBehindAnEllipsis)
{
    CRowListCtrl& list = m_dlg->m_listRegistry;
    list.SetItemText(0, 1, "ZQT/MORVANTA/MRV_Dat00012");
    list.SetItemText(0, 0, Cp949("아주 긴 노래 제목입니다"));
    ASSERT_TRUE(list.SetColumnWidth(0, 60));
    ASSERT_TRUE(list.SetColumnWidth(1, 100));  // 90 pixels of text: 15 bytes
    RecordingDC dc;
    DrawItemStruct dis = Record(0, 0, dc);
    list.DrawItem(&dis);
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(Utf8(dc.texts[0].text), "아주 긴 노래 제목입니다");
    EXPECT_EQ(Utf8(dc.texts[1].text), "…/MRV_Dat00012");
    EXPECT_LE(dc.GetTextExtentCp949(dc.texts[1].text).cx, dc.texts[1].clip.Width());

    // A path that fits is drawn as it is.
    list.SetItemText(0, 1, "ZQT/MOD/M1");
    RecordingDC whole;
    dis = Record(0, 0, whole);
    list.DrawItem(&dis);
    ASSERT_EQ(whole.texts.size(), 2u);
    EXPECT_EQ(whole.texts[1].text, "ZQT/MOD/M1");
}

TEST(PathWithEllipsisAtStart, CutsBetweenCharactersAndKeepsAsMuchOfTheEndAsFits)
{
    RecordingDC dc;  // 6 pixels a byte: a Hangul syllable 12
    const std::string path = mrv::text::K("노래/가나다라");
    // The ellipsis (2 bytes) and 3 syllables fit 48 pixels.
    EXPECT_EQ(mrv::text::Cp949ToUtf8Lossy(PathWithEllipsisAtStart(dc, path, 48)), "…나다라");
    // 47 pixels: a syllable is never cut in half, so only two show.
    EXPECT_EQ(mrv::text::Cp949ToUtf8Lossy(PathWithEllipsisAtStart(dc, path, 47)), "…다라");
    // Room for the whole text: unchanged; room for nothing: the ellipsis alone.
    EXPECT_EQ(PathWithEllipsisAtStart(dc, path, 6 * static_cast<int>(path.size())), path);
    EXPECT_EQ(mrv::text::Cp949ToUtf8Lossy(PathWithEllipsisAtStart(dc, path, 5)), "…");
    EXPECT_EQ(PathWithEllipsisAtStart(dc, "", 0), "");
}

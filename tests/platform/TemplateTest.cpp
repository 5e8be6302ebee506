// Windows built from templates: geometry in base units, tab order, radio
// groups by the group flag, and presses that go through labels to the dialog.
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;

namespace {

class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_LAYOUT));
        m_dlg.ShowWindow(ShowCmd::Show);
        ProcessEvents();
    }
    CWnd& Item(int id)
    {
        CWnd* item = m_dlg.GetDlgItem(id);
        EXPECT_NE(item, nullptr) << id;
        static CWnd none;
        return item ? *item : none;
    }
    CButton& Button(int id) { return static_cast<CButton&>(Item(id)); }
    // Base units measured on the probe label of 4 × 8 dialog units.
    CPoint Units() { return {ClientRect(Item(IDC_PROBE)).right, ClientRect(Item(IDC_PROBE)).bottom}; }
    // Dialog units to pixels as the platform rounds them.
    CRect Pixels(int x, int y, int cx, int cy)
    {
        const CPoint u = Units();
        const auto px = [&](int v) { return (v * u.x + 2) / 4; };
        const auto py = [&](int v) { return (v * u.y + 4) / 8; };
        return {px(x), py(y), px(x) + px(cx), py(y) + py(cy)};
    }

    RecordingDlg m_dlg;
};

} // namespace

TEST_F(TemplateTest, ControlsStandAtTheirTemplateRectanglesInTheFontsBaseUnits)
{
    const CPoint units = Units();
    // A 9-point Korean font: about 7 × 14 pixels (12 for the platform's own font).
    EXPECT_GE(units.x, 5);
    EXPECT_LE(units.x, 9);
    EXPECT_GE(units.y, 11);
    EXPECT_LE(units.y, 17);

    EXPECT_EQ(ClientRect(Item(IDC_NAME)), Pixels(10, 15, 60, 12));
    EXPECT_EQ(ClientRect(Item(IDC_CENTERED)), Pixels(75, 30, 40, 12));
    EXPECT_EQ(ClientRect(Item(CommandId::Cancel)), Pixels(70, 100, 50, 14));
    EXPECT_EQ(ClientRect(Item(IDC_Y)), Pixels(40, 70, 25, 10));
    // The client area is the template's size.
    EXPECT_EQ(ClientRect(m_dlg), Pixels(0, 0, 215, 120));
    // A bitmap picture (of 12 × 9 pixels) is stretched to its box.
    EXPECT_EQ(ClientRect(Item(IDC_PICTURE)), Pixels(160, 10, 40, 40));
}

TEST_F(TemplateTest, TemplateStylesReachTheControls)
{
    EXPECT_FALSE(Item(IDC_CENTERED).IsWindowEnabled());
    EXPECT_TRUE(Item(IDC_NAME).IsWindowEnabled());
    EXPECT_TRUE(Item(IDC_NAME).IsWindowVisible());
    EXPECT_EQ(Item(IDC_CENTERED).GetStyle() & ControlStyle::Disabled, ControlStyle::Disabled);
    Item(IDC_CENTERED).EnableWindow(true);
    EXPECT_EQ(Item(IDC_CENTERED).GetStyle() & ControlStyle::Disabled, 0u);
    EXPECT_EQ(Item(IDC_A).GetControlKind(), ControlKind::RadioButton);
    EXPECT_EQ(TextUtf8(Item(CommandId::Ok)), "확인");
    EXPECT_EQ(TextUtf8(m_dlg), "배치");
}

TEST_F(TemplateTest, TabOrderIsTemplateOrderOverTheTabStops)
{
    // The first tab stop has the focus after the initialisation.
    EXPECT_EQ(FocusedControl(m_dlg), &Item(CommandId::Ok));
    const int expected[] = {CommandId::Cancel, IDC_NAME, IDC_NUMBER, IDC_CHECK, IDC_RUN, IDC_BASE_ONLY, CommandId::Ok};
    for (int id : expected) {
        PressTab(m_dlg);
        EXPECT_EQ(FocusedControl(m_dlg), &Item(id)) << "expected " << id;
    }
}

TEST_F(TemplateTest, NextWindowWalksTheTemplateOrder)
{
    EXPECT_EQ(Item(IDC_A).GetNextControl(), &Item(IDC_B));
    CWnd* afterName = Item(IDC_NAME).GetNextControl();  // a label without id
    ASSERT_NE(afterName, nullptr);
    EXPECT_EQ(TextUtf8(*afterName), "이름 :");
    EXPECT_EQ(afterName->GetNextControl(), &Item(IDC_NUMBER));
    EXPECT_EQ(Item(IDC_BASE_ONLY).GetNextControl(), nullptr);
}

TEST_F(TemplateTest, EachGroupFlagStartsItsOwnRadioGroup)
{
    Click(Item(IDC_A));
    Click(Item(IDC_X));
    EXPECT_EQ(Button(IDC_A).GetCheck(), 1);
    EXPECT_EQ(Button(IDC_X).GetCheck(), 1);

    Click(Item(IDC_B));  // clears A, leaves the other group alone
    EXPECT_EQ(Button(IDC_A).GetCheck(), 0);
    EXPECT_EQ(Button(IDC_B).GetCheck(), 1);
    EXPECT_EQ(Button(IDC_X).GetCheck(), 1);
    EXPECT_EQ(m_dlg.log, std::vector<std::string>{"radio"});

    Click(Item(IDC_Y));
    EXPECT_EQ(Button(IDC_X).GetCheck(), 0);
    EXPECT_EQ(Button(IDC_B).GetCheck(), 1);

    Click(Item(IDC_Y));  // a second click leaves it checked
    EXPECT_EQ(Button(IDC_Y).GetCheck(), 1);
}

TEST_F(TemplateTest, TheProgramSetsOneRadioButtonAtATime)
{
    // As the platform does: setting one does not clear the others; a whole
    // group can be cleared.
    Button(IDC_A).SetCheck(1);
    Button(IDC_C).SetCheck(1);
    EXPECT_EQ(Button(IDC_A).GetCheck(), 1);
    Button(IDC_A).SetCheck(0);
    Button(IDC_C).SetCheck(0);
    EXPECT_EQ(Button(IDC_A).GetCheck() + Button(IDC_B).GetCheck() + Button(IDC_C).GetCheck(), 0);

    Button(IDC_CHECK).SetCheck(2);
    EXPECT_EQ(Button(IDC_CHECK).GetCheck(), 2);
    Button(IDC_CHECK).SetCheck(0);
    Click(Item(IDC_CHECK));
    EXPECT_EQ(Button(IDC_CHECK).GetCheck(), 1);
}

TEST_F(TemplateTest, PressesOnGroupBoxesLabelsAndPicturesReachTheDialog)
{
    const CPoint u = Units();
    const auto at = [&](int x, int y) { return CPoint{(x * u.x + 2) / 4, (y * u.y + 4) / 8}; };
    const CPoint onGroupFrame = at(6, 62);    // inside the group box, on no control
    const CPoint onLabel = at(90, 20);        // the label "이름 :"
    const CRect picture = ClientRect(Item(IDC_PICTURE));
    const CPoint onPicture{picture.left + 3, picture.top + 3};

    MousePress(m_dlg, onGroupFrame);
    MousePress(m_dlg, onLabel);
    MousePress(m_dlg, onPicture);
    const auto point = [](CPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
    EXPECT_EQ(m_dlg.log, (std::vector<std::string>{"down " + point(onGroupFrame) + " flags 1",
                                                   "down " + point(onLabel) + " flags 1",
                                                   "down " + point(onPicture) + " flags 1"}));

    // An edit inside the group box takes its own presses.
    m_dlg.log.clear();
    const CRect edit = ClientRect(Item(IDC_NAME));
    MousePress(m_dlg, CPoint{edit.left + 4, edit.top + 4});
    EXPECT_TRUE(m_dlg.log.empty());
    EXPECT_EQ(FocusedControl(m_dlg), &Item(IDC_NAME));

    // A double click: a press, then the double click at the same point.
    MouseDoubleClick(m_dlg, onLabel);
    EXPECT_EQ(m_dlg.log, (std::vector<std::string>{"down " + point(onLabel) + " flags 1",
                                                   "dblclk " + point(onLabel) + " flags 1"}));
}

TEST_F(TemplateTest, AWindowMovesToAScreenPointKeepingItsSize)
{
    const CRect before = m_dlg.GetWindowRect();
    m_dlg.MoveTo(CPoint{130, 70});
    m_dlg.SetTopMost();
    ProcessEvents();
    const CRect after = m_dlg.GetWindowRect();
    EXPECT_EQ(after.left, 130);
    EXPECT_EQ(after.top, 70);
    EXPECT_EQ(after.Width(), before.Width());
    EXPECT_EQ(after.Height(), before.Height());
    EXPECT_TRUE(m_dlg.IsWindowVisible());
    // A control's rectangle is on the screen too, inside its window.
    const CRect edit = Item(IDC_NAME).GetWindowRect();
    EXPECT_EQ(edit.Width(), ClientRect(Item(IDC_NAME)).Width());
    EXPECT_GE(edit.left, after.left + ClientRect(Item(IDC_NAME)).left);
}

TEST(TemplateCreation, MissingTemplatesCreateNothing)
{
    RecordingDlg missing(IDD_MISSING);
    EXPECT_FALSE(missing.Create(IDD_MISSING));
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.IsAttached());
}

TEST(TemplateCreation, AModelessWindowIsHiddenUnlessItsTemplateSaysVisible)
{
    RecordingDlg hidden(IDD_TOOL), shown(IDD_SHOWN);
    ASSERT_TRUE(hidden.Create(IDD_TOOL));
    ASSERT_TRUE(shown.Create(IDD_SHOWN));
    EXPECT_FALSE(hidden.IsWindowVisible());
    EXPECT_TRUE(shown.IsWindowVisible());
    EXPECT_FALSE(hidden.Create(IDD_TOOL));  // one window per object
}

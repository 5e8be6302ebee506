// The system menu's appended items: on Windows at the end of the title bar's
// menu, on Linux offered as the dialog's own menu. Where it opens, what it
// shows, and the command a choice sends to the table.
// Commands without an entry get the default handling.
#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;
using Log = std::vector<std::string>;

namespace {

constexpr unsigned kFirstItem = 0x10;
constexpr unsigned kSecondItem = 0x20;

class MenuDlg : public RecordingDlg {
public:
    // The program's own commands; the system's go on to the default handling.
    void OnSysCommand(unsigned id, std::intptr_t lParam)
    {
        if ((id & 0xFFF0) >= 0xF000)
            CDialog::OnSysCommand(id, lParam);
        else
            log.push_back("syscommand " + std::to_string(id));
    }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {OnWmSysCommand(&MenuDlg::OnSysCommand)};
        static const MessageMap map{RecordingDlg::GetThisMessageMap(), entries};
        return &map;
    }
};

class SystemMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_LAYOUT));
        m_dlg.ShowWindow(ShowCmd::Show);
        ProcessEvents();
        // The probe label is 4 × 8 dialog units: one base unit each way.
        const CRect probe = ClientRect(*m_dlg.GetDlgItem(IDC_PROBE));
        m_baseUnits = {probe.Width(), probe.Height()};
    }
    void TearDown() override
    {
        CloseOpenMenu();
        ProcessEvents();
    }
    void AppendItems()
    {
        ASSERT_TRUE(m_dlg.HasSystemMenu());
        m_dlg.AppendSystemMenuSeparator();
        m_dlg.AppendSystemMenuItem(kFirstItem, mrv::text::K("정보(&A)..."));
        m_dlg.AppendSystemMenuSeparator();
        m_dlg.AppendSystemMenuItem(kSecondItem, mrv::text::K("두 번째(&B)"));
    }
    // A point of the dialog, given in dialog units.
    CPoint At(int x, int y) const { return {x * m_baseUnits.x / 4, y * m_baseUnits.y / 8}; }
    CPoint Background() const { return At(210, 60); }
    static CPoint Centre(const CRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    MenuDlg m_dlg;
    CPoint m_baseUnits;
};

} // namespace

TEST_F(SystemMenuTest, TheMenuOfTheKeyboardEndsWithTheItemsAndAChoiceSendsItsId)
{
    AppendItems();
    Log items;
    RunAfter(200, [&] {
        items = OpenMenuItems();
        PressMenuMnemonic('b');
    });
    OpenSystemMenu(m_dlg);
    ProcessEvents(300);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(Log(items.end() - 3, items.end()), (Log{"정보(&A)...", "-", "두 번째(&B)"}));
    EXPECT_TRUE(OpenMenuItems().empty()) << "a choice closes the menu";
    EXPECT_EQ(m_dlg.log, (Log{"syscommand 32"}));

    // Escape closes it without a command.
    m_dlg.log.clear();
    RunAfter(200, [] { CloseOpenMenu(); });
    OpenSystemMenu(m_dlg);
    ProcessEvents(300);
    EXPECT_TRUE(OpenMenuItems().empty());
    EXPECT_TRUE(m_dlg.log.empty());
}

#ifdef _WIN32

TEST_F(SystemMenuTest, ARightClickOrTheMenuKeysOnTheBackgroundOpenNothing)
{
    // The items belong to the title bar's menu; the dialog's face has none.
    AppendItems();
    RightClick(m_dlg, Background());
    EXPECT_TRUE(OpenMenuItems().empty());
    PressShiftF10(m_dlg);
    EXPECT_TRUE(OpenMenuItems().empty());
    EXPECT_TRUE(m_dlg.log.empty());
}

#else

TEST_F(SystemMenuTest, ARightClickOnTheBackgroundOffersTheItemsAndAChoiceSendsItsId)
{
    AppendItems();
    RightClick(m_dlg, Background());
    // The first separator has nothing before it to set apart: not shown.
    EXPECT_EQ(OpenMenuItems(), (Log{"정보(&A)...", "-", "두 번째(&B)"}));
    EXPECT_TRUE(ClickMenuItem("정보(&A)..."));
    EXPECT_TRUE(OpenMenuItems().empty()) << "a choice closes the menu";

    // A label takes no clicks: a right click on it is one on the dialog.
    RightClick(m_dlg, Centre(ClientRect(*m_dlg.GetDlgItem(IDC_FIELD))));
    EXPECT_TRUE(PressMenuMnemonic('b'));
    EXPECT_EQ(m_dlg.log, (Log{"syscommand 16", "syscommand 32"}));
}

TEST_F(SystemMenuTest, TheKeyboardOpensTheMenuWhereverTheFocusIs)
{
    AppendItems();
    m_dlg.GetDlgItem(IDC_RUN)->SetFocus();
    PressMenuKey(m_dlg);
    ASSERT_EQ(OpenMenuItems().size(), 3u);
    EXPECT_TRUE(PressMenuMnemonic('a'));
    // One menu for the key: the window system's request and the key itself
    // do not open a second one behind the first.
    EXPECT_TRUE(OpenMenuItems().empty());

    PressShiftF10(m_dlg);
    EXPECT_TRUE(PressMenuMnemonic('B'));
    EXPECT_EQ(m_dlg.log, (Log{"syscommand 16", "syscommand 32"}));
}

TEST_F(SystemMenuTest, ControlsKeepTheirRightClicksAndADialogWithoutItemsHasNoMenu)
{
    RightClick(m_dlg, Background());
    PressShiftF10(m_dlg);
    EXPECT_TRUE(OpenMenuItems().empty());

    AppendItems();
    RightClick(m_dlg, Centre(ClientRect(*m_dlg.GetDlgItem(IDC_RUN))));
    EXPECT_TRUE(OpenMenuItems().empty());
    // Escape closes the menu without a command.
    RightClick(m_dlg, Background());
    ASSERT_FALSE(OpenMenuItems().empty());
    CloseOpenMenu();
    EXPECT_TRUE(OpenMenuItems().empty());
    EXPECT_TRUE(m_dlg.log.empty());
}

#endif

TEST(SystemCommandDefaultTest, CloseIsTheCloseBoxAndTheOtherCommandsDoNothing)
{
    RecordingDlg plain;
    ASSERT_TRUE(plain.Create(IDD_LAYOUT));
    plain.DispatchSysCommand(0xF020, 0);      // minimise: the window manager's business
    plain.DispatchSysCommand(SysCommand::Close | 2, 0);  // the low four bits are the platform's
    EXPECT_EQ(plain.log, (Log{"OnCancel"}));

    // A window with a close handler of its own hears the command there.
    ClosingDlg closing;
    ASSERT_TRUE(closing.Create(IDD_LAYOUT));
    closing.DispatchSysCommand(SysCommand::Close, 0);
    EXPECT_EQ(closing.log, (Log{"close"}));
}

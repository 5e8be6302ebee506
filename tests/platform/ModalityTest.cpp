// Modal runs block their owner alone: other windows stay usable and their
// timers keep firing meanwhile. Owned windows go with their owner.
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;
using Log = std::vector<std::string>;

namespace {

constexpr unsigned kTimer = 7;

// Handles events until the condition holds; false after two seconds without.
template <class Condition>
bool WaitFor(Condition condition)
{
    for (int waited = 0; !condition(); waited += 10) {
        if (waited >= 2000) return false;
        ProcessEvents(10);
    }
    return true;
}

// A main window and a modeless tool window it owns, both shown, the tool
// window ticking every 20 ms (as the search window beside the main dialog).
class ModalityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_main.Create(IDD_LAYOUT));
        m_main.ShowWindow(ShowCmd::Show);
        ASSERT_TRUE(m_tool.Create(IDD_TOOL, &m_main));
        m_tool.ShowWindow(ShowCmd::Show);
        m_tool.SetTimer(kTimer, 20);
        ProcessEvents();
    }

    RecordingDlg m_main;
    RecordingDlg m_tool{IDD_TOOL};
};

} // namespace

TEST_F(ModalityTest, AModalDialogBlocksItsOwnerAloneAndTimersGoOn)
{
    RecordingDlg prompt(IDD_PROMPT, &m_main);
    bool checked = false;
    RunAfter(0, [&] {
        EXPECT_EQ(ActiveModalTitle(), "질문");
        EXPECT_TRUE(IsBlockedByModal(m_main));
        EXPECT_FALSE(IsBlockedByModal(m_tool));

        // The tool window takes clicks; the blocked main window does not.
        Click(*m_tool.GetDlgItem(IDC_RUN));
        Click(*m_main.GetDlgItem(IDC_RUN));
        EXPECT_EQ(m_tool.log, Log{"run"});
        EXPECT_TRUE(m_main.log.empty());

        const int before = m_tool.ticks[kTimer];
        EXPECT_TRUE(WaitFor([&] { return m_tool.ticks[kTimer] >= before + 3; }));
        checked = true;
        PressEnter(prompt);
    });
    EXPECT_EQ(prompt.DoModal(), CommandId::Ok);
    EXPECT_TRUE(checked);
    EXPECT_EQ(prompt.log, (Log{"OnOK", "destroy"}));
    EXPECT_FALSE(prompt.IsAttached());
    ProcessEvents();
    EXPECT_FALSE(IsBlockedByModal(m_main));
    EXPECT_EQ(ActiveModalTitle(), "");
}

TEST_F(ModalityTest, WithoutAParentTheApplicationsMainWindowIsTheOwner)
{
    CWinApp app;
    app.m_pMainWnd = &m_main;
    RecordingDlg about(IDD_PROMPT);
    RunAfter(0, [&] {
        EXPECT_TRUE(IsBlockedByModal(m_main));
        EXPECT_FALSE(IsBlockedByModal(m_tool));
        PressEscape(about);
    });
    EXPECT_EQ(about.DoModal(), CommandId::Cancel);
    EXPECT_EQ(about.log, (Log{"OnCancel", "destroy"}));
}

TEST(ModalOwner, WithoutAParentTheWindowWhoseHandlerOpensItIsTheOwner)
{
    // The tool window's button opens a prompt without naming a parent.
    class OpensPrompt : public RecordingDlg {
    public:
        using RecordingDlg::RecordingDlg;
        std::intptr_t result = 0;
        RecordingDlg* prompt = nullptr;
        void OnOpen()
        {
            RecordingDlg dialog(IDD_PROMPT);
            prompt = &dialog;
            result = dialog.DoModal();
        }
        const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
        static const MessageMap* GetThisMessageMap()
        {
            static const MessageMapEntry entries[] = {OnBnClicked(IDC_RUN, &OpensPrompt::OnOpen)};
            static const MessageMap map{RecordingDlg::GetThisMessageMap(), entries};
            return &map;
        }
    };
    RecordingDlg main;
    OpensPrompt tool(IDD_TOOL);
    ASSERT_TRUE(main.Create(IDD_LAYOUT));
    ASSERT_TRUE(tool.Create(IDD_TOOL, &main));
    main.ShowWindow(ShowCmd::Show);
    tool.ShowWindow(ShowCmd::Show);
    CWinApp app;
    app.m_pMainWnd = &main;
    RunAfter(0, [&] {
        EXPECT_TRUE(IsBlockedByModal(tool));
        EXPECT_FALSE(IsBlockedByModal(main));
        PressEscape(*tool.prompt);
    });
    Click(*tool.GetDlgItem(IDC_RUN));
    EXPECT_EQ(tool.result, CommandId::Cancel);
}

TEST_F(ModalityTest, AModalRunWithoutOwnerBlocksNothing)
{
    RecordingDlg lone(IDD_PROMPT);
    RunAfter(0, [&] {
        EXPECT_FALSE(IsBlockedByModal(m_main));
        EXPECT_FALSE(IsBlockedByModal(m_tool));
        Click(*m_main.GetDlgItem(IDC_RUN));
        EXPECT_EQ(m_main.log, Log{"run"});
        lone.EndDialog(42);
    });
    EXPECT_EQ(lone.DoModal(), 42);
}

TEST_F(ModalityTest, APromptOfTheToolWindowLeavesTheMainWindowUsable)
{
    RecordingDlg rename(IDD_PROMPT, &m_tool);
    RunAfter(0, [&] {
        EXPECT_TRUE(IsBlockedByModal(m_tool));
        EXPECT_FALSE(IsBlockedByModal(m_main));
        const int before = m_tool.ticks[kTimer];
        // Its own ticks go on under its prompt.
        EXPECT_TRUE(WaitFor([&] { return m_tool.ticks[kTimer] > before; }));
        ClickCloseBox(m_tool);                     // blocked: nothing happens
        EXPECT_TRUE(m_tool.IsWindowVisible());
        ClickCloseBox(rename);
    });
    EXPECT_EQ(rename.DoModal(), CommandId::Cancel);
}

TEST_F(ModalityTest, EndingADialogDuringItsInitialisationSkipsTheLoop)
{
    class EndsAtOnce : public RecordingDlg {
    public:
        using RecordingDlg::RecordingDlg;
        bool OnInitDialog() override
        {
            EndDialog(5);
            return true;
        }
    } dialog(IDD_PROMPT, &m_main);
    EXPECT_EQ(dialog.DoModal(), 5);
}

TEST_F(ModalityTest, TheOwnersEndTakesItsOwnedWindowsWithIt)
{
    m_main.DestroyWindow();
    EXPECT_FALSE(m_tool.IsAttached());
    EXPECT_EQ(m_tool.log, Log{"destroy"});
    EXPECT_EQ(m_main.log, Log{"destroy"});
    // The tool's timer ended with its window.
    const int ticks = m_tool.ticks[kTimer];
    ProcessEvents(60);
    EXPECT_EQ(m_tool.ticks[kTimer], ticks);
}

TEST_F(ModalityTest, EndingAModelessWindowHidesItAndKeepsItsTimers)
{
    m_tool.EndDialog(CommandId::Ok);
    EXPECT_FALSE(m_tool.IsWindowVisible());
    EXPECT_TRUE(m_tool.IsAttached());
    const int ticks = m_tool.ticks[kTimer];
    EXPECT_TRUE(WaitFor([&] { return m_tool.ticks[kTimer] > ticks; }));
}

TEST_F(ModalityTest, TimersDeliverTheirIdAndStopWhenKilled)
{
    m_tool.KillTimer(kTimer);
    m_tool.ticks.clear();
    m_tool.killAfterTicks = 2;  // the handler kills its own timer on its second tick
    EXPECT_EQ(m_tool.SetTimer(3, 10), 3u);
    EXPECT_EQ(m_tool.SetTimer(4, 15), 4u);
    EXPECT_TRUE(WaitFor([&] { return m_tool.ticks[3] >= 2 && m_tool.ticks[4] >= 2; }));
    ProcessEvents(60);
    EXPECT_EQ(m_tool.ticks[3], 2);
    EXPECT_EQ(m_tool.ticks[4], 2);
    EXPECT_FALSE(m_tool.KillTimer(3));
    EXPECT_EQ(m_tool.ticks.count(kTimer), 0u);
}

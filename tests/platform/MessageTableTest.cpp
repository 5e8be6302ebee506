// Message tables: the handler each notification reaches, the framework's
// defaults for OK, Cancel and the close box, and change notifications that the
// dialog's own data exchange does not hear.
#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"
#include "tests/support/ScriptedServices.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;
using Log = std::vector<std::string>;

namespace {

template <class Dialog>
class Shown : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_LAYOUT));
        m_dlg.ShowWindow(ShowCmd::Show);
        ProcessEvents();
    }
    CWnd& Item(int id) { return *m_dlg.GetDlgItem(id); }

    Dialog m_dlg;
};

using MessageTableTest = Shown<RecordingDlg>;
using CloseBoxTest = Shown<ClosingDlg>;
using TableChainTest = Shown<DerivedTableDlg>;

} // namespace

TEST_F(TableChainTest, TheDerivedTableComesFirstAndTheBaseFillsIn)
{
    Click(Item(IDC_RUN));
    Click(Item(IDC_BASE_ONLY));
    EXPECT_EQ(m_dlg.log, (Log{"derived run", "base only"}));
    // The lookup itself: first match in table order, base after derived.
    EXPECT_NE(m_dlg.FindEntry(Msg::Command, NotifyCode::ButtonClicked, IDC_BASE_ONLY), nullptr);
    EXPECT_EQ(m_dlg.FindEntry(Msg::Command, NotifyCode::EditChange, IDC_RUN), nullptr);
    EXPECT_EQ(m_dlg.FindEntry(Msg::Timer, 0, 0), nullptr);
}

TEST_F(MessageTableTest, EachNotificationReachesTheHandlerOfItsCodeAndControl)
{
    Click(Item(IDC_RUN));
    Click(Item(IDC_A));  // radio without an entry: nothing
    Click(Item(IDC_B));
    EXPECT_EQ(m_dlg.log, (Log{"run", "radio"}));
    EXPECT_FALSE(m_dlg.DispatchCommand(NotifyCode::EditChange, IDC_RUN));
    EXPECT_FALSE(m_dlg.DispatchCommand(NotifyCode::ButtonClicked, IDC_NUMBER));
    NotifyHeader header{&Item(IDC_RUN), IDC_RUN, NotifyCode::Click};
    MessageResult result = 0;
    EXPECT_FALSE(m_dlg.DispatchNotify(&header, &result));
}

TEST_F(MessageTableTest, ChangeNotificationsComeFromTheUserAndTheProgram)
{
    Type(Item(IDC_NAME), "ab");
    Item(IDC_NAME).SetWindowTextCp949("xyz");
    Item(IDC_NAME).SetWindowTextCp949("xyz");  // the same text: no change
    EXPECT_EQ(m_dlg.log, (Log{"change a", "change ab", "change xyz"}));
}

TEST_F(MessageTableTest, TheDialogsOwnDataExchangeStartsNoChangeHandler)
{
    m_dlg.exchangeName = true;
    m_dlg.m_name = "member";
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(TextUtf8(Item(IDC_NAME)), "member");
    EXPECT_FALSE(m_dlg.IsExchangeRunning());
    ReplaceTextUtf8(Item(IDC_NAME), "typed");
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_name, "typed");
    // Only the user's keystrokes were heard (select-all and five characters).
    EXPECT_EQ(m_dlg.log, (Log{"change t", "change ty", "change typ", "change type", "change typed"}));
}

TEST_F(MessageTableTest, EnterActivatesTheDefaultButtonEvenFromAnEdit)
{
    Type(Item(IDC_NAME), "x");
    m_dlg.log.clear();
    PressEnter(m_dlg);
    EXPECT_EQ(m_dlg.log, Log{"OnOK"});
    EXPECT_FALSE(m_dlg.IsWindowVisible());  // a modeless dialog ends by hiding
}

TEST_F(MessageTableTest, EnterOnAFocusedButtonIsThatButtonsCommand)
{
    Item(IDC_RUN).SetFocus();
    PressEnter(m_dlg);
    EXPECT_EQ(m_dlg.log, Log{"run"});
}

TEST_F(MessageTableTest, EnterDoesNothingWhileTheDefaultButtonIsDisabled)
{
    Item(CommandId::Ok).EnableWindow(false);
    Item(IDC_NAME).SetFocus();
    PressEnter(m_dlg);
    EXPECT_TRUE(m_dlg.log.empty());
    EXPECT_TRUE(m_dlg.IsWindowVisible());
}

TEST_F(MessageTableTest, EscapeIsTheCancelCommand)
{
    Item(IDC_NAME).SetFocus();
    PressEscape(m_dlg);
    EXPECT_EQ(m_dlg.log, Log{"OnCancel"});
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

TEST_F(MessageTableTest, TheCloseBoxIsTheCancelCommandWithoutAHandler)
{
    ClickCloseBox(m_dlg);
    EXPECT_EQ(m_dlg.log, Log{"OnCancel"});
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

TEST_F(CloseBoxTest, TheCloseBoxGoesToTheWindowsOwnHandler)
{
    ClickCloseBox(m_dlg);
    EXPECT_EQ(m_dlg.log, Log{"close"});
    EXPECT_TRUE(m_dlg.IsWindowVisible());  // the handler did not close it

    m_dlg.closeAsDefault = true;
    ClickCloseBox(m_dlg);
    EXPECT_EQ(m_dlg.log, (Log{"close", "close", "OnCancel"}));
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

TEST_F(MessageTableTest, DestroyingTheWindowRunsItsDestroyHandlerAndLetsItsObjectsGo)
{
    CButton member;
    member.Attach(m_dlg.GetDlgItem(IDC_RUN)->GetSafeHwnd());
    m_dlg.RegisterControlObject(IDC_RUN, &member);
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_RUN), &member);
    m_dlg.DestroyWindow();
    EXPECT_EQ(m_dlg.log, Log{"destroy"});
    EXPECT_FALSE(m_dlg.IsAttached());
    EXPECT_FALSE(member.IsAttached());
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_RUN), nullptr);
    // A new window binds afresh.
    ASSERT_TRUE(m_dlg.Create(IDD_LAYOUT));
    EXPECT_NE(m_dlg.GetDlgItem(IDC_RUN), nullptr);
}

TEST_F(MessageTableTest, AMemberObjectThatGoesFirstLetsItsControlGo)
{
    {
        CButton member;
        member.Attach(m_dlg.GetDlgItem(IDC_RUN)->GetSafeHwnd());
        m_dlg.RegisterControlObject(IDC_RUN, &member);
    }
    EXPECT_EQ(m_dlg.ControlObject(IDC_RUN), nullptr);
    ASSERT_NE(m_dlg.GetDlgItem(IDC_RUN), nullptr);
    Click(Item(IDC_RUN));
    EXPECT_EQ(m_dlg.log, Log{"run"});
}

TEST(FrameworkMessageBox, IsTitledWithTheProgramsNameAndOwnedByTheMainWindow)
{
    mrv::testing::ScriptedServices services;
    mrv::testing::ScopedServices installed(services);
    services.AnswerMessageBox(CommandId::Ok);
    RecordingDlg main;
    ASSERT_TRUE(main.Create(IDD_LAYOUT));
    CWinApp app;
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetApp(), &app);

    EXPECT_EQ(AfxMessageBox(mrv::text::K("정수를 입력하십시오."), MsgBox::IconExclamation | MsgBox::Ok), CommandId::Ok);
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    const auto& box = services.MessageBoxes()[0];
    EXPECT_EQ(box.CaptionUtf8(), "platform_tests");  // the executable's name
    EXPECT_EQ(box.TextUtf8(), "정수를 입력하십시오.");
    EXPECT_EQ(box.type, MsgBox::IconExclamation | MsgBox::Ok);
    EXPECT_EQ(box.owner, &main);

    app.m_pszAppName = "mrvmaker";
    services.AnswerMessageBox(CommandId::Ok);
    AfxMessageBox("x");
    EXPECT_EQ(services.MessageBoxes()[1].CaptionUtf8(), "mrvmaker");
}

TEST_F(MessageTableTest, AHandlerThatFailsIsToldToTheUserAndTheWindowGoesOn)
{
    mrv::testing::ScriptedServices services;
    mrv::testing::ScopedServices installed(services);
    services.AnswerMessageBox(CommandId::Ok);
    m_dlg.runThrows = true;
    Click(Item(IDC_RUN));
    ASSERT_EQ(services.MessageBoxes().size(), 1u);
    EXPECT_EQ(services.MessageBoxes()[0].TextUtf8(), "메모리가 모자라서 이 일을 마치지 못했습니다.");
    EXPECT_EQ(services.MessageBoxes()[0].Icon(), MsgBox::IconError);
    EXPECT_EQ(services.MessageBoxes()[0].owner, &m_dlg);

    m_dlg.runThrows = false;
    Click(Item(IDC_RUN));
    EXPECT_EQ(m_dlg.log, Log{"run"});
    EXPECT_TRUE(m_dlg.IsWindowVisible());
}

// Data exchange between dialog members and real controls: the integer rule,
// byte limits, check boxes, radio groups, and what a failing step leaves behind.
#include "platform/DataExchange.h"

#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestTemplates.h"
#include "core/FileSystem.h"
#include "tests/support/Process.h"
#include "tests/support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using mrv::platform::ParseDialogInteger;
using mrv::testing::ScopedServices;
using mrv::testing::ScriptedServices;
using mrv::text::K;
namespace t = mrv::platform::testing;
namespace ids = test_ids::exchange;

namespace {

// ---- The integer rule on its own ----------------------------------------------------

struct Accepted {
    const char* text;
    int value;
};

class IntegerAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(IntegerAccepted, Reads)
{
    int value = 12345;
    ASSERT_TRUE(ParseDialogInteger(GetParam().text, value)) << '"' << GetParam().text << '"';
    EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, IntegerAccepted,
    ::testing::Values(Accepted{"0", 0}, Accepted{"00", 0}, Accepted{" 0 ", 0}, Accepted{"\t0\t", 0},
                      Accepted{" 12 ", 12}, Accepted{"+7", 7}, Accepted{"-7", -7}, Accepted{"007", 7},
                      Accepted{"2147483647", 2147483647}, Accepted{"2147483648", 2147483647},
                      Accepted{"-2147483648", -2147483647 - 1}, Accepted{"-2147483649", -2147483647 - 1},
                      Accepted{"9999999999999999999999999999999", 2147483647},
                      Accepted{"-999999999999999999999999999999", -2147483647 - 1}));

class IntegerRejected : public ::testing::TestWithParam<const char*> {};

TEST_P(IntegerRejected, FailsAndKeepsTheValue)
{
    int value = 12345;
    EXPECT_FALSE(ParseDialogInteger(GetParam(), value)) << '"' << GetParam() << '"';
    EXPECT_EQ(value, 12345);
}

INSTANTIATE_TEST_SUITE_P(Rule, IntegerRejected,
                         ::testing::Values("", "   ", "\t", "-0", "+0", "-00", "-", "+", "- 5", "0x10", "12a",
                                           "1 2", "a1", "1.5", "0-", "\n5", "가", "\xEF\xBC\x91" /* full-width 1 */));

TEST(IntegerRule, LooksAtTheFirst31CharactersOnly)
{
    const std::string thirtyBlanks(30, ' ');
    int value = 0;

    // Whatever follows the 31st character is never seen.
    EXPECT_TRUE(ParseDialogInteger("1" + std::string(35, ' '), value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ParseDialogInteger("2" + thirtyBlanks + "x", value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(ParseDialogInteger(std::string(31, '0') + "17", value));
    EXPECT_EQ(value, 0);

    // A digit past the cut counts for nothing: 31 blanks read as an empty text.
    value = 5;
    EXPECT_FALSE(ParseDialogInteger(std::string(31, ' ') + "9", value));
    EXPECT_EQ(value, 5);
    // 40 digits: the first 31 are read and clamp.
    EXPECT_TRUE(ParseDialogInteger(std::string(40, '7'), value));
    EXPECT_EQ(value, 2147483647);
}

// ---- Exchange with a real dialog ---------------------------------------------------------

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(ids::IDD_EXCHANGE) {}

    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, ids::IDC_BUTTON, m_btnControl);
        DDX_Text(pDX, ids::IDC_TITLE, m_strTitle);
        DDV_MaxChars(pDX, m_strTitle, 50);
        DDX_Text(pDX, ids::IDC_NUMBER, m_nNumber);
        DDX_Text(pDX, ids::IDC_RANGED, m_nRanged);
        DDV_MinMaxInt(pDX, m_nRanged, 0, 99999);
        DDX_Check(pDX, ids::IDC_CHECK, m_bCheck);
        DDX_Radio(pDX, ids::IDC_RADIO_A0, m_nGroupA);
        DDX_Radio(pDX, ids::IDC_RADIO_B0, m_nGroupB);
        DDX_Text(pDX, ids::IDC_PATH, m_path);
        DDX_Text(pDX, ids::IDC_LAST, m_strLast);
    }

    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {
            OnEnChange(ids::IDC_TITLE, &ExchangeDlg::OnTitleChanged),
        };
        static const MessageMap map{CDialog::GetThisMessageMap(), entries};
        return &map;
    }
    void OnTitleChanged() { ++m_titleChanges; }

    CButton m_btnControl;
    std::string m_strTitle;
    int m_nNumber = 0;
    int m_nRanged = 0;
    int m_bCheck = 0;
    int m_nGroupA = -1;
    int m_nGroupB = -1;
    fs::path m_path;
    std::string m_strLast;
    int m_titleChanges = 0;
};

class DataExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(ids::IDD_EXCHANGE));
        m_dlg.ShowWindow(ShowCmd::Show);
        t::ProcessEvents();
    }
    void TearDown() override
    {
        m_dlg.DestroyWindow();
        t::ProcessEvents();
    }

    CWnd& Item(int id)
    {
        CWnd* item = m_dlg.GetDlgItem(id);
        EXPECT_NE(item, nullptr) << "no control " << id;
        static CWnd none;
        return item ? *item : none;
    }
    CButton& Button(int id) { return static_cast<CButton&>(Item(id)); }
    std::string Shown(int id) { return t::TextUtf8(Item(id)); }

    // Members that a read must not touch once an earlier step failed.
    void SetSentinels()
    {
        m_dlg.m_nRanged = 77;
        m_dlg.m_bCheck = 0;
        m_dlg.m_nGroupA = 0;
        m_dlg.m_nGroupB = 1;
        m_dlg.m_path = "/srv/old";
        m_dlg.m_strLast = "old";
        ASSERT_TRUE(m_dlg.UpdateData(false));
        // The user changes every one of them on screen.
        t::ReplaceTextUtf8(Item(ids::IDC_RANGED), "5");
        t::Click(Item(ids::IDC_CHECK));
        t::Click(Item(ids::IDC_RADIO_A1));
        t::Click(Item(ids::IDC_RADIO_B0));
        Item(ids::IDC_PATH).SetWindowTextCp949("/srv/new");
        t::ReplaceTextUtf8(Item(ids::IDC_LAST), "new");
    }
    void ExpectSentinelsKept()
    {
        EXPECT_EQ(m_dlg.m_nRanged, 77);
        EXPECT_EQ(m_dlg.m_bCheck, 0);
        EXPECT_EQ(m_dlg.m_nGroupA, 0);
        EXPECT_EQ(m_dlg.m_nGroupB, 1);
        EXPECT_EQ(m_dlg.m_path, fs::path("/srv/old"));
        EXPECT_EQ(m_dlg.m_strLast, "old");
    }

    // The one message box of a failed read, with the framework's caption.
    void ExpectOneExchangeMessage(const std::string& textUtf8)
    {
        ASSERT_EQ(m_services.MessageBoxes().size(), 1u);
        const auto& box = m_services.MessageBoxes()[0];
        EXPECT_EQ(box.TextUtf8(), textUtf8);
        EXPECT_EQ(box.Buttons(), MsgBox::Ok);
        EXPECT_EQ(box.Icon(), MsgBox::IconExclamation);
        EXPECT_EQ(box.CaptionUtf8(), ExecutableStem());
    }
    void ExpectFocusWithAllSelected(int id)
    {
        EXPECT_EQ(t::FocusedControl(m_dlg), &Item(id));
        const auto length = static_cast<int>(QStringLengthOf(Shown(id)));
        EXPECT_EQ(t::EditSelection(Item(id)), std::make_pair(0, length));
    }

    static std::string ExecutableStem() { return mrv::os::PathText(mrv::test::TestProgram().stem()); }
    // Characters (not bytes) of a UTF-8 text, as an edit counts its selection.
    static std::size_t QStringLengthOf(const std::string& utf8)
    {
        std::size_t n = 0;
        for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
        return n;
    }

    ScriptedServices m_services;
    ScopedServices m_installed{m_services};
    ExchangeDlg m_dlg;
};

TEST_F(DataExchangeTest, WriteShowsEveryMemberAndReadTakesItBack)
{
    m_dlg.m_strTitle = K("노래 제목");
    m_dlg.m_nNumber = -42;
    m_dlg.m_nRanged = 99999;
    m_dlg.m_bCheck = 1;
    m_dlg.m_nGroupA = 1;
    m_dlg.m_nGroupB = 0;
    m_dlg.m_path = mrv::os::PathFromUtf8("/srv/음악/곡");
    m_dlg.m_strLast = "x";
    ASSERT_TRUE(m_dlg.UpdateData(false));

    EXPECT_EQ(Shown(ids::IDC_TITLE), "노래 제목");
    EXPECT_EQ(Shown(ids::IDC_NUMBER), "-42");
    EXPECT_EQ(Shown(ids::IDC_RANGED), "99999");
    EXPECT_EQ(Button(ids::IDC_CHECK).GetCheck(), 1);
    EXPECT_EQ(Shown(ids::IDC_PATH), mrv::os::PathText(mrv::os::PathFromUtf8("/srv/음악/곡")));

    ExchangeDlg& dlg = m_dlg;
    dlg.m_strTitle.clear();
    dlg.m_nNumber = dlg.m_nRanged = dlg.m_bCheck = 0;
    dlg.m_nGroupA = dlg.m_nGroupB = -1;
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strTitle, K("노래 제목"));
    EXPECT_EQ(dlg.m_nNumber, -42);
    EXPECT_EQ(dlg.m_nRanged, 99999);
    EXPECT_EQ(dlg.m_bCheck, 1);
    EXPECT_EQ(dlg.m_nGroupA, 1);
    EXPECT_EQ(dlg.m_nGroupB, 0);
    EXPECT_EQ(dlg.m_path, mrv::os::PathFromUtf8("/srv/음악/곡"));
    EXPECT_TRUE(m_services.MessageBoxes().empty());
}

TEST_F(DataExchangeTest, ReadsTypedIntegersByTheRule)
{
    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), " 12 ");
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nNumber, 12);

    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), "+7");
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nNumber, 7);

    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), "2147483648");
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nNumber, 2147483647);
    // A write shows the member, not what was typed.
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Shown(ids::IDC_NUMBER), "2147483647");
}

TEST_F(DataExchangeTest, FailedIntegerKeepsTheOldValueAndStopsThePass)
{
    m_dlg.m_nNumber = 31;
    SetSentinels();
    t::ReplaceTextUtf8(Item(ids::IDC_TITLE), "typed");
    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), "-0");
    m_services.AnswerMessageBox(CommandId::Ok);

    EXPECT_FALSE(m_dlg.UpdateData(true));

    EXPECT_EQ(m_dlg.m_nNumber, 31);
    ExpectSentinelsKept();
    ExpectOneExchangeMessage("정수를 입력하십시오.");
    ExpectFocusWithAllSelected(ids::IDC_NUMBER);
    // The steps before the failing one did run.
    EXPECT_EQ(m_dlg.m_strTitle, "typed");
}

TEST_F(DataExchangeTest, EveryFailedReadShowsItsMessageAgain)
{
    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), "0x10");
    m_services.AnswerMessageBox(CommandId::Ok).AnswerMessageBox(CommandId::Ok);
    EXPECT_FALSE(m_dlg.UpdateData(true));
    EXPECT_FALSE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_services.MessageBoxes().size(), 2u);
    // A write restores the last valid number.
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Shown(ids::IDC_NUMBER), "0");
}

TEST_F(DataExchangeTest, TitleLongerThan50BytesFailsAfterBeingStored)
{
    // 25 syllables are 50 CP949 bytes; one more letter makes 51.
    std::string title;
    for (int i = 0; i < 25; ++i) title += "가";
    title += "a";
    m_dlg.m_nNumber = 8;
    SetSentinels();
    Item(ids::IDC_TITLE).SetWindowTextCp949(K(title));   // set by the program: no input limit applies
    t::ReplaceTextUtf8(Item(ids::IDC_NUMBER), "9");
    m_services.AnswerMessageBox(CommandId::Ok);

    EXPECT_FALSE(m_dlg.UpdateData(true));

    EXPECT_EQ(m_dlg.m_strTitle, K(title));
    EXPECT_EQ(m_dlg.m_strTitle.size(), 51u);
    EXPECT_EQ(m_dlg.m_nNumber, 8);   // a later step
    ExpectSentinelsKept();
    ExpectOneExchangeMessage("50 이하의 문자를 입력하십시오.");
    ExpectFocusWithAllSelected(ids::IDC_TITLE);
}

TEST_F(DataExchangeTest, WriteLimitsTheTitleEditTo50Bytes)
{
    m_dlg.m_strTitle.clear();
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Item(ids::IDC_TITLE).GetLimitText(), 50);

    // A user cannot type past it: the 26th syllable would be bytes 51 and 52.
    std::string typed;
    for (int i = 0; i < 26; ++i) typed += "각";
    t::Type(Item(ids::IDC_TITLE), typed);
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_strTitle.size(), 50u);
    // One byte is left after 24 syllables and an ASCII letter fits it; a syllable does not.
    t::ReplaceTextUtf8(Item(ids::IDC_TITLE), std::string(typed, 0, 24 * 3) + "a가b");
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(mrv::text::Cp949ToUtf8Lossy(m_dlg.m_strTitle), std::string(typed, 0, 24 * 3) + "ab");
}

TEST_F(DataExchangeTest, RangeIsCheckedOnReadOnlyAfterTheValueIsStored)
{
    m_dlg.m_nRanged = 100000;
    ASSERT_TRUE(m_dlg.UpdateData(false));   // a write never fails on the range
    EXPECT_EQ(Shown(ids::IDC_RANGED), "100000");
    t::Click(Item(ids::IDC_CHECK));
    m_services.AnswerMessageBox(CommandId::Ok);

    EXPECT_FALSE(m_dlg.UpdateData(true));

    EXPECT_EQ(m_dlg.m_nRanged, 100000);
    EXPECT_EQ(m_dlg.m_bCheck, 0);   // the check box after it was not read
    ExpectOneExchangeMessage("0와(과) 99999 사이의 정수를 입력하십시오.");
    ExpectFocusWithAllSelected(ids::IDC_RANGED);

    m_services.AnswerMessageBox(CommandId::Ok);
    t::ReplaceTextUtf8(Item(ids::IDC_RANGED), "-1");
    EXPECT_FALSE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nRanged, -1);
    t::ReplaceTextUtf8(Item(ids::IDC_RANGED), "99999");
    EXPECT_TRUE(m_dlg.UpdateData(true));
}

TEST_F(DataExchangeTest, CheckBoxWriteTurnsUnknownValuesIntoClear)
{
    m_dlg.m_bCheck = 1;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Button(ids::IDC_CHECK).GetCheck(), 1);

    m_dlg.m_bCheck = 5;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(m_dlg.m_bCheck, 0);
    EXPECT_EQ(Button(ids::IDC_CHECK).GetCheck(), 0);

    m_dlg.m_bCheck = -1;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(m_dlg.m_bCheck, 0);

    t::Click(Item(ids::IDC_CHECK));
    EXPECT_EQ(Button(ids::IDC_CHECK).GetCheck(), 1) << "click missed";
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_bCheck, 1);
}

TEST_F(DataExchangeTest, RadioGroupCountsOnlyRadioButtonsUpToTheNextGroup)
{
    // Group A: radio A0, a push button (not counted), radio A1, then a label that starts a group.
    m_dlg.m_nGroupA = 1;
    m_dlg.m_nGroupB = -1;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Button(ids::IDC_RADIO_A0).GetCheck(), 0);
    EXPECT_EQ(Button(ids::IDC_RADIO_A1).GetCheck(), 1);
    EXPECT_EQ(Button(ids::IDC_RADIO_B0).GetCheck(), 0);
    EXPECT_EQ(Button(ids::IDC_RADIO_B1).GetCheck(), 0);

    // Group B's buttons are not part of group A, and checking them leaves A alone.
    t::Click(Item(ids::IDC_RADIO_B1));
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nGroupA, 1);
    EXPECT_EQ(m_dlg.m_nGroupB, 1);

    // -1 clears the whole group; a group with nothing checked reads -1.
    m_dlg.m_nGroupA = -1;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(Button(ids::IDC_RADIO_A1).GetCheck(), 0);
    EXPECT_EQ(Button(ids::IDC_RADIO_B1).GetCheck(), 1);
    m_dlg.m_nGroupA = 7;
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nGroupA, -1);

    t::Click(Item(ids::IDC_RADIO_A0));
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_nGroupA, 0);
    EXPECT_EQ(m_dlg.m_nGroupB, 1);
}

TEST_F(DataExchangeTest, PathSurvivesAReadEvenWhenCp949CannotShowIt)
{
    const fs::path path = mrv::os::PathFromUtf8("/srv/caf\xC3\xA9/\xF0\x9F\x8E\xB5 songs");   // "café", a music emoji
    m_dlg.m_path = path;
    ASSERT_TRUE(m_dlg.UpdateData(false));
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_path, path);

    // Another text in the control is another path.
    Item(ids::IDC_PATH).SetWindowTextCp949(K("/srv/새 폴더"));
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_path, mrv::os::PathFromUtf8("/srv/새 폴더"));
}

TEST_F(DataExchangeTest, ControlIsAttachedOnTheFirstPassOnly)
{
    // Creating the dialog ran the first pass.
    ASSERT_TRUE(m_dlg.m_btnControl.IsAttached());
    WindowHandle* const handle = m_dlg.m_btnControl.GetSafeHwnd();
    EXPECT_EQ(m_dlg.GetDlgItem(ids::IDC_BUTTON), &m_dlg.m_btnControl);

    ASSERT_TRUE(m_dlg.UpdateData(false));
    ASSERT_TRUE(m_dlg.UpdateData(true));
    EXPECT_EQ(m_dlg.m_btnControl.GetSafeHwnd(), handle);
    // The member object acts on the real control.
    m_dlg.m_btnControl.EnableWindow(false);
    EXPECT_FALSE(m_dlg.GetDlgItem(ids::IDC_BUTTON)->IsWindowEnabled());
}

TEST_F(DataExchangeTest, ChangeNotificationsAreDroppedWhileTheExchangeRuns)
{
    m_dlg.m_titleChanges = 0;
    m_dlg.m_strTitle = "written";
    ASSERT_TRUE(m_dlg.UpdateData(false));
    EXPECT_EQ(m_dlg.m_titleChanges, 0);
    EXPECT_EQ(Shown(ids::IDC_TITLE), "written");

    // Outside an exchange, the program's own text changes and the user's typing notify.
    Item(ids::IDC_TITLE).SetWindowTextCp949("set");
    EXPECT_EQ(m_dlg.m_titleChanges, 1);
    t::Type(Item(ids::IDC_TITLE), "x");
    EXPECT_EQ(m_dlg.m_titleChanges, 2);
}

} // namespace

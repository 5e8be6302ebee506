// What an edit takes from the keyboard: CP949 characters only, and no more
// CP949 bytes than its limit (a Hangul syllable counts two).
#include "text/Cp949.h"
#include "platform/Testing.h"
#include "tests/platform/TestDialogs.h"

#include <gtest/gtest.h>

using namespace mrv::platform::testing;
using namespace test_ids;

namespace {

class EditInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_LAYOUT));
        m_dlg.ShowWindow(ShowCmd::Show);
        ProcessEvents();
    }
    CWnd& Edit() { return *m_dlg.GetDlgItem(IDC_NAME); }
    std::size_t Bytes() { return Edit().GetWindowTextCp949().size(); }

    RecordingDlg m_dlg;
};

std::string Repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

} // namespace

TEST_F(EditInputTest, FiftyBytesHoldTwentyFiveSyllablesAndNotTheTwentySixth)
{
    Edit().LimitText(50);
    EXPECT_EQ(Edit().GetLimitText(), 50);
    Type(Edit(), Repeat("가", 26));
    EXPECT_EQ(TextUtf8(Edit()), Repeat("가", 25));
    EXPECT_EQ(Bytes(), 50u);
    Type(Edit(), "a");  // one byte does not fit either
    EXPECT_EQ(Bytes(), 50u);
}

TEST_F(EditInputTest, TheLimitCountsBytesNotCharacters)
{
    Edit().LimitText(5);
    Type(Edit(), "ab가");   // 4 bytes
    Type(Edit(), "나");     // would be 6
    Type(Edit(), "c");      // 5
    EXPECT_EQ(TextUtf8(Edit()), "ab가c");
    // A refused key changes nothing, so no change notification.
    EXPECT_EQ(m_dlg.log.size(), 4u);
}

TEST_F(EditInputTest, TypingOverASelectionMayUseItsBytes)
{
    Edit().LimitText(4);
    Type(Edit(), "가나");
    ReplaceTextUtf8(Edit(), "다");
    EXPECT_EQ(TextUtf8(Edit()), "다");
    Edit().SetSel(0, -1);
    Type(Edit(), "라마");
    EXPECT_EQ(TextUtf8(Edit()), "라마");
}

TEST_F(EditInputTest, TheProgramsTextIsNotLimitedButTheUserCannotAddToIt)
{
    Edit().LimitText(4);
    Edit().SetWindowTextCp949(mrv::text::K("가나다라"));
    EXPECT_EQ(Bytes(), 8u);
    Type(Edit(), "a");
    EXPECT_EQ(TextUtf8(Edit()), "가나다라");
    // Deleting is always possible, and the limit holds again afterwards.
    ReplaceTextUtf8(Edit(), "");
    EXPECT_EQ(TextUtf8(Edit()), "");
    Type(Edit(), "abcde");
    EXPECT_EQ(TextUtf8(Edit()), "abcd");
}

TEST_F(EditInputTest, CharactersCp949CannotHoldAreRefused)
{
    Type(Edit(), "a😀b");
    Type(Edit(), "é");      // not in CP949 either
    Type(Edit(), "한글ㄱ");  // Hangul syllables and jamo are
    EXPECT_EQ(TextUtf8(Edit()), "ab한글ㄱ");
    EXPECT_EQ(Edit().GetWindowTextCp949(), mrv::text::K("ab한글ㄱ"));
}

TEST_F(EditInputTest, WithoutALimitLongTextIsTaken)
{
    Type(Edit(), Repeat("가", 60));
    EXPECT_EQ(Bytes(), 120u);
}

TEST_F(EditInputTest, SelectionCoversCharacters)
{
    Edit().SetWindowTextCp949(mrv::text::K("가나다"));
    Edit().SetFocus();
    Edit().SetSel(0, -1);
    EXPECT_EQ(EditSelection(Edit()), std::make_pair(0, 3));
    Edit().SetSel(1, 2);
    EXPECT_EQ(EditSelection(Edit()), std::make_pair(1, 2));
    EXPECT_TRUE(Edit().HasFocus());
}

// Text that comes otherwise than from the keyboard keeps the same rules, and
// the same way on every system: it stops before the first character CP949
// lacks or that would pass the limit.
TEST_F(EditInputTest, APasteStopsBeforeACharacterCp949Lacks)
{
    Paste(Edit(), "ab😀cd");
    EXPECT_EQ(TextUtf8(Edit()), "ab");
    Paste(Edit(), "é한글");
    EXPECT_EQ(TextUtf8(Edit()), "ab");
}

TEST_F(EditInputTest, EveryWayInHoldsTheByteLimit)
{
    Edit().LimitText(6);
    const std::pair<const char*, void (*)(CWnd&, std::string_view)> ways[] = {
        {"paste", &Paste}, {"input method", &CommitInputMethod}, {"insert at the selection", &InsertAtSelection}};
    for (const auto& [name, putIn] : ways) {
        SCOPED_TRACE(name);
        ReplaceTextUtf8(Edit(), "");
        m_dlg.log.clear();
        putIn(Edit(), "가나다라");
        EXPECT_EQ(TextUtf8(Edit()), "가나다");
        EXPECT_EQ(Bytes(), 6u);
        // Once full, nothing more comes in, and the dialog hears of no change.
        m_dlg.log.clear();
        putIn(Edit(), "a");
        EXPECT_EQ(TextUtf8(Edit()), "가나다");
        EXPECT_TRUE(m_dlg.log.empty());
    }
}


// The link maker of the main window as a user drives it: the names that follow
// the link number and the kinds, "만들기" and "폴더변경", and the bytes of the
// files it writes.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "res/Resource.h"
#include "tests/support/Process.h"

#include <gmock/gmock.h>
#ifndef _WIN32
#include <unistd.h>
#endif


#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace mrv::platform::testing;
using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {

constexpr const char* kCaption = "MRV_Dat000xx Maker";
constexpr const char* kCancelled = "폴더변경 취소";
constexpr const char* kPrompt = "MRV_Dat000xx 화일을 저장할 폴더를 선택하세요";
constexpr const char* kNotAnInteger = "정수를 입력하십시오.";
constexpr const char* kEntryRange = "0와(과) 99999 사이의 정수를 입력하십시오.";
constexpr const char* kNotWritten = "링크 화일을 저장하지 못했습니다.";
constexpr int kModalPolls = 500;
constexpr int kModalPollMs = 10;

using Bytes = std::vector<std::uint8_t>;

// A byte array spelled out piece by piece: literal bytes, zero runs, ASCII text.
Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
Bytes Zeros(std::size_t n) { return Bytes(n, 0); }
Bytes Ascii(std::string_view text) { return Bytes(text.begin(), text.end()); }

const Bytes kInternalMemory{0x58, 0x91, 0x26, 0x2F, 0x16, 0x00, 0x00, 0x00};
const Bytes kMemoryCard{0x19, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00};

class LinkMakerTest : public MakerDlgTest {
protected:
    // The user opens "MOD Option", picks a location and presses Enter.
    void ChooseLocation(int location)
    {
        ASSERT_TRUE(Item(IDC_MOD_OPTION).IsWindowEnabled());
        auto clickReturned = std::make_shared<bool>(false);
        RunAfter(0, [=] { AnswerModOption(location, clickReturned, kModalPolls); });
        Click(IDC_MOD_OPTION);
        *clickReturned = true;  // a dialog that never came up is not waited for any longer
        ASSERT_EQ(m_dlg->m_nStorageLocation, location);
    }

    static void AnswerModOption(int location, std::shared_ptr<bool> clickReturned, int pollsLeft)
    {
        if (*clickReturned) return;
        CDialog* dialog = ActiveModalDialog();
        if (dialog == nullptr) {
            if (pollsLeft > 0) RunAfter(kModalPollMs, [=] { AnswerModOption(location, clickReturned, pollsLeft - 1); });
            return;
        }
        mrv::platform::testing::Click(*dialog->GetDlgItem(IDC_LOCATION_0 + location));
        PressEnter(*dialog);
    }

    // Every name, as member and as shown, and the search window's rename name.
    void ExpectNames(const char* linkFile, const char* target, int entryNumber, const char* entryLink)
    {
        EXPECT_EQ(m_dlg->m_strLinkFileName, linkFile);
        EXPECT_EQ(Shown(IDC_LINK_FILE_NAME), linkFile);
        EXPECT_EQ(m_dlg->m_strTargetName, target);
        EXPECT_EQ(Shown(IDC_TARGET_NAME), target);
        EXPECT_EQ(Search().m_szAutoName, target);
        EXPECT_EQ(m_dlg->m_nEntryNumber, entryNumber);
        EXPECT_EQ(Shown(IDC_ENTRY_NUMBER), std::to_string(entryNumber));
        EXPECT_EQ(m_dlg->m_strEntryLinkName, entryLink);
        EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), entryLink);
    }

    void ExpectKinds(int linkKind, int entryKind)
    {
        EXPECT_EQ(m_dlg->m_nLinkKind, linkKind);
        EXPECT_EQ(Button(IDC_LINK_KIND_MRV).GetCheck(), linkKind == 0 ? 1 : 0);
        EXPECT_EQ(Button(IDC_LINK_KIND_MOD).GetCheck(), linkKind == 1 ? 1 : 0);
        EXPECT_EQ(m_dlg->m_nEntryKind, entryKind);
        EXPECT_EQ(Button(IDC_ENTRY_KIND_MRV).GetCheck(), entryKind == 0 ? 1 : 0);
        EXPECT_EQ(Button(IDC_ENTRY_KIND_MOD).GetCheck(), entryKind == 1 ? 1 : 0);
        EXPECT_EQ(Item(IDC_MOD_OPTION).IsWindowEnabled(), linkKind == 1);
    }

    void EmptySaveFolder()
    {
        m_dlg->m_strSaveFolder.clear();
        m_dlg->UpdateData(false);
    }

    // Files in a folder, by name.
    static std::vector<std::string> Listing(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ---- Naming rules -------------------------------------------------------------

TEST_F(LinkMakerTest, EveryNameFollowsEachKeystrokeOfTheLinkNumberUpToTheEnds)
{
    Enter(IDC_LINK_NUMBER, "42");
    ExpectNames("MRV_Dat00042", "42.zqm", 42, "MRV_Dat00042");
    Type(Item(IDC_LINK_NUMBER), "7");
    ExpectNames("MRV_Dat00427", "427.zqm", 427, "MRV_Dat00427");

    Enter(IDC_LINK_NUMBER, "0");
    ExpectNames("MRV_Dat00000", "0.zqm", 0, "MRV_Dat00000");

    Enter(IDC_LINK_NUMBER, "99999");
    ExpectNames("MRV_Dat99999", "99999.zqm", 99999, "MRV_Dat99999");

    // One more digit turns the number into 0, not 1.
    Type(Item(IDC_LINK_NUMBER), "0");
    EXPECT_EQ(m_dlg->m_nLinkNumber, 0);
    EXPECT_EQ(Shown(IDC_LINK_NUMBER), "0");
    ExpectNames("MRV_Dat00000", "0.zqm", 0, "MRV_Dat00000");

    Enter(IDC_LINK_NUMBER, "5");
    Item(IDC_LINK_NUMBER).SetWindowTextCp949("-1");  // pasted in
    EXPECT_EQ(m_dlg->m_nLinkNumber, 0);
    EXPECT_EQ(Shown(IDC_LINK_NUMBER), "0");
    ExpectNames("MRV_Dat00000", "0.zqm", 0, "MRV_Dat00000");
    EXPECT_EQ(m_services.PromptCount(), 0u) << "out of range is corrected without a message";
}

TEST_F(LinkMakerTest, ALoneMinusIsNotAnIntegerAndTheLastNumberComesBack)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_LINK_NUMBER, "12");
    Enter(IDC_LINK_NUMBER, "-");

    EXPECT_THAT(MessageTexts(), ElementsAre(kNotAnInteger));
    EXPECT_EQ(m_services.MessageBoxes()[0].Icon(), MsgBox::IconExclamation);
    EXPECT_EQ(m_dlg->m_nLinkNumber, 12);
    EXPECT_EQ(Shown(IDC_LINK_NUMBER), "12");
    ExpectNames("MRV_Dat00012", "12.zqm", 12, "MRV_Dat00012");
}

TEST_F(LinkMakerTest, AnEntryNumberOutOfRangeIsReportedThenBecomesOne)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_LINK_NUMBER, "8");
    Click(IDC_ENTRY_KIND_MOD);
    Enter(IDC_ENTRY_NUMBER, "100000");

    EXPECT_THAT(MessageTexts(), ElementsAre(kEntryRange));
    EXPECT_EQ(m_dlg->m_nEntryNumber, 1);
    EXPECT_EQ(Shown(IDC_ENTRY_NUMBER), "1");
    EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), "MOD_Dat00001");
    // The entry number alone changed: the link names stay.
    EXPECT_EQ(m_dlg->m_strLinkFileName, "MRV_Dat00008");
    EXPECT_EQ(m_dlg->m_strTargetName, "8.zqm");

    Enter(IDC_ENTRY_NUMBER, "77");
    EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), "MOD_Dat00077");
    // The next change of the link number takes the entry number along again.
    Enter(IDC_LINK_NUMBER, "4");
    ExpectNames("MRV_Dat00004", "4.zqm", 4, "MOD_Dat00004");
    EXPECT_EQ(MessageTexts().size(), 1u);
}


// ---- Kinds ------------------------------------------------------------------------

TEST_F(LinkMakerTest, SwitchingTheLinkKindBackAndForthKeepsTheLocation)
{
    Enter(IDC_LINK_NUMBER, "12");
    Click(IDC_LINK_KIND_MOD);
    ExpectKinds(1, 1);
    ExpectNames("MOD_Dat00012", "12.zqm", 12, "MOD_Dat00012");

    ChooseLocation(5);
    ExpectNames("MOD_Dat00012", "12.dcf", 12, "MOD_Dat00012");

    // MRV always names a .zqm file, whatever the location says.
    Click(IDC_LINK_KIND_MRV);
    ExpectKinds(0, 0);
    ExpectNames("MRV_Dat00012", "12.zqm", 12, "MRV_Dat00012");
    EXPECT_EQ(m_dlg->m_nStorageLocation, 5);
    EXPECT_EQ(m_dlg->m_bDcfTarget, 1);

    Click(IDC_LINK_KIND_MOD);
    ExpectKinds(1, 1);
    ExpectNames("MOD_Dat00012", "12.dcf", 12, "MOD_Dat00012");
    EXPECT_EQ(m_dlg->m_nStorageLocation, 5);
    EXPECT_EQ(m_services.PromptCount(), 0u);
}

TEST_F(LinkMakerTest, TheEntryKindCanDifferUntilTheLinkKindIsClickedAgain)
{
    Click(IDC_ENTRY_KIND_MOD);
    ExpectKinds(0, 1);
    EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), "MOD_Dat00001");
    // The link side is untouched, the search window's rename name included.
    EXPECT_EQ(m_dlg->m_szLinkPrefix, "MRV_Dat");
    EXPECT_EQ(Shown(IDC_LINK_FILE_NAME), "MRV_Dat00001");
    EXPECT_EQ(Search().m_szAutoName, "01.zqm");

    Click(IDC_LINK_KIND_MRV);
    ExpectKinds(0, 0);
    ExpectNames("MRV_Dat00001", "1.zqm", 1, "MRV_Dat00001");
}

// ---- "만들기" ----------------------------------------------------------------------

TEST_F(LinkMakerTest, MakesAnMrvLinkAfterShowingItsPath)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_LINK_TITLE, "봄날");
    Enter(IDC_LINK_NUMBER, "1");
    Click(IDC_MAKE_LINK);

    ASSERT_EQ(m_services.MessageBoxes().size(), 1u);
    const auto box = m_services.MessageBoxes()[0];
    EXPECT_EQ(box.TextUtf8(), (m_dir / "MRV_Dat00001").string());
    EXPECT_EQ(box.CaptionUtf8(), kCaption);
    EXPECT_EQ(box.type, MsgBox::Ok);
    EXPECT_EQ(box.owner, m_dlg.get());

    const Bytes expected = Join({{0x70, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00},
                                 {0xBA, 0xBD, 0xB3, 0xAF}, Zeros(48),
                                 kInternalMemory, Zeros(28), Ascii("file://mod/1.zqm")});
    ASSERT_EQ(expected.size(), 112u);
    EXPECT_EQ(ReadBytes(m_dir / "MRV_Dat00001"), expected);
    // Nothing about the window changed.
    ExpectNames("MRV_Dat00001", "1.zqm", 1, "MRV_Dat00001");
    EXPECT_EQ(m_dlg->m_strSaveFolder, m_dir);

    // Again with the same number: replaced without a question, the path shown again.
    Enter(IDC_LINK_TITLE, "b");
    Click(IDC_MAKE_LINK);
    EXPECT_THAT(MessageTexts(), ElementsAre(box.TextUtf8(), box.TextUtf8()));
    EXPECT_EQ(ReadBytes(m_dir / "MRV_Dat00001"),
              Join({{0x70, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00}, Ascii("b"), Zeros(51), kInternalMemory,
                    Zeros(28), Ascii("file://mod/1.zqm")}));
    EXPECT_THAT(Listing(m_dir), ElementsAre("MRV_Dat00001"));
}

// A form that does not read makes no link file (and shows no path): its one
// message has told the user what is wrong.
TEST_F(LinkMakerTest, AFormThatDoesNotReadMakesNoFile)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_FILE_SIZE, "");
    Click(IDC_MAKE_LINK);
    EXPECT_THAT(MessageTexts(), ElementsAre("정수를 입력하십시오."));
    EXPECT_THAT(Listing(m_dir), ElementsAre());
}

TEST_F(LinkMakerTest, MakesTheModLinkOfTheWorkedExample)
{
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_LINK_KIND_MOD);
    ChooseLocation(5);
    Enter(IDC_LINK_TITLE, "abc");
    Enter(IDC_LINK_NUMBER, "3");
    Click(IDC_MAKE_LINK);

    EXPECT_THAT(MessageTexts(), ElementsAre((m_dir / "MOD_Dat00003").string()));
    const Bytes expected = Join({{0x75, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00},
                                 Ascii("abc"), Zeros(49),
                                 kMemoryCard, Zeros(28), Ascii("file://mmc1/MP3/3.dcf")});
    ASSERT_EQ(expected.size(), 117u);
    EXPECT_EQ(ReadBytes(m_dir / "MOD_Dat00003"), expected);
}

TEST_F(LinkMakerTest, TheLongestAndShortestFilesAndAnMrvLinkAfterAMemoryCardChoice)
{
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_LINK_KIND_MOD);
    ChooseLocation(4);
    Click(IDC_LINK_KIND_MRV);
    Enter(IDC_LINK_TITLE, "");
    Enter(IDC_LINK_NUMBER, "0");
    Click(IDC_MAKE_LINK);
    // The location block follows the location even for MRV; the path does not.
    EXPECT_EQ(ReadBytes(m_dir / "MRV_Dat00000"),
              Join({{0x70, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00}, Zeros(52), kMemoryCard, Zeros(28),
                    Ascii("file://mod/0.zqm")}));

    Click(IDC_LINK_KIND_MOD);
    ChooseLocation(5);
    Enter(IDC_LINK_TITLE, "12345678901234567890123456789012345678901234567890");  // 50 bytes
    Enter(IDC_LINK_NUMBER, "99999");
    Click(IDC_MAKE_LINK);
    EXPECT_EQ(ReadBytes(m_dir / "MOD_Dat99999"),
              Join({{0x79, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00},
                    Ascii("12345678901234567890123456789012345678901234567890"), Zeros(2), kMemoryCard, Zeros(28),
                    Ascii("file://mmc1/MP3/99999.dcf")}));

    ChooseLocation(2);
    Enter(IDC_LINK_TITLE, "x");
    Enter(IDC_LINK_NUMBER, "7");
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "7.dcf");
    Click(IDC_MAKE_LINK);
    EXPECT_EQ(ReadBytes(m_dir / "MOD_Dat00007"),
              Join({{0x70, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00}, Ascii("x"), Zeros(51), kInternalMemory,
                    Zeros(28), Ascii("file://mod/7.dcf")}));
    EXPECT_EQ(m_services.MessageBoxes().size(), 3u);
}

TEST_F(LinkMakerTest, WithoutASaveFolderTheChooserPicksAFolderForThisFileOnly)
{
    const fs::path picked = m_dir / "picked";
    fs::create_directory(picked);
    EmptySaveFolder();
    m_services.CancelBrowse().AnswerBrowse(picked);
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_MAKE_LINK);

    ASSERT_EQ(m_services.Browses().size(), 1u);
    const auto& browse = m_services.Browses()[0];
    EXPECT_EQ(browse.PromptUtf8(), kPrompt);
    EXPECT_EQ(browse.owner, m_dlg.get());
    EXPECT_FALSE(browse.root.has_value());
    EXPECT_THAT(browse.selectionsSet, ElementsAre(fs::path()));  // the empty text, given
    EXPECT_THAT(MessageTexts(), ElementsAre(kCancelled));
    EXPECT_EQ(m_services.MessageBoxes()[0].CaptionUtf8(), kCaption);
    EXPECT_EQ(m_services.MessageBoxes()[0].type, MsgBox::Ok);
    EXPECT_THAT(Listing(m_dir), ElementsAre("picked"));
    EXPECT_TRUE(Listing(picked).empty());
    EXPECT_TRUE(m_dlg->m_strSaveFolder.empty());

    m_services.ClearRecords();
    Click(IDC_MAKE_LINK);
    EXPECT_THAT(MessageTexts(), ElementsAre((picked / "MRV_Dat00001").string()));
    // The title the window starts with, "노래제목입력".
    EXPECT_EQ(ReadBytes(picked / "MRV_Dat00001"),
              Join({{0x70, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00},
                    {0xB3, 0xEB, 0xB7, 0xA1, 0xC1, 0xA6, 0xB8, 0xF1, 0xC0, 0xD4, 0xB7, 0xC2}, Zeros(40),
                    kInternalMemory, Zeros(28), Ascii("file://mod/1.zqm")}));
    EXPECT_TRUE(m_dlg->m_strSaveFolder.empty());
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), "");
}

TEST_F(LinkMakerTest, AFolderThatCannotTakeTheFileIsReportedAfterThePath)
{
    m_services.AcceptUnscriptedOkBoxes();
    // A save folder that is a regular file, and one that is gone: neither can
    // take a file, whoever runs the test.
    const fs::path plain = WriteFile("plain", {1, 2, 3});
    for (const fs::path& folder : {plain / "", m_dir / "gone" / ""}) {
        m_services.ClearRecords();
        m_dlg->m_strSaveFolder = folder;
        m_dlg->UpdateData(false);
        Click(IDC_MAKE_LINK);

        ASSERT_EQ(MessageTexts().size(), 2u) << folder;
        EXPECT_EQ(MessageTexts()[0], (folder / "MRV_Dat00001").string());
        EXPECT_THAT(MessageTexts()[1], StartsWith(kNotWritten));
        EXPECT_EQ(m_services.MessageBoxes()[1].CaptionUtf8(), kCaption);
    }
    EXPECT_EQ(ReadBytes(plain), (Bytes{1, 2, 3}));
    EXPECT_THAT(Listing(m_dir), ElementsAre("plain"));
}

TEST_F(LinkMakerTest, AFailedWriteLeavesTheEarlierFileWhole)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows folders have no write permission bits";
#else
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
#endif
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_LINK_TITLE, "old");
    Click(IDC_MAKE_LINK);
    const Bytes before = ReadBytes(m_dir / "MRV_Dat00001");
    ASSERT_EQ(before.size(), 112u);

    fs::permissions(m_dir, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Enter(IDC_LINK_TITLE, "new");
    Click(IDC_MAKE_LINK);
    fs::permissions(m_dir, fs::perms::owner_write, fs::perm_options::add);

    ASSERT_EQ(MessageTexts().size(), 3u);
    EXPECT_THAT(MessageTexts()[2], StartsWith(kNotWritten));
    EXPECT_EQ(ReadBytes(m_dir / "MRV_Dat00001"), before);
    EXPECT_THAT(Listing(m_dir), ElementsAre("MRV_Dat00001"));
}

// ---- "폴더변경" ----------------------------------------------------------------------

TEST_F(LinkMakerTest, ChangingTheFolderStartsAtTheSaveFolderAndAddsOneSeparator)
{
    const fs::path music = m_dir / "music";
    fs::create_directory(music);
    m_services.AnswerBrowse(music);
    Click(IDC_CHANGE_FOLDER);

    ASSERT_EQ(m_services.Browses().size(), 1u);
    const auto& browse = m_services.Browses()[0];
    EXPECT_EQ(browse.PromptUtf8(), kPrompt);
    EXPECT_EQ(browse.owner, m_dlg.get());
    EXPECT_FALSE(browse.root.has_value());
    EXPECT_THAT(browse.selectionsSet, ElementsAre(m_dir));
    EXPECT_EQ(m_dlg->m_strSaveFolder, music / "");
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), mrv::os::PathText(music / ""));
    EXPECT_EQ(m_services.MessageBoxes().size(), 0u);

    // The next file goes there.
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_MAKE_LINK);
    EXPECT_TRUE(fs::exists(music / "MRV_Dat00001"));
}

TEST_F(LinkMakerTest, ACancelledChangeKeepsTheFolderAndOneEndingInASeparatorIsKeptAsItIs)
{
    m_services.CancelBrowse().AnswerBrowse(fs::path());
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_CHANGE_FOLDER);   // cancelled
    Click(IDC_CHANGE_FOLDER);   // an item without a path
    EXPECT_THAT(MessageTexts(), ElementsAre(kCancelled, kCancelled));
    EXPECT_EQ(m_services.MessageBoxes()[0].type, MsgBox::Ok);
    EXPECT_EQ(m_dlg->m_strSaveFolder, m_dir);
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), m_dir.string());

    const fs::path music = m_dir / "music" / "";
    fs::create_directory(music);
    m_services.AnswerBrowse(music).AnswerBrowse(fs::path("/"));

    Click(IDC_CHANGE_FOLDER);
    EXPECT_EQ(mrv::os::PathText(m_dlg->m_strSaveFolder), mrv::os::PathText(music));
    Click(IDC_CHANGE_FOLDER);
    EXPECT_EQ(mrv::os::PathText(m_dlg->m_strSaveFolder), mrv::os::PathText(fs::path("/")));
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), mrv::os::PathText(fs::path("/")));
}

// ---- The same file as mrvtool's ----------------------------------------------------

#ifdef MRVTOOL_PATH
int RunTool(const std::vector<std::string>& args)
{
    mrv::test::Command command;
    command.program = mrv::os::PathFromUtf8(args.front());
    command.args.assign(args.begin() + 1, args.end());
    return mrv::test::RunProcess(command).status;
}

TEST_F(LinkMakerTest, EveryFileEqualsTheOneMrvtoolMakes)
{
    struct Case {
        int kind;
        int location;
        const char* number;
        const char* title;
    };
    const Case cases[] = {{0, 0, "1", "노래제목입력"}, {0, 4, "0", ""},          {1, 1, "250", "봄날 Spring"},
                          {1, 3, "99999", "가나다"},   {1, 5, "12345", "abc"}, {1, 2, "40", "여름"}};
    const fs::path toolDir = m_dir / "tool";
    fs::create_directory(toolDir);
    m_services.AcceptUnscriptedOkBoxes();
    for (const Case& c : cases) {
        Click(IDC_LINK_KIND_MOD);
        ChooseLocation(c.location);
        Click(c.kind == 1 ? IDC_LINK_KIND_MOD : IDC_LINK_KIND_MRV);
        Enter(IDC_LINK_TITLE, c.title);
        Enter(IDC_LINK_NUMBER, c.number);
        Click(IDC_MAKE_LINK);

        ASSERT_EQ(RunTool({MRVTOOL_PATH, "make-link", mrv::os::PathText(toolDir), "--title", c.title, "--kind",
                           c.kind == 1 ? "mod" : "mrv", "--number", c.number, "--location",
                           std::to_string(c.location)}),
                  0);
        const std::string name = m_dlg->m_strLinkFileName;
        EXPECT_EQ(ReadBytes(m_dir / name), ReadBytes(toolDir / name)) << name;
        EXPECT_FALSE(ReadBytes(m_dir / name).empty()) << name;
    }
}
#endif

} // namespace

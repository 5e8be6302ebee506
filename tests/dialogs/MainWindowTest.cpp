// The main window as it starts, its data exchange as the user meets it, and
// the two small commands.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "res/Resource.h"

#include <gmock/gmock.h>

namespace fs = std::filesystem;
using namespace mrv::platform::testing;
using ::testing::ElementsAre;

namespace {

constexpr const char* kNotAnInteger = "정수를 입력하십시오.";

} // namespace

TEST_F(MakerDlgTest, StartsWithEveryDefault)
{
    CMakerDlg& d = *m_dlg;
    EXPECT_EQ(d.m_strLinkFileName, "MRV_Dat00001");
    EXPECT_EQ(d.m_strEntryLinkName, "MRV_Dat00001");
    EXPECT_EQ(d.m_strTargetName, "1.zqm");
    EXPECT_EQ(Utf8(d.m_strLinkTitle), "노래제목입력");
    EXPECT_EQ(Utf8(d.m_strEntryTitle), "노래제목입력");
    EXPECT_EQ(d.m_nLinkNumber, 1);
    EXPECT_EQ(d.m_nEntryNumber, 1);
    EXPECT_EQ(d.m_nFileSize, 1048576);
    EXPECT_EQ(d.m_nPlayTime, 60);
    EXPECT_EQ(d.m_bNoBackup, 0);
    EXPECT_EQ(d.m_nEntryKind, 0);
    EXPECT_EQ(d.m_nLinkKind, 0);
    EXPECT_EQ(d.m_strSaveFolder, m_dir);
    EXPECT_TRUE(d.m_strRegistryPath.empty());
    EXPECT_EQ(d.m_szLinkPrefix, "MRV_Dat");
    EXPECT_EQ(d.m_szEntryPrefix, "MRV_Dat");
    EXPECT_EQ(d.m_nStorageLocation, 0);
    EXPECT_EQ(d.m_bDcfTarget, 0);
    EXPECT_EQ(d.m_szSampleRateKhz, "44.10");
    EXPECT_EQ(d.m_szAudioKbps, "128.00");
    EXPECT_EQ(d.m_szBitrate, "128.00");
    EXPECT_EQ(Utf8(d.m_szCopyrightHolder), "모토롤라MS400");
    EXPECT_EQ(d.m_szAudioFormat, "HE-AAC (MP4)");

    // The controls show the members.
    EXPECT_EQ(Shown(IDC_LINK_FILE_NAME), "MRV_Dat00001");
    EXPECT_EQ(Shown(IDC_LINK_TITLE), "노래제목입력");
    EXPECT_EQ(Shown(IDC_LINK_NUMBER), "1");
    EXPECT_EQ(Shown(IDC_TARGET_NAME), "1.zqm");
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), m_dir.string());
    EXPECT_EQ(Shown(IDC_REGISTRY_PATH), "");
    EXPECT_EQ(Shown(IDC_ENTRY_TITLE), "노래제목입력");
    EXPECT_EQ(Shown(IDC_ENTRY_LINK_NAME), "MRV_Dat00001");
    EXPECT_EQ(Shown(IDC_FILE_SIZE), "1048576");
    EXPECT_EQ(Shown(IDC_PLAY_TIME), "60");
    EXPECT_EQ(Shown(IDC_ENTRY_NUMBER), "1");
    EXPECT_EQ(Button(IDC_NO_BACKUP).GetCheck(), 0);
    EXPECT_EQ(Button(IDC_ENTRY_KIND_MRV).GetCheck(), 1);
    EXPECT_EQ(Button(IDC_ENTRY_KIND_MOD).GetCheck(), 0);
    EXPECT_EQ(Button(IDC_LINK_KIND_MRV).GetCheck(), 1);
    EXPECT_EQ(Button(IDC_LINK_KIND_MOD).GetCheck(), 0);
    EXPECT_FALSE(Item(IDC_MOD_OPTION).IsWindowEnabled());
    EXPECT_FALSE(Item(IDC_ENTRY_LINK_NAME).IsWindowEnabled());

    // The list: empty, with its two columns, 190 and 186 pixels for 굴림.
    EXPECT_EQ(d.m_listRegistry.GetItemCount(), 0);
    EXPECT_EQ(d.m_listRegistry.GetColumnWidth(0), d.FixedPixels({190, 0}).x);
    EXPECT_EQ(d.m_listRegistry.GetColumnWidth(1), d.FixedPixels({186, 0}).x);

    // The search window exists, hidden, with its first rename name: the
    // change handlers did not run while the start-up wrote the edits.
    EXPECT_TRUE(Search().IsAttached());
    EXPECT_FALSE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_szAutoName, "01.zqm");
    EXPECT_EQ(Search().m_bRefreshActive, 0);
    EXPECT_EQ(m_services.PromptCount(), 0u);
}

TEST_F(MakerDlgTest, FocusStartsOnQuit)
{
    EXPECT_EQ(FocusedControl(*m_dlg), &Item(CommandId::Ok));
}

TEST_F(MakerDlgTest, ControlsStandInTemplateOrderAndKeepTheirCaptions)
{
    EXPECT_EQ(Shown(CommandId::Ok), "끝내기");
    EXPECT_EQ(Shown(IDC_MAKE_LINK), "만들기");
    EXPECT_EQ(Shown(IDC_LOAD_REGISTRY), "레지스트리화일 불러오기");
    EXPECT_EQ(Shown(IDC_ADD_ENTRY), "추가 -->");
    EXPECT_EQ(Shown(IDC_NO_BACKUP), "백업화일 만들지 않기");
    // Tab order follows the template: Quit first, the list after the play time.
    EXPECT_EQ(Item(CommandId::Ok).GetNextControl(), &Item(IDC_LINK_FILE_NAME));
    // A button above another in the template lies above it on the screen.
    EXPECT_LT(ClientRect(Item(IDC_LINK_TITLE)).top, ClientRect(Item(IDC_LINK_NUMBER)).top);
    EXPECT_LT(ClientRect(Item(IDC_ENTRY_TITLE)).bottom, ClientRect(Item(IDC_FILE_SIZE)).top);
}

TEST_F(MakerDlgTest, EnterEndsTheProgramOnlyWhenEveryFieldReads)
{
    Enter(IDC_FILE_SIZE, "12x");
    Item(IDC_FILE_SIZE).SetFocus();
    m_services.AcceptUnscriptedOkBoxes();
    PressEnter(*m_dlg);
    ASSERT_EQ(MessageTexts(), std::vector<std::string>{kNotAnInteger});
    EXPECT_EQ(m_services.MessageBoxes()[0].Icon(), MsgBox::IconExclamation);
    EXPECT_TRUE(m_dlg->IsWindowVisible());
    // The failing edit has the focus with its whole text selected.
    EXPECT_EQ(FocusedControl(*m_dlg), &Item(IDC_FILE_SIZE));
    EXPECT_EQ(EditSelection(Item(IDC_FILE_SIZE)), std::make_pair(0, 3));

    Enter(IDC_FILE_SIZE, "4096");
    PressEnter(*m_dlg);
    EXPECT_EQ(m_services.MessageBoxes().size(), 1u);
    EXPECT_FALSE(m_dlg->IsWindowVisible());
    EXPECT_EQ(m_dlg->m_nFileSize, 4096);
}

TEST_F(MakerDlgTest, ALetterInTheFileSizeStopsEveryLaterRead)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_FILE_SIZE, "1a");
    Enter(IDC_PLAY_TIME, "90");
    Click(IDC_NO_BACKUP);
    m_services.ClearRecords();

    // Each keystroke in the link title reads the controls.
    Type(Item(IDC_LINK_TITLE), "가");
    ASSERT_FALSE(MessageTexts().empty());
    for (const auto& text : MessageTexts()) EXPECT_EQ(text, kNotAnInteger);
    // The read stopped at the file size: play time and check box kept their values.
    EXPECT_EQ(m_dlg->m_nFileSize, 1048576);
    EXPECT_EQ(m_dlg->m_nPlayTime, 60);
    EXPECT_EQ(m_dlg->m_bNoBackup, 0);
    // The steps before it did run, and the write-back restored the last valid number.
    EXPECT_EQ(Utf8(m_dlg->m_strEntryTitle), "노래제목입력가");
    EXPECT_EQ(Shown(IDC_FILE_SIZE), "1048576");
}

TEST_F(MakerDlgTest, IntegerFieldsReadAsTheFrameworkReadsThem)
{
    m_services.AcceptUnscriptedOkBoxes();
    Enter(IDC_PLAY_TIME, " 12 ");
    Enter(IDC_FILE_SIZE, "2147483648");
    ASSERT_TRUE(m_dlg->UpdateData(true));
    EXPECT_EQ(m_dlg->m_nPlayTime, 12);
    EXPECT_EQ(m_dlg->m_nFileSize, 2147483647);
    EXPECT_EQ(m_services.MessageBoxes().size(), 0u);
}

TEST_F(MakerDlgTest, TheLinkTitleCannotGrowBeyondFiftyBytes)
{
    Enter(IDC_LINK_TITLE, "");
    Type(Item(IDC_LINK_TITLE), "가나다라마바사아자차카타파하가나다라마바사아자차카타");  // 26 syllables
    const std::string shown = Shown(IDC_LINK_TITLE);
    EXPECT_EQ(mrv::text::K(shown).size(), 50u);
    EXPECT_EQ(m_dlg->m_strLinkTitle.size(), 50u);
    // The entry title follows the link title, so it stops there too.
    EXPECT_EQ(m_dlg->m_strEntryTitle, m_dlg->m_strLinkTitle);
}

TEST_F(MakerDlgTest, EntryNumberOutOfRangeIsReportedAndTheRadiosAreNotRead)
{
    m_services.AcceptUnscriptedOkBoxes();
    Click(IDC_ENTRY_KIND_MOD);
    m_services.ClearRecords();
    m_dlg->m_nEntryKind = 0;  // a value the read of the radios would replace
    // The edit's change handler does the failing read (and then puts 1 in).
    Item(IDC_ENTRY_NUMBER).SetWindowTextCp949("100000");
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"0와(과) 99999 사이의 정수를 입력하십시오."});
    EXPECT_EQ(m_dlg->m_nEntryKind, 0);
}

TEST_F(MakerDlgTest, TheEntryTitleFollowsEveryChangeOfTheLinkTitle)
{
    Enter(IDC_LINK_TITLE, "봄날");
    EXPECT_EQ(Shown(IDC_ENTRY_TITLE), "봄날");
    // A hand edit of the entry title stays until the link title changes again.
    Enter(IDC_ENTRY_TITLE, "여름");
    EXPECT_EQ(Utf8(m_dlg->m_strEntryTitle), "봄날");  // not read yet: nothing asked
    ASSERT_TRUE(m_dlg->UpdateData(true));
    EXPECT_EQ(Utf8(m_dlg->m_strEntryTitle), "여름");
    EXPECT_EQ(Shown(IDC_LINK_TITLE), "봄날");
    Type(Item(IDC_LINK_TITLE), "!");
    EXPECT_EQ(Shown(IDC_ENTRY_TITLE), "봄날!");
}

TEST_F(MakerDlgTest, ZqmShowsTheSearchWindowWithTheSaveFolder)
{
    Click(IDC_SHOW_SEARCH);
    EXPECT_TRUE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_bRefreshActive, 1);
    EXPECT_EQ(Search().m_strSaveLocation, m_dir);
    EXPECT_EQ(TextUtf8(*Search().GetDlgItem(IDC_SAVE_LOCATION_TEXT)), m_dir.string());
    // Pressed again, it only refreshes the location and the flag.
    Search().m_bRefreshActive = 0;
    Search().m_strSaveLocation = "/elsewhere/";
    Click(IDC_SHOW_SEARCH);
    EXPECT_TRUE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_bRefreshActive, 1);
    EXPECT_EQ(Search().m_strSaveLocation, m_dir);
}

TEST_F(MakerDlgTest, OpenFolderPassesTheSaveFolderWhole)
{
    m_dlg->m_strSaveFolder = m_dir / "my music/";
    m_dlg->UpdateData(false);
    Click(IDC_OPEN_FOLDER);
    ASSERT_EQ(m_services.OpenedFolders().size(), 1u);
    EXPECT_EQ(m_services.OpenedFolders()[0], m_dir / "my music/");
}

TEST(StartSaveFolder, IsTheHomeFolderWhenTheProgramFolderCannotBeWritten)
{
    mrv::testing::ScriptedServices services;
    mrv::testing::ScopedServices installed(services);
    const fs::path home = fs::temp_directory_path() / "mrvmaker-home";
    fs::create_directories(home);
    services.SetProgramFolder("/proc/").SetHomeFolder(home);  // /proc cannot take new files, even for root
    EXPECT_EQ(StartSaveFolder(), home / "");
    services.SetProgramFolder(home / "");
    EXPECT_EQ(StartSaveFolder(), home / "");
#ifndef _WIN32
    // Installed by a package, the program lies in a system folder that root
    // could write into: the user's files go home all the same.
    services.SetProgramFolder("/usr/bin/");
    EXPECT_EQ(StartSaveFolder(), home / "");
#endif
}

TEST_F(MakerDlgTest, TheCheckBoxTogglesOnAClickAnywhereInItsRectangle)
{
    // Right of its caption, where only the platform's hit rule reaches.
    const CRect box = ClientRect(Item(IDC_NO_BACKUP));
    MousePress(*m_dlg, CPoint{box.right - 2, (box.top + box.bottom) / 2});
    EXPECT_EQ(Button(IDC_NO_BACKUP).GetCheck(), 1);
    ASSERT_TRUE(m_dlg->UpdateData(true));
    EXPECT_EQ(m_dlg->m_bNoBackup, 1);
}

// The font that stands in for 굴림 here, and the fixed measures scaled with
// it, show whole what the layout was made to show: the start file size in
// its edit, an MRV path in the list's second column. On Windows the dialog
// makes room for the start values in whatever font it got.
TEST_F(MakerDlgTest, TheStartValuesAndAnMrvPathShowWhole)
{
    namespace t = mrv::platform::testing;
    EXPECT_LE(t::TextWidth(Item(IDC_FILE_SIZE), "1048576"), t::EditTextRoom(Item(IDC_FILE_SIZE)));
    EXPECT_LE(t::TextWidth(Item(IDC_PLAY_TIME), "60"), t::EditTextRoom(Item(IDC_PLAY_TIME)));
    EXPECT_LE(t::TextWidth(Item(IDC_ENTRY_NUMBER), "99999"), t::EditTextRoom(Item(IDC_ENTRY_NUMBER)));
#ifndef _WIN32
    // The rows are drawn with 5 pixels free on each side of a column. (On
    // Windows the columns keep their widths for 굴림, whose Latin letters are
    // narrower than those of the fonts that stand in for it under Wine: there
    // a path shows its end behind an ellipsis.)
    CListCtrl& list = m_dlg->m_listRegistry;
    EXPECT_LE(t::TextWidth(list, "ZQT/MORVANTA/MRV_Dat00001"), list.GetColumnWidth(1) - 10);
    EXPECT_LE(t::TextWidth(list, "ZQT/MOD/MOD_Dat99999"), list.GetColumnWidth(1) - 10);
#endif
}

// Many songs at once from the window: the system menu's item, the rows of a
// folder's songs with what each becomes, a title changed in its popup, the
// first number, and "추가" making everything or nothing, driven as a user
// would on the real toolkit.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/ImportDlg.h"
#include "registry/RegistryFile.h"
#include "res/Resource.h"
#include "tests/dialogs/ModalWait.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>

namespace {

namespace t = mrv::platform::testing;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using mrv::testing::Waiting;
using mrv::testing::WhenUp;

class ImportDialogTest : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        m_reg = m_dir / "modreg.dat";
        WriteFile("modreg.dat", Bytes(8, 0));
        // The save folder is the program's folder, where the songs were copied.
        WriteFile("a.zqm", Bytes(16000, 0xA1));
        WriteFile("b.zqm", Bytes(24000, 0xB2));
        WriteFile("notes.txt", Bytes(3, 0x33));
        m_services.AcceptUnscriptedOkBoxes();
    }
    void InImportDialog(std::function<void(CImportDlg&)> act)
    {
        auto waiting = std::make_shared<Waiting>();
        WhenUp(IDD_IMPORT_SONGS, [act](CDialog& d) { act(static_cast<CImportDlg&>(d)); }, waiting);
        m_dlg->DispatchSysCommand(IDM_IMPORT_SONGS, 0);
        t::ProcessEvents();
        waiting->over = true;
        EXPECT_TRUE(waiting->done) << "the dialog of many songs did not come up";
    }
    std::vector<std::string> Row(CListCtrl& list, int row)
    {
        std::vector<std::string> cells;
        for (int column = 0; column < 7; ++column) cells.push_back(Utf8(list.GetItemText(row, column)));
        return cells;
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const auto& box : m_services.MessageBoxes()) texts.push_back(box.TextUtf8());
        return texts;
    }
    fs::path m_reg;
};

} // namespace

TEST_F(ImportDialogTest, WithoutARegistryTheItemSaysSoAndOpensNothing)
{
    auto waiting = std::make_shared<Waiting>();
    WhenUp(IDD_IMPORT_SONGS, [](CDialog&) {}, waiting, 20);
    m_dlg->DispatchSysCommand(IDM_IMPORT_SONGS, 0);
    t::ProcessEvents(150);
    waiting->over = true;
    EXPECT_FALSE(waiting->done);
    EXPECT_EQ(Texts(), std::vector<std::string>{"먼저 modreg.dat 화일을 먼져 여세요...."});
}

TEST_F(ImportDialogTest, TheRowsShowWhatEachSongBecomesAndAddMakesThemAll)
{
    LoadRegistry(m_reg);
    Enter(IDC_LINK_NUMBER, "5");
    m_services.AnswerMessageBox(CommandId::Yes);
    std::vector<std::vector<std::string>> before, after;
    InImportDialog([&](CImportDlg& dlg) {
        CListCtrl& list = dlg.m_listSongs;
        for (int row = 0; row < list.GetItemCount(); ++row) before.push_back(Row(list, row));
        if (const char* shots = std::getenv("MRV_SCREENSHOTS")) t::SavePng(dlg, std::string(shots) + "/import-dialog.png");
        t::Click(*dlg.GetDlgItem(IDC_IMPORT_ADD));
        for (int row = 0; row < list.GetItemCount(); ++row) after.push_back(Row(list, row));
    });
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before[0], (std::vector<std::string>{"a", "5", "MRV_Dat00005", "5.zqm", "16000", "1초", ""}));
    EXPECT_EQ(before[1], (std::vector<std::string>{"b", "6", "MRV_Dat00006", "6.zqm", "24000", "2초", ""}));
    ASSERT_FALSE(Texts().empty());
    EXPECT_EQ(Texts()[0].rfind("2곡을 추가하시겠습니까?", 0), 0u) << Texts()[0];
    EXPECT_EQ(Texts().back(), "2곡을 추가했습니다.");

    EXPECT_EQ(ReadBytes(m_dir / "5.zqm"), Bytes(16000, 0xA1));
    EXPECT_EQ(ReadBytes(m_dir / "6.zqm"), Bytes(24000, 0xB2));
    EXPECT_TRUE(fs::exists(m_dir / "MRV_Dat00005"));
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"a", "ZQT/MORVANTA/MRV_Dat00005"},
                                                                        {"b", "ZQT/MORVANTA/MRV_Dat00006"}}));
    // Afterwards the folder's songs are shown again: the copies made are linked
    // already, and the registry has the others' titles now.
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0][6], "이미 MRV_Dat00005 이(가) 가리키는 음원 화일입니다");
    EXPECT_EQ(after[2][6], "레지스트리에 같은 곡명이 있습니다");
}

TEST_F(ImportDialogTest, ATitleChangedInItsPopupAndTheFirstNumberDecideTheRows)
{
    LoadRegistry(m_reg);
    // A song the registry has already: its title must change before it can come in.
    mrv::registry::EntryFields taken;
    taken.linkName = "MRV_Dat00099";
    taken.title = "a";
    taken.audio = mrv::registry::DefaultAudioInfo();
    ASSERT_TRUE(mrv::registry::Append(m_reg, taken, std::nullopt).ok());
    std::vector<std::string> refused, renamed;
    std::vector<std::string> numbered;
    InImportDialog([&](CImportDlg& dlg) {
        CListCtrl& list = dlg.m_listSongs;
        refused = Row(list, 0);
        auto popup = std::make_shared<Waiting>();
        WhenUp(IDD_RENAME_EDIT, [](CDialog& edit) {
            t::ReplaceTextUtf8(*edit.GetDlgItem(IDC_RENAME_EDIT), "새 노래");
            t::PressEnter(edit);
        }, popup);
        t::RightClickListRow(list, 0);
        popup->over = true;
        EXPECT_TRUE(popup->done) << "no title popup";
        renamed = Row(list, 0);
        t::ReplaceTextUtf8(*dlg.GetDlgItem(IDC_IMPORT_FIRST), "40");
        numbered = Row(list, 1);
    });
    EXPECT_EQ(refused[1], "");
    EXPECT_EQ(refused[6], "레지스트리에 같은 곡명이 있습니다");
    EXPECT_EQ(renamed[0], "새 노래");
    EXPECT_EQ(renamed[1], "1");
    EXPECT_EQ(renamed[6], "");
    EXPECT_EQ(numbered[1], "41");
    EXPECT_EQ(numbered[2], "MRV_Dat00041");
}

TEST_F(ImportDialogTest, AFailedImportSaysWhichFileAndLeavesNothing)
{
    LoadRegistry(m_reg);
    m_services.AnswerMessageBox(CommandId::Yes);
    const Bytes before = ReadBytes(m_reg);
    InImportDialog([&](CImportDlg& dlg) {
        // Another program takes the second song's name while the dialog is up.
        WriteFile("2.zqm", Bytes(5, 0x55));
        t::Click(*dlg.GetDlgItem(IDC_IMPORT_ADD));
    });
    ASSERT_GE(Texts().size(), 2u);
    EXPECT_NE(Texts()[1].find("2.zqm"), std::string::npos) << Texts()[1];
    EXPECT_EQ(ReadBytes(m_reg), before);
    EXPECT_FALSE(fs::exists(m_dir / "1.zqm"));
    EXPECT_FALSE(fs::exists(m_dir / "MRV_Dat00001"));
    EXPECT_EQ(ReadBytes(m_dir / "2.zqm"), Bytes(5, 0x55));
}

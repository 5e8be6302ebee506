// Going back to a backup from the window: the system menu's item, the list
// of backups, restoring one after its question, tidying old ones, driven as
// a user would on the real toolkit.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/RestoreDlg.h"
#include "registry/RegistryFile.h"
#include "res/Resource.h"
#include "tests/dialogs/ModalWait.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>

namespace {

namespace t = mrv::platform::testing;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A registry of entries with these titles, written by the format's own append.
Bytes RegistryOf(const std::vector<std::string>& titles, const fs::path& scratch)
{
    const fs::path file = scratch / "build.dat";
    { std::ofstream(file, std::ios::binary).write("\0\0\0\0\0\0\0\0", 8); }
    int n = 1;
    for (const auto& title : titles) {
        mrv::registry::EntryFields f;
        f.linkName = "MRV_Dat0000" + std::to_string(n++);
        f.title = title;
        f.audio = mrv::registry::DefaultAudioInfo();
        EXPECT_TRUE(mrv::registry::Append(file, f, std::nullopt).ok());
    }
    Bytes bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    fs::remove(file);   // closed first: Windows removes no open file
    return bytes;
}

using mrv::testing::Waiting;
using mrv::testing::WhenUp;

class RestoreDialogTest : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        m_reg = m_dir / "modreg.dat";
        m_now = RegistryOf({"a", "b", "c"}, m_dir);
        m_earlier = RegistryOf({"a"}, m_dir);
        WriteFile("modreg.dat", m_now);
        Backup("modreg.dat_2026_14_9_5_1", m_earlier, 20);
        Backup("modreg.dat_2026_14_9_6_1", RegistryOf({"a", "b"}, m_dir), 10);
        m_services.AcceptUnscriptedOkBoxes();
    }
    void Backup(const std::string& name, const Bytes& bytes, int minutesAgo)
    {
        WriteFile(name, bytes);
        fs::last_write_time(m_dir / name, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
    }
    // Opens the restore dialog from the system menu's command and acts in it.
    void InRestoreDialog(std::function<void(CRestoreDlg&)> act)
    {
        auto waiting = std::make_shared<Waiting>();
        WhenUp(IDD_RESTORE_BACKUP, [act](CDialog& d) { act(static_cast<CRestoreDlg&>(d)); }, waiting);
        m_dlg->DispatchSysCommand(IDM_RESTORE_BACKUP, 0);
        t::ProcessEvents();
        waiting->over = true;
        EXPECT_TRUE(waiting->done) << "the restore dialog did not come up";
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const auto& box : m_services.MessageBoxes()) texts.push_back(box.TextUtf8());
        return texts;
    }
    std::vector<std::string> Backups()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            if (e.path().filename().string().rfind("modreg.dat_", 0) == 0) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_reg;
    Bytes m_now, m_earlier;
};

} // namespace

TEST_F(RestoreDialogTest, WithoutARegistryTheItemSaysSoAndOpensNothing)
{
    auto waiting = std::make_shared<Waiting>();
    WhenUp(IDD_RESTORE_BACKUP, [](CDialog&) {}, waiting, 20);
    m_dlg->DispatchSysCommand(IDM_RESTORE_BACKUP, 0);
    t::ProcessEvents(150);
    waiting->over = true;
    EXPECT_FALSE(waiting->done);
    EXPECT_EQ(Texts(), std::vector<std::string>{"먼저 modreg.dat 화일을 먼져 여세요...."});
}

TEST_F(RestoreDialogTest, TheChosenBackupComesBackAndTheMainListShowsIt)
{
    LoadRegistry(m_reg);
    ASSERT_EQ(Rows().size(), 3u);
    m_services.AnswerMessageBox(CommandId::Yes);
    std::vector<std::pair<std::string, std::string>> shown;
    InRestoreDialog([&](CRestoreDlg& dlg) {
        CListCtrl& list = dlg.m_listBackups;
        for (int row = 0; row < list.GetItemCount(); ++row) shown.emplace_back(Utf8(list.GetItemText(row, 0)), Utf8(list.GetItemText(row, 1)));
        t::ClickListRow(list, 1);   // the older one
        EXPECT_EQ(t::TextUtf8(*dlg.GetDlgItem(IDC_BACKUP_CHOSEN)), "modreg.dat_2026_14_9_5_1");
        // The README's picture, where one is asked for.
        if (const char* shots = std::getenv("MRV_SCREENSHOTS")) t::SavePng(dlg, std::string(shots) + "/restore-dialog.png");
        t::Click(*dlg.GetDlgItem(IDC_RESTORE));
    });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].second, "항목 2개, " + std::to_string(RegistryOf({"a", "b"}, m_dir).size()) + "바이트");
    EXPECT_EQ(shown[1].second, "항목 1개, " + std::to_string(m_earlier.size()) + "바이트");
    EXPECT_EQ(shown[0].first.size(), std::string("2026-12-09 09:05:01").size());
    ASSERT_FALSE(Texts().empty());
    EXPECT_NE(Texts()[0].find("'modreg.dat_2026_14_9_5_1' ("), std::string::npos) << Texts()[0];
    EXPECT_NE(Texts()[0].find("항목 1개) 으로 레지스트리화일을 되살리시겠습니까?"), std::string::npos) << Texts()[0];

    EXPECT_EQ(ReadBytes(m_reg), m_earlier);
    EXPECT_EQ(ReadBytes(m_dir / "modreg.dat_2026_14_9_5_1"), m_earlier) << "the backup stays as it was";
    EXPECT_EQ(Rows(), (std::vector<std::pair<std::string, std::string>>{{"a", "ZQT/MORVANTA/MRV_Dat00001"}}));
    EXPECT_EQ(Backups().size(), 3u) << "the registry as it was is backed up first";
}

TEST_F(RestoreDialogTest, NoKeepsEverythingAndABackupThatCannotComeBackIsExplained)
{
    WriteFile("modreg.dat_2026_14_9_7_1", {1, 2, 3});   // damaged, and the newest
    LoadRegistry(m_reg);
    m_services.AnswerMessageBox(CommandId::Ok).AnswerMessageBox(CommandId::No);
    InRestoreDialog([&](CRestoreDlg& dlg) {
        EXPECT_NE(Utf8(dlg.m_listBackups.GetItemText(0, 1)).find("되살릴 수 없음: "), std::string::npos);
        t::ClickListRow(dlg.m_listBackups, 0);
        t::Click(*dlg.GetDlgItem(IDC_RESTORE));
        t::ClickListRow(dlg.m_listBackups, 1);
        t::Click(*dlg.GetDlgItem(IDC_RESTORE));   // answered No
    });
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[0].rfind("이 백업은 되살릴 수 없습니다: ", 0), 0u) << Texts()[0];
    EXPECT_EQ(ReadBytes(m_reg), m_now);
    EXPECT_EQ(Backups().size(), 3u);
}

TEST_F(RestoreDialogTest, TidyingKeepsTheNewestTheUserAsksFor)
{
    LoadRegistry(m_reg);
    m_services.AnswerMessageBox(CommandId::Yes);
    int rowsAfter = -1;
    InRestoreDialog([&](CRestoreDlg& dlg) {
        auto tidyUp = std::make_shared<Waiting>();
        WhenUp(IDD_TIDY_BACKUPS, [](CDialog& tidy) {
            t::ReplaceTextUtf8(*tidy.GetDlgItem(IDC_KEEP_COUNT), "1");
            t::PressEnter(tidy);
        }, tidyUp);
        t::Click(*dlg.GetDlgItem(IDC_TIDY));
        tidyUp->over = true;
        EXPECT_TRUE(tidyUp->done);
        rowsAfter = dlg.m_listBackups.GetItemCount();
    });
    EXPECT_EQ(rowsAfter, 1);
    EXPECT_EQ(Backups(), std::vector<std::string>{"modreg.dat_2026_14_9_6_1"});
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[0], "백업화일 1개(" + std::to_string(m_earlier.size()) + "바이트)를 지우고 가장 새로운 1개를 남기시겠습니까?");
    EXPECT_EQ(ReadBytes(m_reg), m_now);
}

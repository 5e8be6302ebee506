// Every text of the program's own fits its control in whatever Korean font
// Windows gives the dialogs for 굴림, at whatever DPI: each window is opened as
// a user opens it and each of its texts is measured in its control's font.
// scripts/windows-test.sh runs these under several stand-in fonts and DPIs
// (MRV_FIT_FONT, MRV_FIT_DPI say which the run was set up for; MRV_FIT_SHOTS
// names a folder for a picture of each window).
#ifdef _WIN32

#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "platform/win32/TestingFit.h"
#include "res/Resource.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>

namespace t = mrv::platform::testing;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

class WindowsFit : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        // The run is the one it was set up to be: a mapping that did not take
        // would test the default font again and pass.
        const std::string face = t::DialogFontFace(*m_dlg);
        const int dpi = t::DialogDpi(*m_dlg);
        const CSize screen = t::ScreenSize();
        std::cout << "[ fit      ] 굴림 drawn in \"" << face << "\" at " << dpi << " DPI on " << screen.cx << "x" << screen.cy << "\n";
        if (!Env("MRV_FIT_FONT").empty()) {
            ASSERT_EQ(face, Env("MRV_FIT_FONT"));
        }
        if (!Env("MRV_FIT_DPI").empty()) {
            ASSERT_EQ(dpi, std::atoi(Env("MRV_FIT_DPI").c_str()));
        }
    }

    void ExpectFits(CDialog& dialog, const std::string& name)
    {
        const std::vector<std::string> misfits = t::TextsThatDoNotFit(dialog);
        EXPECT_TRUE(misfits.empty()) << name << " in " << t::DialogFontFace(dialog) << " at " << t::DialogDpi(dialog)
                                     << " DPI:\n" << Lines(misfits);
        EXPECT_EQ(t::OutsideWorkArea(dialog), "") << name;
        if (const std::string shots = Env("MRV_FIT_SHOTS"); !shots.empty()) {
            EXPECT_TRUE(t::SavePng(dialog, shots + "/" + name + ".png")) << name;
        }
    }

    // Opens a modal dialog with the action, checks it and cancels it; one that
    // never came up fails the test.
    void ExpectModalFits(const std::function<void()>& open, const std::string& name)
    {
        bool seen = false;
        t::RunAfter(50, [&] {
            if (CDialog* modal = t::ActiveModalDialog()) {
                seen = true;
                ExpectFits(*modal, name);
                modal->EndDialog(CommandId::Cancel);
            }
        });
        open();
        t::ProcessEvents(20);
        EXPECT_TRUE(seen) << name << " did not open";
        if (CDialog* left = t::ActiveModalDialog()) left->EndDialog(CommandId::Cancel);
    }
};

} // namespace

TEST_F(WindowsFit, MainWindow)
{
    ExpectFits(*m_dlg, "main");
}

TEST_F(WindowsFit, SearchWindow)
{
    Click(IDC_SHOW_SEARCH);
    ASSERT_TRUE(Search().IsWindowVisible());
    ExpectFits(Search(), "search");
}

TEST_F(WindowsFit, RenamePopup)
{
    const auto saved = m_dir / "saved/";
    std::filesystem::create_directories(saved);
    std::ofstream(saved / "12.zqm") << "zqm";
    m_dlg->m_strSaveFolder = saved;
    m_dlg->UpdateData(false);
    Click(IDC_SHOW_SEARCH);
    Search().OnTimer(20);  // the save folder's scan
    ASSERT_EQ(Search().m_listSaved.GetItemCount(), 1);
    ExpectModalFits([this] { t::RightClickListRow(Search().m_listSaved, 0); }, "rename");
}

TEST_F(WindowsFit, ModOptionDialog)
{
    Click(IDC_LINK_KIND_MOD);
    ASSERT_TRUE(Item(IDC_MOD_OPTION).IsWindowEnabled());
    ExpectModalFits([&] { Click(IDC_MOD_OPTION); }, "mod-option");
}

TEST_F(WindowsFit, AudioInformationDialog)
{
    ExpectModalFits([&] { Click(IDC_EXTRA_INFO); }, "extra-info");
}

TEST_F(WindowsFit, AboutBox)
{
    ExpectModalFits([&] { m_dlg->DispatchSysCommand(IDM_ABOUTBOX, 0); }, "about");
}

// The dialogs of the system menu's other items, over a registry with a backup
// and a save folder with a song.
TEST_F(WindowsFit, RestoreAndManySongsDialogs)
{
    WriteFile("modreg.dat", std::vector<std::uint8_t>(8, 0));
    WriteFile("modreg.dat_2026_14_9_5_1", std::vector<std::uint8_t>(8, 0));
    WriteFile("1.zqm", std::vector<std::uint8_t>(1000, 1));
    LoadRegistry(m_dir / "modreg.dat");
    ExpectModalFits([&] { m_dlg->DispatchSysCommand(IDM_RESTORE_BACKUP, 0); }, "restore");
    ExpectModalFits([&] { m_dlg->DispatchSysCommand(IDM_IMPORT_SONGS, 0); }, "import");
    // The tidying question opens from the restore dialog.
    bool seen = false;
    t::RunAfter(50, [&] {
        if (CDialog* restore = t::ActiveModalDialog()) {
            t::RunAfter(50, [&] {
                if (CDialog* tidy = t::ActiveModalDialog(); tidy && tidy != restore) {
                    seen = true;
                    ExpectFits(*tidy, "tidy");
                    tidy->EndDialog(CommandId::Cancel);
                }
            });
            t::Click(*restore->GetDlgItem(IDC_TIDY));
            restore->EndDialog(CommandId::Cancel);
        }
    });
    m_dlg->DispatchSysCommand(IDM_RESTORE_BACKUP, 0);
    t::ProcessEvents(20);
    EXPECT_TRUE(seen) << "the tidying question did not open";
}

#endif

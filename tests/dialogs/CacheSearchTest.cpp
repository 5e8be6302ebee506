// The ZQM search window on real folders: the two lists following the cache
// and save folders, the close paths, and the commands on the files. Scans run
// by calling the timer handler; the window's own timers are stopped so that no
// tick comes at a moment the test does not choose, except where the ticks
// themselves are under test.
#include "tests/dialogs/MakerDlgFixture.h"

#include "dialogs/CacheSearchDlg.h"
#include "res/Resource.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
namespace t = mrv::platform::testing;

namespace {

constexpr unsigned kCacheTick = 10;
constexpr unsigned kSaveTick = 20;

class CacheSearchTest : public MakerDlgTest {
protected:
    void SetUp() override
    {
        MakerDlgTest::SetUp();
        m_cache = m_dir / "tmp" / "";
        m_saved = m_dir / "saved/";
        fs::create_directories(m_cache);
        fs::create_directories(m_saved);
        Search().KillTimer(kCacheTick);
        Search().KillTimer(kSaveTick);
        // "ZQM" with the save folder set to its own folder.
        m_dlg->m_strSaveFolder = m_saved;
        m_dlg->UpdateData(false);
        Click(IDC_SHOW_SEARCH);
    }

    static void Put(const fs::path& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string Content(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<std::string> Names(const ListRows& rows)
    {
        std::vector<std::string> names;
        for (int i = 0; i < rows.RowCount(); ++i) names.push_back(rows.RowName(i));
        return names;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::string> FilesIn(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(mrv::os::PathText(entry.path().filename()));
        return Sorted(names);
    }
    std::vector<std::string> CacheNames() { return Names(Search().CacheRows()); }
    std::vector<std::string> SavedNames() { return Names(Search().SavedRows()); }
    void Tick()
    {
        Search().OnTimer(kCacheTick);
        Search().OnTimer(kSaveTick);
    }
    CWnd& SearchItem(int id)
    {
        CWnd* item = Search().GetDlgItem(id);
        if (!item) {
            ADD_FAILURE() << "no control " << id << " in the search window";
            static CWnd none;
            return none;
        }
        return *item;
    }
    // Works the modal popup that the action opens; a popup left open is
    // cancelled after a while so that the fault fails the test instead of hanging it.
    void WithPopup(const std::function<void()>& action, std::function<void(CDialog&)> act)
    {
        auto done = std::make_shared<bool>(false);
        auto acted = std::make_shared<bool>(false);
        std::function<void(int)> poll = [=, &poll](int triesLeft) {
            t::RunAfter(10, [=, &poll] {
                if (*done) return;
                CDialog* popup = t::ActiveModalDialog();
                if (!popup) {
                    if (triesLeft > 0) poll(triesLeft - 1);
                    return;
                }
                *acted = true;
                act(*popup);
            });
        };
        poll(300);
        t::RunAfter(5000, [done] {
            if (*done) return;
            ADD_FAILURE() << "the popup was left open";
            if (CDialog* popup = t::ActiveModalDialog()) popup->EndDialog(CommandId::Cancel);
        });
        action();
        *done = true;
        EXPECT_TRUE(*acted) << "no popup came up";
    }
    // Right-clicks a saved row and types a name into the popup, then Enter.
    void RenameByHand(int row, std::string_view typed)
    {
        WithPopup([&] { t::RightClickListRow(Search().m_listSaved, row); },
                  [typed](CDialog& popup) {
                      t::ReplaceTextUtf8(*popup.GetDlgItem(IDC_RENAME_EDIT), typed);
                      t::PressEnter(popup);
                  });
    }

    fs::path m_cache;   // the cache folder: the services' temporary folder
    fs::path m_saved;
};

// ---- The scan ----------------------------------------------------------------------
// What is listed is the folder scan's own business; here: which tick scans
// which folder, and when ticks scan at all.

TEST_F(CacheSearchTest, EachTimerScansItsOwnFolder)
{
    Put(m_cache / "a.zqm", "12345");
    Put(m_saved / "s.zqm", "1");
    Search().OnTimer(kCacheTick);
    EXPECT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"});
    EXPECT_EQ(Search().m_listCache.GetItemText(0, 1), "5 Bytes");
    EXPECT_TRUE(SavedNames().empty());
    Search().OnTimer(kSaveTick);
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"s.zqm"});

    fs::remove_all(m_saved);
    Search().OnTimer(kSaveTick);
    EXPECT_EQ(Search().m_listSaved.GetItemCount(), 0) << "a missing save folder empties the list";

    Put(m_cache / "b.zqm", "1");
    Search().m_bBusy = 1;
    Tick();
    Search().m_bBusy = 0;
    EXPECT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"}) << "passed over while busy";
}

// Close and the close box stop the scans and freeze the lists; Escape only
// hides the window, which goes on following the folders.
TEST_F(CacheSearchTest, ClosePathsAndTheRefreshFlag)
{
    Put(m_cache / "a.zqm", "1");
    Tick();
    ASSERT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"});

    t::Click(SearchItem(CommandId::Ok));
    EXPECT_FALSE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_bRefreshActive, 0);
    Put(m_cache / "b.zqm", "1");
    Tick();
    EXPECT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"}) << "frozen after Close";

    Click(IDC_SHOW_SEARCH);
    t::ClickCloseBox(Search());
    EXPECT_FALSE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_bRefreshActive, 0);
    Tick();
    EXPECT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"}) << "frozen after the close box";

    Click(IDC_SHOW_SEARCH);
    t::PressEscape(Search());
    EXPECT_FALSE(Search().IsWindowVisible());
    EXPECT_EQ(Search().m_bRefreshActive, 1);
    Tick();
    EXPECT_EQ(Sorted(CacheNames()), (std::vector<std::string>{"a.zqm", "b.zqm"})) << "hidden, still following";

    Search().DestroyWindow();
    EXPECT_EQ(Search().m_bRefreshActive, 0);
}

// The one test that waits for the window's own timers; it waits for what it
// expects instead of assuming a pace.
TEST_F(CacheSearchTest, TheWindowsTimersScanWhileItIsHidden)
{
    Search().SetTimer(kCacheTick, 400);
    t::PressEscape(Search());
    Put(m_cache / "a.zqm", "1");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (CacheNames().empty() && std::chrono::steady_clock::now() < deadline) t::ProcessEvents(50);
    EXPECT_EQ(CacheNames(), std::vector<std::string>{"a.zqm"});
}

// ---- Save location ----------------------------------------------------------------

TEST_F(CacheSearchTest, SaveLocationChoosesAFolderOrSaysCancelled)
{
    const fs::path other = m_dir / "other";
    fs::create_directory(other);
    m_services.AnswerBrowse(other);
    t::Click(SearchItem(IDC_SAVE_LOCATION));
    ASSERT_EQ(m_services.Browses().size(), 1u);
    const auto& browse = m_services.Browses()[0];
    EXPECT_EQ(browse.PromptUtf8(), "ZQM 화일을 저장할 폴더를 선택하세요");
    EXPECT_EQ(browse.owner, &Search());
    EXPECT_FALSE(browse.root.has_value());
    EXPECT_EQ(browse.selectionsSet, std::vector<fs::path>{m_saved}) << "opens on the current location";
    EXPECT_EQ(Search().m_strSaveLocation, m_dir / "other" / "");
    EXPECT_EQ(t::TextUtf8(SearchItem(IDC_SAVE_LOCATION_TEXT)), mrv::os::PathText(m_dir / "other" / ""));
    EXPECT_EQ(m_dlg->m_strSaveFolder, m_saved) << "not copied back to the main window";

    m_services.CancelBrowse();
    m_services.AnswerMessageBox(CommandId::Ok);
    t::Click(SearchItem(IDC_SAVE_LOCATION));
    m_services.AnswerBrowse(fs::path());
    m_services.AnswerMessageBox(CommandId::Ok);
    t::Click(SearchItem(IDC_SAVE_LOCATION));
    ASSERT_EQ(m_services.MessageBoxes().size(), 2u);
    for (const auto& box : m_services.MessageBoxes()) {
        EXPECT_EQ(box.TextUtf8(), "폴더변경 취소");
        EXPECT_EQ(box.CaptionUtf8(), "ZQM Search");
        EXPECT_EQ(box.type, MsgBox::Ok);
    }
    EXPECT_EQ(Search().m_strSaveLocation, m_dir / "other" / "");
}

// ---- Copy -------------------------------------------------------------------------

TEST_F(CacheSearchTest, CopyTakesTheSelectedRowsFromTheHighestDown)
{
    for (char c = 'a'; c <= 'f'; ++c) Put(m_cache / (std::string(1, c) + ".zqm"), std::string(1, c));
    Search().OnTimer(kCacheTick);
    const auto before = CacheNames();
    ASSERT_EQ(before.size(), 6u);
    for (int row : {0, 2, 5}) Search().m_listCache.SetItemState(row, ListItemState::Selected, ListItemState::Selected);

    t::Click(SearchItem(IDC_COPY_TO_SAVE));
    EXPECT_EQ(CacheNames(), (std::vector<std::string>{before[1], before[3], before[4]}));
    const auto copied = Sorted({before[0], before[2], before[5]});
    EXPECT_EQ(Sorted(SavedNames()), copied) << "the saved list shows them at once";
    EXPECT_EQ(FilesIn(m_saved), copied);
    for (const auto& name : copied) EXPECT_EQ(Content(m_saved / name), name.substr(0, 1));
    EXPECT_EQ(Search().m_bBusy, 0);

    // The sources stay, so the next cache scan brings their rows back at the end.
    Search().OnTimer(kCacheTick);
    const auto after = CacheNames();
    ASSERT_EQ(after.size(), 6u);
    EXPECT_EQ(Sorted({after[3], after[4], after[5]}), copied);
}

TEST_F(CacheSearchTest, CopyReplacesAFileOfTheSameNameButNotItself)
{
    Put(m_cache / "a.zqm", "new music");
    Put(m_saved / "a.zqm", "old");
    Search().OnTimer(kCacheTick);
    Search().m_listCache.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    t::Click(SearchItem(IDC_COPY_TO_SAVE));
    EXPECT_EQ(Content(m_saved / "a.zqm"), "new music");
    EXPECT_EQ(FilesIn(m_saved), std::vector<std::string>{"a.zqm"}) << "no temporary file left";

    Search().m_strSaveLocation = m_cache;
    Search().UpdateData(false);
    Search().OnTimer(kCacheTick);
    Search().m_listCache.SetItemState(0, ListItemState::Selected, ListItemState::Selected);
    t::Click(SearchItem(IDC_COPY_TO_SAVE));
    EXPECT_EQ(Content(m_cache / "a.zqm"), "new music");
    EXPECT_EQ(FilesIn(m_cache), std::vector<std::string>{"a.zqm"});
}

TEST_F(CacheSearchTest, CopyTakesAtMost201RowsTheLowestFirst)
{
    for (int i = 0; i < 250; ++i) Put(m_cache / (std::to_string(i) + ".zqm"), "x");
    Search().OnTimer(kCacheTick);
    const auto before = CacheNames();
    ASSERT_EQ(before.size(), 250u);
    for (int row = 0; row < 250; ++row) Search().m_listCache.SetItemState(row, ListItemState::Selected, ListItemState::Selected);

    t::Click(SearchItem(IDC_COPY_TO_SAVE));
    EXPECT_EQ(FilesIn(m_saved), Sorted({before.begin(), before.begin() + 201}));
    EXPECT_EQ(CacheNames(), std::vector<std::string>(before.begin() + 201, before.end()));
    for (int row = 0; row < Search().m_listCache.GetItemCount(); ++row)
        EXPECT_TRUE(Search().m_listCache.GetItemState(row, ListItemState::Selected) & ListItemState::Selected) << row;
}

// ---- Renaming ---------------------------------------------------------------------

TEST_F(CacheSearchTest, DoubleClickRenamesToTheAutomaticNameButNeverReplaces)
{
    Put(m_saved / "x.zqm", "x");
    Search().OnTimer(kSaveTick);
    t::DoubleClickListRow(Search().m_listSaved, 0);
    EXPECT_EQ(FilesIn(m_saved), std::vector<std::string>{"01.zqm"});
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"01.zqm"}) << "the list shows it at once";

    Put(m_saved / "y.zqm", "y");
    Search().OnTimer(kSaveTick);
    ASSERT_EQ(SavedNames(), (std::vector<std::string>{"01.zqm", "y.zqm"}));
    t::DoubleClickListRow(Search().m_listSaved, 1);
    EXPECT_EQ(Content(m_saved / "01.zqm"), "x");
    EXPECT_EQ(Content(m_saved / "y.zqm"), "y");

    // The main window's link number decides the name.
    Enter(IDC_LINK_NUMBER, "7");
    t::DoubleClickListRow(Search().m_listSaved, 1);
    EXPECT_EQ(FilesIn(m_saved), (std::vector<std::string>{"01.zqm", "7.zqm"}));
}

TEST_F(CacheSearchTest, ClicksBelowTheLastSavedRowRenameNothing)
{
    Put(m_saved / "x.zqm", "x");
    Search().OnTimer(kSaveTick);
    t::ClickListRow(Search().m_listSaved, 0);
    t::DoubleClickListRow(Search().m_listSaved, t::kBelowLastRow);
    bool popup = false;
    t::RunAfter(300, [&popup] {
        if (CDialog* open = t::ActiveModalDialog()) {
            popup = true;
            open->EndDialog(CommandId::Cancel);
        }
    });
    t::RightClickListRow(Search().m_listSaved, t::kBelowLastRow);
    t::ProcessEvents(400);
    EXPECT_FALSE(popup) << "a rename popup came up";
    EXPECT_EQ(FilesIn(m_saved), std::vector<std::string>{"x.zqm"});
}

TEST_F(CacheSearchTest, RenamePopupLiesOverTheRow)
{
    for (char c = 'a'; c <= 'd'; ++c) Put(m_saved / (std::string(1, c) + ".zqm"), "");
    Search().OnTimer(kSaveTick);
    for (int row : {0, 3}) {
        // The row's name on the screen, whatever the font and the DPI.
        CRect name;
        ASSERT_TRUE(Search().m_listSaved.GetSubItemRect(row, 0, ListItemRect::Label, name));
        const CPoint topLeft = Search().m_listSaved.ClientToScreen({name.left, name.top});
        WithPopup([&] { t::RightClickListRow(Search().m_listSaved, row); },
                  [&](CDialog& popup) {
                      const CRect at = popup.GetWindowRect();
                      EXPECT_EQ(at.left, topLeft.x);
                      EXPECT_EQ(at.top, topLeft.y);
                      // It covers the row's name and ends before the next row's.
                      EXPECT_GE(at.bottom, topLeft.y + name.Height() - 1);
                      EXPECT_LE(at.bottom, topLeft.y + 2 * name.Height());
                      EXPECT_EQ(t::TextUtf8(*popup.GetDlgItem(IDC_RENAME_EDIT)), SavedNames()[row]);
                      t::PressEscape(popup);
                  });
    }
    EXPECT_EQ(FilesIn(m_saved), (std::vector<std::string>{"a.zqm", "b.zqm", "c.zqm", "d.zqm"}));
}

// While the popup is up, the search window it belongs to takes nothing: not
// its close button, not a double click, not another right click.
TEST_F(CacheSearchTest, TheRenamePopupBlocksTheSearchWindowFromTheMomentItShows)
{
    Put(m_saved / "a.zqm", "a");
    Put(m_saved / "b.zqm", "b");
    Search().OnTimer(kSaveTick);
    int popups = 0;
    WithPopup([&] { t::RightClickListRow(Search().m_listSaved, 0); },
              [&](CDialog& popup) {
                  ++popups;
                  EXPECT_TRUE(t::IsBlockedByModal(Search()));
                  EXPECT_FALSE(t::IsBlockedByModal(*m_dlg)) << "the main window is not its owner";
                  t::Click(SearchItem(CommandId::Ok));
                  t::DoubleClickListRow(Search().m_listSaved, 1);
                  t::RightClickListRow(Search().m_listSaved, 1);
                  t::ProcessEvents(50);
                  EXPECT_EQ(t::ActiveModalDialog(), &popup) << "no second popup";
                  EXPECT_TRUE(Search().IsWindowVisible());
                  EXPECT_EQ(Search().m_bRefreshActive, 1);
                  t::PressEscape(popup);
              });
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(FilesIn(m_saved), (std::vector<std::string>{"a.zqm", "b.zqm"}));
}

// The search window belongs to the main window: no taskbar entry of its own,
// minimised and restored with it; the main window's prompts leave it usable.
TEST_F(CacheSearchTest, TheSearchWindowGoesAndComesWithTheMainWindow)
{
    EXPECT_TRUE(t::IsOwnedPopup(Search()));
    ASSERT_TRUE(t::IsShownOnScreen(Search()));
    t::Minimize(*m_dlg);
    EXPECT_FALSE(t::IsShownOnScreen(Search()));
    t::Restore(*m_dlg);
    EXPECT_TRUE(t::IsShownOnScreen(Search()));
    EXPECT_EQ(Search().m_bRefreshActive, 1) << "it went on scanning";

    // Closed, it stays closed when the main window comes back.
    t::Click(SearchItem(CommandId::Ok));
    t::Minimize(*m_dlg);
    t::Restore(*m_dlg);
    EXPECT_FALSE(Search().IsWindowVisible());
}

// The name is taken as typed, but only as a name of a file of the save folder
// that is not taken yet; anything else changes nothing.
TEST_F(CacheSearchTest, RenameByHandTakesANewNameInTheSaveFolderOnly)
{
    Put(m_saved / "a.zqm", "a");
    Put(m_saved / "b.zqm", "b");
    fs::create_directory(m_saved / "sub");
    Search().OnTimer(kSaveTick);
    const int a = SavedNames()[0] == "a.zqm" ? 0 : 1;
    for (std::string_view name : {"", "b.zqm", "sub/a.zqm", "../a.zqm", "..", "."}) RenameByHand(a, name);
#ifdef _WIN32
    // Windows' other separator, and a drive colon (on NTFS, a hidden stream of a file).
    for (std::string_view name : {"sub\\a.zqm", "c:a.zqm", "a.zqm:hidden"}) RenameByHand(a, name);
#endif
    EXPECT_EQ(FilesIn(m_saved), (std::vector<std::string>{"a.zqm", "b.zqm", "sub"}));
    EXPECT_EQ(Content(m_saved / "b.zqm"), "b");

    RenameByHand(a, "노래 1");
    EXPECT_EQ(FilesIn(m_saved), (std::vector<std::string>{"b.zqm", "sub", "노래 1"})) << "no extension added";
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"b.zqm"}) << "rescanned at once";
}

// ---- Song title and play ---------------------------------------------------------

TEST_F(CacheSearchTest, SongTitleComesFromTheMatchingLinkFile)
{
    const std::string head(8, '\0');
    auto link = [&](const std::string& name, const std::string& titleCp949) {
        Put(m_saved / name, head + titleCp949 + std::string(52 - titleCp949.size(), '\0') + std::string(40, 'z'));
    };
    link("MRV_Dat00012", Cp949("봄날"));
    link("MRV_Dat00007", "seven");
    link("MRV_Dat0007", "not this one");
    link("MRV_Dat00123", "one two three");
    link("MRV_Dat99999", "last");
    link("MOD_Dat00005", "mod only");
    link("MRV_Dat00000", "zero");
    link("MRV_Dat00006", "mrv six");
    link("MOD_Dat00006", "mod six");
    link("MRV_Dat000100000", "documented");
    link("MRV_Dat000song", "by name");
    for (const char* name : {"12.zqm", "7.ZQM", "0123.zqm", "99999.zqm", "100000.zqm", "5.zqm", "00.zqm", "6.zqm",
                             "01.zqm", "song.zqm", "9.zqm"})
        Put(m_saved / name, "");
    Search().OnTimer(kSaveTick);
    auto titleOf = [&](const std::string& name) {
        const auto names = SavedNames();
        const int row = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        t::ClickListRow(Search().m_listSaved, row);
        return t::TextUtf8(SearchItem(IDC_SONG_TITLE));
    };
    // A number names the link files of that number in five digits.
    EXPECT_EQ(titleOf("12.zqm"), "봄날");
    EXPECT_EQ(Utf8(Search().m_strSongTitle), "봄날");
    EXPECT_EQ(titleOf("7.ZQM"), "seven");
    EXPECT_EQ(titleOf("0123.zqm"), "one two three");
    EXPECT_EQ(titleOf("99999.zqm"), "last");
    EXPECT_EQ(titleOf("00.zqm"), "zero");
    EXPECT_EQ(titleOf("5.zqm"), "mod only") << "MOD_Dat when there is no MRV_Dat";
    EXPECT_EQ(titleOf("6.zqm"), "mrv six") << "MRV_Dat first";
    EXPECT_EQ(titleOf("01.zqm"), "") << "no MRV_Dat00001 nor MOD_Dat00001";
    EXPECT_EQ(titleOf("9.zqm"), "");
    // Other names: "MRV_Dat000" and the name without ".zqm", as always.
    EXPECT_EQ(titleOf("100000.zqm"), "documented");
    EXPECT_EQ(titleOf("song.zqm"), "by name");

    // Read only: a link file that cannot be written still shows its title.
    fs::permissions(m_saved / "MRV_Dat00012", fs::perms::owner_read);
    EXPECT_EQ(titleOf("12.zqm"), "봄날");
    // A short file gives what is there.
    Put(m_saved / "MRV_Dat00012", head + "ab");
    EXPECT_EQ(titleOf("12.zqm"), "ab");
}

TEST_F(CacheSearchTest, PlayOpensTheSelectedSavedFile)
{
    Put(m_saved / "a.zqm", "");
    Search().OnTimer(kSaveTick);
    t::Click(SearchItem(IDC_PLAY));
    EXPECT_TRUE(m_services.OpenedFiles().empty()) << "nothing selected";
    t::ClickListRow(Search().m_listSaved, 0);
    t::Click(SearchItem(IDC_PLAY));
    EXPECT_EQ(m_services.OpenedFiles(), std::vector<fs::path>{m_saved / "a.zqm"});
}

} // namespace

// The real services: each Qt prompt answered by a timer as a user would,
// modality, program start, and the folders and names of the host.
#include "platform/Services.h"

#include "text/Cp949.h"
#include "platform/ServicesTesting.h"
#include "platform/Testing.h"
#include "tests/platform/TestTemplates.h"
#include "core/FileSystem.h"
#include "tests/support/Process.h"
#include "tests/support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using mrv::platform::BrowseEvent;
using mrv::platform::BrowseRequest;
using mrv::platform::FolderBrowser;
using mrv::platform::OpenFileRequest;
using mrv::platform::RealServices;
using mrv::text::K;
namespace t = mrv::platform::testing;
namespace ids = test_ids::exchange;

namespace {

// A path from UTF-8 text, never through the system's narrow code page.
fs::path U8(const char* utf8) { return mrv::os::PathFromUtf8(utf8); }

// Long enough for a prompt to come up and run its loop.
constexpr int kAnswerDelayMs = 150;

// A window with a timer that counts its ticks.
class TickingDlg : public CDialog {
public:
    TickingDlg() : CDialog(ids::IDD_EXCHANGE) {}
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap()
    {
        static const MessageMapEntry entries[] = {OnWmTimer(&TickingDlg::OnTimer)};
        static const MessageMap map{CDialog::GetThisMessageMap(), entries};
        return &map;
    }
    void OnTimer(unsigned) { ++ticks; }
    int ticks = 0;
};

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("mrv-services-" + std::to_string(::getpid())) / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ASSERT_TRUE(m_owner.Create(ids::IDD_EXCHANGE));
        m_owner.ShowWindow(ShowCmd::Show);
        t::ProcessEvents();
    }
    void TearDown() override
    {
        m_owner.DestroyWindow();
        t::ProcessEvents();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // A path as the host names it, for comparing with what a prompt shows.
    static std::string Utf8(const fs::path& path) { return mrv::os::PathText(path); }

    fs::path m_dir;
    TickingDlg m_owner;
};

// ---- Message boxes --------------------------------------------------------------------

TEST_F(ServicesTest, MessageBoxShowsTextCaptionButtonsAndIconAndGivesTheClickedAnswer)
{
    struct Case {
        unsigned type;
        int click;
    };
    for (const Case c : {Case{MsgBox::YesNo | MsgBox::IconQuestion, CommandId::Yes}, Case{MsgBox::YesNo | MsgBox::IconQuestion, CommandId::No},
                         Case{MsgBox::Ok | MsgBox::IconExclamation, CommandId::Ok}, Case{MsgBox::Ok | MsgBox::IconError, CommandId::Ok}}) {
        std::optional<t::MessageBoxView> seen;
        bool clicked = false;
        t::RunAfter(kAnswerDelayMs, [&] {
            seen = t::ActiveMessageBox();
            clicked = t::AnswerMessageBox(c.click);
        });
        const int result = RealServices().MessageBoxCp949(&m_owner, K("삭제하시겠습니까?\n<b>modreg.dat</b>"),
                                                     K("ZQM Search"), c.type);
        EXPECT_TRUE(clicked);
        EXPECT_EQ(result, c.click);
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->text, "삭제하시겠습니까?\n<b>modreg.dat</b>");   // plain text, not markup
        EXPECT_EQ(seen->title, "ZQM Search");
        EXPECT_EQ(seen->type, c.type);
    }
}

TEST_F(ServicesTest, MessageBoxClosedWithEscapeAnswersNoOrOk)
{
    t::RunAfter(kAnswerDelayMs, [] { t::CancelActivePrompt(); });
    EXPECT_EQ(RealServices().MessageBoxCp949(&m_owner, "?", "c", MsgBox::YesNo | MsgBox::IconQuestion), CommandId::No);
    t::RunAfter(kAnswerDelayMs, [] { t::CancelActivePrompt(); });
    EXPECT_EQ(RealServices().MessageBoxCp949(&m_owner, "!", "c", MsgBox::Ok), CommandId::Ok);
}

TEST_F(ServicesTest, PromptBlocksItsOwnerOnlyAndOtherWindowsKeepTheirTimers)
{
    TickingDlg other;
    ASSERT_TRUE(other.Create(ids::IDD_EXCHANGE));
    other.ShowWindow(ShowCmd::Show);
    other.SetTimer(10, 20);

    int ticksBefore = -1;
    int ticksDuring = -1;
    bool ownerBlocked = false;
    bool otherBlocked = true;
    t::RunAfter(30, [&] { ticksBefore = other.ticks; });
    t::RunAfter(400, [&] {
        ticksDuring = other.ticks;
        ownerBlocked = t::IsBlockedByModal(m_owner);
        otherBlocked = t::IsBlockedByModal(other);
        t::AnswerMessageBox(CommandId::Ok);
    });
    EXPECT_EQ(RealServices().MessageBoxCp949(&m_owner, "wait", "c", MsgBox::Ok), CommandId::Ok);

    EXPECT_TRUE(ownerBlocked);
    EXPECT_FALSE(otherBlocked);
    EXPECT_GE(ticksDuring - ticksBefore, 5) << "the other window's timer stopped while the box was up";
    EXPECT_FALSE(t::IsBlockedByModal(m_owner));
    other.KillTimer(10);
    other.DestroyWindow();
}

TEST_F(ServicesTest, PromptWithoutOwnerBlocksNothing)
{
    bool ownerBlocked = true;
    t::RunAfter(kAnswerDelayMs, [&] {
        ownerBlocked = t::IsBlockedByModal(m_owner);
        t::AnswerMessageBox(CommandId::Yes);
    });
    EXPECT_EQ(RealServices().MessageBoxCp949(nullptr, "?", "c", MsgBox::YesNo), CommandId::Yes);
    EXPECT_FALSE(ownerBlocked);
}

// ---- The file-open dialog ---------------------------------------------------------------

OpenFileRequest RegistryRequest(const fs::path& folder)
{
    return {K("수정할 음원 레지스트리화일 선택 (modreg.dat)"),
            K("레지스트리 Files(modreg.dat)|modreg.dat|All Files (*.*)|*.*||"), "dat", folder};
}

TEST_F(ServicesTest, FileDialogTakesATypedMissingNameWithTheDefaultExtension)
{
    std::optional<t::FileDialogView> seen;
    bool accepted = false;
    t::RunAfter(kAnswerDelayMs, [&] {
        seen = t::ActiveFileDialog();
        accepted = t::AcceptFileDialog("새 레지스트리");
    });
    const auto chosen = RealServices().GetOpenFilePath(&m_owner, RegistryRequest(m_dir));

    ASSERT_TRUE(accepted) << "Open was not available for a missing file";
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, m_dir / U8("새 레지스트리.dat"));
    EXPECT_FALSE(fs::exists(*chosen));
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->title, "수정할 음원 레지스트리화일 선택 (modreg.dat)");
    EXPECT_EQ(fs::canonical(seen->folder), fs::canonical(m_dir));
    EXPECT_EQ(seen->defaultExtension, "dat");
    // Both choices of the bar notation, matching as the original platform does:
    // any case for the exact name, every name for "*.*".
#ifdef _WIN32
    // Windows' own dialog takes the patterns as they are and ignores case itself.
    EXPECT_EQ(seen->nameFilters,
              (std::vector<std::string>{"레지스트리 Files(modreg.dat) (modreg.dat)", "All Files (*.*) (*.*)"}));
#else
    EXPECT_EQ(seen->nameFilters,
              (std::vector<std::string>{"레지스트리 Files(modreg.dat) ([mM][oO][dD][rR][eE][gG].[dD][aA][tT])",
                                        "All Files (*.*) (*)"}));
#endif
    EXPECT_EQ(seen->selectedNameFilter, "레지스트리 Files(modreg.dat)");   // shown without the patterns
}

TEST_F(ServicesTest, FileDialogKeepsATypedExtensionAndCancelGivesNothing)
{
    std::ofstream(m_dir / "modreg.bak") << "x";
    t::RunAfter(kAnswerDelayMs, [] { t::AcceptFileDialog("modreg.bak"); });
    EXPECT_EQ(RealServices().GetOpenFilePath(&m_owner, RegistryRequest(m_dir)), m_dir / "modreg.bak");

    t::RunAfter(kAnswerDelayMs, [] { t::CancelActivePrompt(); });
    EXPECT_EQ(RealServices().GetOpenFilePath(&m_owner, RegistryRequest(m_dir)), std::nullopt);
}

// ---- The folder browser -------------------------------------------------------------------

// A callback as the program's chooser writes one: preselect a folder when the
// browser comes up, show each selected path on the status line. It also keeps
// what it was told.
struct RecordingCallback {
    fs::path initial;
    std::vector<std::pair<BrowseEvent, std::optional<fs::path>>> events;

    BrowseRequest Request(std::string promptCp949)
    {
        BrowseRequest request;
        request.prompt = std::move(promptCp949);
        request.callback = [this](FolderBrowser& browser, BrowseEvent event, const fs::path* selection) {
            events.emplace_back(event, selection ? std::optional<fs::path>(*selection) : std::nullopt);
            if (event == BrowseEvent::Initialized) browser.SetSelection(initial);
            if (event == BrowseEvent::SelectionChanged && selection)
                browser.SetStatusText(mrv::text::Utf8ToCp949Lossy(mrv::os::PathText(*selection)));
        };
        return request;
    }
};

TEST_F(ServicesTest, FolderBrowserPreselectsReportsTheStatusAndReturnsTheChosenFolder)
{
    fs::create_directories(m_dir / U8("음악") / U8("곡 모음"));
    fs::create_directories(m_dir / "other");
    RecordingCallback callback{m_dir / U8("음악") / U8("곡 모음") / "", {}};

    std::optional<t::FolderBrowserView> atStart;
    std::optional<t::FolderBrowserView> afterMove;
    bool accepted = false;
    t::RunAfter(kAnswerDelayMs, [&] {
        atStart = t::ActiveFolderBrowser();
        t::SelectInFolderBrowser(m_dir / "other");
        afterMove = t::ActiveFolderBrowser();
        accepted = t::AcceptFolderBrowser();
    });
    const auto chosen = RealServices().BrowseForFolder(&m_owner, callback.Request(K("폴더를 선택하세요")));

    ASSERT_TRUE(atStart.has_value());
    EXPECT_EQ(atStart->prompt, "폴더를 선택하세요");
    EXPECT_EQ(atStart->selection, m_dir / U8("음악") / U8("곡 모음"));
    EXPECT_EQ(atStart->status, Utf8(m_dir / U8("음악") / U8("곡 모음")));
    EXPECT_TRUE(atStart->canAccept);
    ASSERT_TRUE(afterMove.has_value());
    EXPECT_EQ(afterMove->status, Utf8(m_dir / "other"));
    EXPECT_TRUE(accepted);
    EXPECT_EQ(chosen, m_dir / "other");

    // Initialized comes first and without a selection; each move reports its folder.
    ASSERT_GE(callback.events.size(), 3u);
    EXPECT_EQ(callback.events[0], std::make_pair(BrowseEvent::Initialized, std::optional<fs::path>()));
    EXPECT_EQ(callback.events[1], std::make_pair(BrowseEvent::SelectionChanged,
                                                 std::optional<fs::path>(m_dir / U8("음악") / U8("곡 모음"))));
    EXPECT_EQ(callback.events.back(), std::make_pair(BrowseEvent::SelectionChanged,
                                                     std::optional<fs::path>(m_dir / "other")));
}

TEST_F(ServicesTest, FolderBrowserCancelGivesNothingAndAMissingInitialFolderSelectsNothing)
{
    RecordingCallback callback{m_dir / "missing", {}};
    std::optional<t::FolderBrowserView> seen;
    t::RunAfter(kAnswerDelayMs, [&] {
        seen = t::ActiveFolderBrowser();
        t::CancelActivePrompt();
    });
    EXPECT_EQ(RealServices().BrowseForFolder(&m_owner, callback.Request("x")), std::nullopt);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->selection, std::nullopt);
#ifndef _WIN32
    // Windows' browser leaves OK to the item it starts on.
    EXPECT_FALSE(seen->canAccept);
#endif
    EXPECT_EQ(seen->status, "");
}

TEST_F(ServicesTest, FolderBrowserCanPreselectAHiddenFolder)
{
    fs::create_directories(m_dir / ".cache" / "zqm");
    RecordingCallback callback{m_dir / ".cache" / "zqm", {}};
    std::optional<t::FolderBrowserView> seen;
    t::RunAfter(kAnswerDelayMs, [&] {
        seen = t::ActiveFolderBrowser();
        t::AcceptFolderBrowser();
    });
    EXPECT_EQ(RealServices().BrowseForFolder(&m_owner, callback.Request("x")), m_dir / ".cache" / "zqm");
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->status, Utf8(m_dir / ".cache" / "zqm"));
}

TEST_F(ServicesTest, ScriptedBrowserTellsTheCallbackWhatTheRealOneTells)
{
    fs::create_directories(m_dir / "a");
    RecordingCallback real{m_dir / "a" / "", {}};
    t::RunAfter(kAnswerDelayMs, [] { t::AcceptFolderBrowser(); });
    const auto realChosen = RealServices().BrowseForFolder(&m_owner, real.Request("x"));

    RecordingCallback scripted{m_dir / "a" / "", {}};
    mrv::testing::ScriptedServices services;
    services.AnswerBrowse(m_dir / "a");
    const auto scriptedChosen = services.BrowseForFolder(&m_owner, scripted.Request("x"));

    EXPECT_EQ(realChosen, scriptedChosen);
    EXPECT_EQ(real.events, scripted.events);
    ASSERT_EQ(services.Browses().size(), 1u);
    EXPECT_EQ(services.Browses()[0].LastStatusUtf8(), Utf8(m_dir / "a"));
}

// ---- Starting programs ------------------------------------------------------------------

#ifndef _WIN32

// Puts a stand-in for the desktop's opener first on PATH; it writes its
// arguments, one per line, into a file.
class DesktopOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("mrv-opener-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "bin");
        m_log = m_dir / "args.txt";
        const fs::path opener = m_dir / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << m_log.string()
                              << ".part'\nmv '" << m_log.string() << ".part' '" << m_log.string() << "'\n";
        fs::permissions(opener, fs::perms::owner_all);
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        ::setenv("PATH", ((m_dir / "bin").string() + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", m_oldPath.c_str(), 1);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // The arguments the opener got, once it has run.
    std::vector<std::string> Arguments()
    {
        for (int i = 0; i < 100 && !fs::exists(m_log); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in(m_log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    fs::path m_dir;
    fs::path m_log;
    std::string m_oldPath;
};

TEST_F(DesktopOpenerTest, OpenFolderPassesThePathAsOneArgumentBlanksAndAll)
{
    const fs::path folder = m_dir / "My Music" / "새 폴더";
    fs::create_directories(folder);
    ASSERT_TRUE(RealServices().OpenFolder(folder));
    EXPECT_EQ(Arguments(), std::vector<std::string>{folder.string()});
}

TEST_F(DesktopOpenerTest, OpenFileStartsTheDesktopOpenerOnTheFile)
{
    const fs::path file = m_dir / "1 2.zqm";
    std::ofstream(file) << "x";
    ASSERT_TRUE(RealServices().OpenWithAssociatedProgram(file));
    EXPECT_EQ(Arguments(), std::vector<std::string>{file.string()});
}

TEST_F(DesktopOpenerTest, NoOpenerMeansFailure)
{
    ::setenv("PATH", (m_dir / "nothing-here").c_str(), 1);
    EXPECT_FALSE(RealServices().OpenFolder(m_dir));
}

#else

// Explorer opens a file it is given with the file's program: a folder opener
// given anything but an existing folder must start nothing.
TEST(ExplorerOpener, RefusesWhatIsNotAnExistingFolder)
{
    const fs::path dir = fs::temp_directory_path() / ("mrv-explorer-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "a.exe";
    std::ofstream(file) << "MZ";
    EXPECT_FALSE(RealServices().OpenFolder(file));
    EXPECT_FALSE(RealServices().OpenFolder(dir / "missing"));
    std::error_code ec;
    fs::remove_all(dir, ec);
}

#endif // !_WIN32

// ---- Host folders and names --------------------------------------------------------------

TEST(HostServices, FoldersEndWithASeparatorAndTheProgramFolderHoldsTheExecutable)
{
    auto& services = RealServices();
    const fs::path program = services.GetProgramFolder();
    EXPECT_FALSE(program.has_filename()) << program;
    EXPECT_TRUE(fs::exists(program / mrv::test::TestProgram().filename()));
    EXPECT_FALSE(services.GetTempFolder().has_filename());
    EXPECT_FALSE(services.GetHomeFolder().has_filename());
    EXPECT_FALSE(services.GetUserNameCp949().empty());
}

} // namespace

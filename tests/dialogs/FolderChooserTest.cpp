// The folder chooser over the scripted folder browser, and its callback over a
// recording browser.
#include "dialogs/FolderChooser.h"

#include "core/FileSystem.h"
#include "text/Cp949.h"
#include "tests/support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using mrv::platform::BrowseEvent;
using mrv::testing::BrowseAction;
using mrv::testing::ScopedServices;
using mrv::testing::ScriptedServices;
using mrv::text::K;

namespace {

// What the callback asked of the browser.
class RecordingBrowser : public mrv::platform::FolderBrowser {
public:
    void SetSelection(const fs::path& folder) override { selections.push_back(folder); }
    void SetStatusText(const std::string& cp949) override { statusTexts.push_back(cp949); }

    std::vector<fs::path> selections;
    std::vector<std::string> statusTexts;
};

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_base = fs::temp_directory_path() / (std::string("mrv-chooser-") + info->name());
        fs::remove_all(m_base);
        fs::create_directories(m_base / "music");
        g_strInitialFolder.clear();
    }
    void TearDown() override { fs::remove_all(m_base); }

    fs::path Music() const { return m_base / "music"; }

    bool Choose(fs::path& result, const std::optional<fs::path>& initial,
                const std::optional<fs::path>& root = std::nullopt)
    {
        return BrowseForFolderWithInitial(result, K("폴더를 고르세요"), nullptr, root, initial);
    }

    ScriptedServices services;
    ScopedServices installed{services};
    fs::path m_base;
};

// ---- The callback --------------------------------------------------------------

TEST_F(FolderChooserTest, CallbackPreselectsOnlyWhenAskedAndShowsPathsInCp949)
{
    g_strInitialFolder = "/srv/songs";
    RecordingBrowser browser;
    const fs::path korean = mrv::os::PathFromUtf8("/home/user/음악");

    EXPECT_EQ(BrowseCallbackProc(browser, BrowseEvent::Initialized, nullptr, 0), 0);
    EXPECT_TRUE(browser.selections.empty());
    EXPECT_EQ(BrowseCallbackProc(browser, BrowseEvent::Initialized, nullptr, 1), 0);
    EXPECT_EQ(BrowseCallbackProc(browser, BrowseEvent::SelectionChanged, &korean, 0), 0);
    EXPECT_EQ(BrowseCallbackProc(browser, BrowseEvent::SelectionChanged, nullptr, 1), 0);

    EXPECT_EQ(browser.selections, std::vector<fs::path>{"/srv/songs"});
    EXPECT_EQ(browser.statusTexts, std::vector<std::string>{mrv::text::Utf8ToCp949Lossy(mrv::os::PathText(korean))});
}

// ---- The chooser -----------------------------------------------------------------

TEST_F(FolderChooserTest, AChosenFolderComesBackAsTheBrowserGivesIt)
{
    services.AnswerBrowse(Music());
    fs::path result = "left over";

    EXPECT_TRUE(Choose(result, std::nullopt));

    EXPECT_EQ(result, Music());
    ASSERT_EQ(services.Browses().size(), 1u);
    const auto& call = services.Browses()[0];
    EXPECT_EQ(call.PromptUtf8(), "폴더를 고르세요");
    EXPECT_FALSE(call.root.has_value());
    EXPECT_TRUE(call.hasCallback);
    EXPECT_TRUE(call.selectionsSet.empty()) << "no initial folder, no preselection";
}

TEST_F(FolderChooserTest, AnExistingInitialFolderIsSelectedAndShownInTheStatusLine)
{
    services.AnswerBrowse(Music());
    fs::path result;

    EXPECT_TRUE(Choose(result, Music()));

    const auto& call = services.Browses().at(0);
    ASSERT_EQ(call.selectionsSet.size(), 1u);
    EXPECT_EQ(call.selectionsSet[0], Music());
    EXPECT_EQ(call.LastStatusUtf8(), Music().string());
    EXPECT_EQ(g_strInitialFolder, Music());
}

TEST_F(FolderChooserTest, MissingEmptyAndAbsentInitialFolders)
{
    services.AnswerBrowse(Music()).AnswerBrowse(Music()).AnswerBrowse(Music());
    fs::path result;

    // A folder that is gone, and the empty text, are passed on all the same;
    // the browser stays where it is and nobody is told.
    EXPECT_TRUE(Choose(result, fs::path()));
    EXPECT_TRUE(Choose(result, m_base / "gone"));
    // No initial folder: no preselection, and the last one given stays.
    EXPECT_TRUE(Choose(result, std::nullopt));

    const auto& calls = services.Browses();
    EXPECT_EQ(calls[0].selectionsSet, std::vector<fs::path>{fs::path()});
    EXPECT_EQ(calls[1].selectionsSet, std::vector<fs::path>{m_base / "gone"});
    EXPECT_TRUE(calls[2].selectionsSet.empty());
    for (const auto& call : calls) EXPECT_TRUE(call.statusTexts.empty());
    EXPECT_EQ(g_strInitialFolder, m_base / "gone");
    EXPECT_EQ(result, Music());
    EXPECT_TRUE(services.MessageBoxes().empty());
}

TEST_F(FolderChooserTest, MovingToAnItemWithoutAPathKeepsThePreviousStatus)
{
    const fs::path other = m_base / "other";
    fs::create_directory(other);
    services.AnswerBrowse(other, {BrowseAction::Initialized(), BrowseAction::Select(Music()),
                                  BrowseAction::SelectWithoutPath(), BrowseAction::Select(other),
                                  BrowseAction::SelectWithoutPath()});
    fs::path result;

    EXPECT_TRUE(Choose(result, std::nullopt));

    const auto& call = services.Browses().at(0);
    ASSERT_EQ(call.statusTexts.size(), 2u);
    EXPECT_EQ(call.LastStatusUtf8(), other.string());
}

TEST_F(FolderChooserTest, CancelEmptiesTheResultAndAnAnswerWithoutAPathLeavesIt)
{
    services.AnswerBrowse(Music()).AnswerBrowse(fs::path()).CancelBrowse();
    fs::path result;

    ASSERT_TRUE(Choose(result, std::nullopt));
    EXPECT_FALSE(Choose(result, std::nullopt));
    EXPECT_EQ(result, Music());
    EXPECT_FALSE(Choose(result, Music()));
    EXPECT_TRUE(result.empty());
}

TEST_F(FolderChooserTest, ARootIsPassedOnOnlyWhenItIsAFolder)
{
    services.AnswerBrowse(Music()).AnswerBrowse(Music());
    fs::path result;

    ASSERT_TRUE(Choose(result, std::nullopt, m_base));
    ASSERT_TRUE(Choose(result, std::nullopt, m_base / "gone"));

    EXPECT_EQ(services.Browses()[0].root, std::optional<fs::path>(m_base));
    EXPECT_FALSE(services.Browses()[1].root.has_value()) << "an unusable root opens the whole tree";
}

TEST(SaveFolderSeparator, AFolderGetsExactlyOneTrailingSeparator)
{
    EXPECT_EQ(WithTrailingSeparator("/music"), fs::path("/music/"));
    EXPECT_EQ(WithTrailingSeparator("/music/"), fs::path("/music/"));
    EXPECT_EQ(WithTrailingSeparator("/music//"), fs::path("/music/"));
    EXPECT_EQ(WithTrailingSeparator("/"), fs::path("/"));
    EXPECT_EQ(WithTrailingSeparator(""), fs::path(""));
}

} // namespace

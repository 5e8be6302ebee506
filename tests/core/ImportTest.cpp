// Many songs in one action: which files of a folder become songs, the numbers
// they get around those already taken, every reason a song is left out, and
// carrying the plan out whole or not at all, with the bytes the one-song path
// writes.
#include "RegistrySamples.h"

#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "songs/Import.h"

#include <algorithm>

namespace mrv::registry::test {
namespace {

using songs::ImportPlan;
using songs::ImportSettings;

class ImportTest : public ScratchDir {
protected:
    void SetUp() override
    {
        ScratchDir::SetUp();
        source = dir / "source";
        save = dir / "save";
        fs::create_directories(source);
        fs::create_directories(save);
        WriteBytes(reg, Registry({}));
        settings.registry = reg;
        settings.saveFolder = save;
        settings.audio = DefaultAudioInfo();
    }
    void Song(const std::string& name, std::size_t size = 1000, std::uint8_t fill = 0x11)
    {
        WriteBytes(source / os::PathFromUtf8(name), Bytes(size, fill));
    }
    ImportPlan Plan(const std::map<std::string, std::string>& titles = {})
    {
        auto plan = songs::PlanImport(source, settings, titles);
        EXPECT_TRUE(plan.ok()) << plan.error().message;
        return plan.ok() ? *plan : ImportPlan{};
    }
    static std::vector<int> Numbers(const ImportPlan& plan)
    {
        std::vector<int> numbers;
        for (const auto& r : plan.rows) numbers.push_back(r.number);
        return numbers;
    }
    static std::vector<std::string> Refusals(const ImportPlan& plan)
    {
        std::vector<std::string> why;
        for (const auto& r : plan.rows) why.push_back(r.refused);
        return why;
    }
    std::vector<std::string> SaveNames() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(save)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path source, save;
    ImportSettings settings;
};

TEST_F(ImportTest, TheSongsAreTheFolderFilesOfTheLocationsContainer)
{
    Song("b.ZQM", 4 * 1024 * 1024);
    Song("a.zqm");
    Song("c.dcf");
    Song(".hidden.zqm");
    fs::create_directory(source / "folder.zqm");
    ImportPlan plan = Plan();
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[0].fileName, "a.zqm");
    EXPECT_EQ(plan.rows[0].title, "a");
    EXPECT_EQ(plan.rows[1].title, "b");
    EXPECT_EQ(plan.rows[1].size, 4u * 1024 * 1024);
    // 4 MiB at 128 kbps: 262.1 seconds.
    EXPECT_EQ(plan.rows[1].playTime, 262);
    EXPECT_EQ(plan.rows[0].linkFileName, "MRV_Dat00001");
    EXPECT_EQ(plan.rows[1].targetName, "2.zqm");

    settings.kind = LinkKind::Mod;
    settings.location = 5;   // the memory card's DCF
    plan = Plan();
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0].title, "c");
    EXPECT_EQ(plan.rows[0].linkFileName, "MOD_Dat00001");
    EXPECT_EQ(plan.rows[0].targetName, "1.dcf");

    EXPECT_EQ(songs::EstimatedPlayTime(1000000, "nonsense"), 63) << "128 kbps when the text is no number";
    EXPECT_EQ(songs::EstimatedPlayTime(1000000, "64.00"), 125);
}

TEST_F(ImportTest, NumbersSkipWhatTheRegistryAndTheSaveFolderHold)
{
    for (const char* name : {"a.zqm", "b.zqm", "c.zqm", "d.zqm"}) Song(name);
    EntryFields taken = WorkedFields();
    taken.linkName = "MRV_Dat00003";
    ASSERT_TRUE(Append(reg, taken, std::nullopt).ok());
    WriteBytes(save / "MRV_Dat00004", Bytes(112, 0));   // a link file
    WriteBytes(save / "5.zqm", Bytes(10, 0));           // a music file
    settings.firstNumber = 2;
    EXPECT_EQ(Numbers(Plan()), (std::vector<int>{2, 6, 7, 8}));

    // The user starts elsewhere: the rows follow.
    ImportPlan plan = Plan();
    plan.settings.firstNumber = 99998;
    ASSERT_TRUE(songs::Refresh(plan).ok());
    EXPECT_EQ(Numbers(plan), (std::vector<int>{99998, 99999, -1, -1}));
    EXPECT_NE(plan.rows[2].refused.find("남은 번호가 없습니다"), std::string::npos) << plan.rows[2].refused;
    EXPECT_EQ(plan.Added(), 2);
}

TEST_F(ImportTest, EveryRowThatCannotBeAddedSaysWhyAndTakesNoNumber)
{
    Song("bad 😀.zqm");
    Song(std::string(26, 'L') + std::string(26, 'l') + ".zqm");   // 52 bytes
    Song("taken.zqm");
    Song("twin-a.zqm");
    Song("twin-b.zqm");
    Song("zz-ok.zqm");
    {
        std::ofstream(source / "zz-huge.zqm", std::ios::binary);
    }
    fs::resize_file(source / "zz-huge.zqm", std::uint64_t{1} << 31);   // sparse
    EntryFields holder = WorkedFields();
    holder.title = "taken";
    ASSERT_TRUE(Append(reg, holder, std::nullopt).ok());

    const ImportPlan plan = Plan({{"twin-b.zqm", "twin-a"}});
    const auto why = Refusals(plan);
    ASSERT_EQ(why.size(), 7u);
    // In the order of the file names' bytes: capitals first.
    EXPECT_NE(why[0].find("52바이트"), std::string::npos) << why[0];
    EXPECT_NE(why[1].find("CP949"), std::string::npos) << why[1];
    EXPECT_NE(why[2].find("레지스트리에 같은 곡명"), std::string::npos) << why[2];
    EXPECT_EQ(why[3], "");
    EXPECT_NE(why[4].find("앞의 곡과 곡명이 같습니다"), std::string::npos) << why[4];
    EXPECT_NE(why[5].find("항목에 적을 수 있는 크기"), std::string::npos) << why[5];
    EXPECT_EQ(why[6], "");
    // Number 1 is the holder's.
    EXPECT_EQ(Numbers(plan), (std::vector<int>{-1, -1, -1, 2, -1, -1, 3}));
}

TEST_F(ImportTest, MusicFilesOfTheSaveFolderThatLinkFilesNameAreLeftOut)
{
    WriteBytes(save / "12.zqm", Bytes(10, 0));
    WriteBytes(save / "MOD_Dat00012", Bytes(112, 0));
    WriteBytes(save / "13.zqm", Bytes(10, 0));   // no link file names it
    WriteBytes(save / "new.zqm", Bytes(10, 0));
    const auto plan = songs::PlanImport(save, settings);
    ASSERT_TRUE(plan.ok());
    ASSERT_EQ(plan->rows.size(), 3u);
    EXPECT_EQ(plan->rows[0].refused, "이미 MOD_Dat00012 이(가) 가리키는 음원 화일입니다");
    EXPECT_EQ(plan->rows[1].refused, "");
    EXPECT_EQ(plan->rows[2].refused, "");
    // The same names elsewhere are songs like any other.
    WriteBytes(source / "12.zqm", Bytes(10, 0));
    EXPECT_EQ(Plan().rows[0].refused, "");
}

TEST_F(ImportTest, TheResultIsWhatTheOneSongPathWritesForTheSameSongs)
{
    Song("봄날.zqm", 3000, 0x21);
    Song("여름.zqm", 5000, 0x22);
    settings.kind = LinkKind::Mod;
    settings.location = 4;
    settings.firstNumber = 7;
    const ImportPlan plan = Plan();
    ASSERT_EQ(plan.Added(), 2);
    const Bytes before = FileBytes(reg);
    const auto done = songs::RunImport(plan, LocalTime{2005, 8, 9, 12, 0, 5});
    ASSERT_TRUE(done.ok()) << done.error().message;
    EXPECT_EQ(done->added, 2);
    ASSERT_TRUE(done->backup.has_value());
    EXPECT_EQ(FileBytes(*done->backup), before);
    EXPECT_EQ(SaveNames(), (std::vector<std::string>{"7.zqm", "8.zqm", "MOD_Dat00007", "MOD_Dat00008"}));
    EXPECT_EQ(FileBytes(save / "7.zqm"), Bytes(3000, 0x21));
    EXPECT_EQ(FileBytes(save / "8.zqm"), Bytes(5000, 0x22));

    // The one-song path: a link file made and an entry added for each song.
    const fs::path alone = dir / "alone";
    fs::create_directories(alone);
    const fs::path aloneReg = alone / "modreg.dat";
    WriteBytes(aloneReg, before);
    for (const auto& row : plan.rows) {
        ASSERT_TRUE(link::WriteLinkFile(alone, LinkKind::Mod, row.title, 4, row.number).ok());
        EntryFields f;
        f.kind = LinkKind::Mod;
        f.linkName = row.linkFileName;
        f.title = row.title;
        f.audio = DefaultAudioInfo();
        f.playTime = row.playTime;
        f.fileSize = static_cast<std::int32_t>(row.size);
        f.location = 4;
        ASSERT_TRUE(Append(aloneReg, f, std::nullopt).ok());
    }
    EXPECT_EQ(FileBytes(reg), FileBytes(aloneReg));
    EXPECT_EQ(FileBytes(save / "MOD_Dat00007"), FileBytes(alone / "MOD_Dat00007"));
    EXPECT_EQ(FileBytes(save / "MOD_Dat00008"), FileBytes(alone / "MOD_Dat00008"));
    EXPECT_EQ(ParseListing(FileBytes(reg)).entries.size(), 2u);
}

TEST_F(ImportTest, AFailureAtAnyStepLeavesNothingBehind)
{
    Song("a.zqm", 2000);
    Song("b.zqm", 3000);
    const ImportPlan plan = Plan();
    const Bytes before = FileBytes(reg);
    int points = 0;
    os::SetFaultHook([&points](os::FaultPoint, const fs::path&) { ++points; return false; });
    ASSERT_TRUE(songs::RunImport(plan, LocalTime{2005, 8, 9, 12, 0, 5}).ok());
    os::SetFaultHook(nullptr);
    ASSERT_GT(points, 10);

    for (int at = 1; at <= points; ++at) {
        SCOPED_TRACE("failing point " + std::to_string(at));
        for (const auto& e : fs::directory_iterator(save)) fs::remove(e.path());
        for (const auto& e : fs::directory_iterator(dir))
            if (e.is_regular_file()) fs::remove(e.path());
        WriteBytes(reg, before);
        int seen = 0;
        os::SetFaultHook([&seen, at](os::FaultPoint, const fs::path&) { return ++seen == at; });
        const auto done = songs::RunImport(plan, LocalTime{2005, 8, 9, 12, 0, 5});
        os::SetFaultHook(nullptr);
        if (done.ok()) continue;   // a fault the import may get past (a clean-up's)
        if (done.error().code == ErrorCode::NotConfirmed) continue;
        EXPECT_TRUE(SaveNames().empty()) << ::testing::PrintToString(SaveNames());
        EXPECT_EQ(FileBytes(reg), before);
        EXPECT_EQ(FileCount(), 3u) << "the registry and the two folders, nothing else";
        EXPECT_FALSE(done.error().message.empty());
    }
}

TEST_F(ImportTest, AFileThatAppearedSinceThePlanStopsTheWholeImport)
{
    Song("a.zqm");
    Song("b.zqm");
    const ImportPlan plan = Plan();
    WriteBytes(save / "2.zqm", Bytes(7, 0x77));   // another program was quicker
    const Bytes before = FileBytes(reg);
    const auto done = songs::RunImport(plan, std::nullopt);
    ASSERT_FALSE(done.ok());
    EXPECT_NE(done.error().message.find("2.zqm"), std::string::npos) << done.error().message;
    EXPECT_EQ(SaveNames(), std::vector<std::string>{"2.zqm"});
    EXPECT_EQ(FileBytes(save / "2.zqm"), Bytes(7, 0x77));
    EXPECT_EQ(FileBytes(reg), before);
}

} // namespace
} // namespace mrv::registry::test

// mrvtool import end to end: the plan as a table or JSON, titles of the
// user's own, a dry run that writes nothing, and the import itself.
#include "tests/cli/ToolFolder.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace os = mrv::os;
using Bytes = std::vector<std::uint8_t>;
using Outcome = mrv::test::Finished;

class ImportCommand : public mrv::test::ToolFolder {
protected:
    void SetUp() override
    {
        ToolFolder::SetUp();
        fs::create_directories(dir / "songs");
        fs::create_directories(dir / "phone");
        Write("modreg.dat", Bytes(8, 0));
        Write("songs/" + std::string("봄날.zqm"), Bytes(16000, 0x41));
        Write("songs/b.zqm", Bytes(8000, 0x42));
        Write("songs/notes.txt", Bytes(3, 0x43));
    }
    std::vector<std::string> Phone() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir / "phone")) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ImportCommand, TheDryRunShowsThePlanAndWritesNothing)
{
    const Outcome plan = Run({"import", "modreg.dat", "songs", "--save-folder", "phone", "--first", "7", "--dry-run"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    EXPECT_EQ(plan.out, "7\tb\tMRV_Dat00007\t7.zqm\t8000\t1\tb.zqm\t추가\n"
                        "8\t봄날\tMRV_Dat00008\t8.zqm\t16000\t1\t봄날.zqm\t추가\n");
    EXPECT_TRUE(Phone().empty());
    EXPECT_EQ(Read("modreg.dat"), Bytes(8, 0));

    const Outcome json = Run({"import", "modreg.dat", "songs", "--save-folder", "phone", "--json", "--dry-run",
                              "--kind", "mod", "--location", "2"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "[]\n") << "a DCF location takes .dcf files, and the folder has none";
}

TEST_F(ImportCommand, AnImportAsksThenCopiesLinksAndAddsInOneChange)
{
    EXPECT_EQ(Run({"import", "modreg.dat", "songs", "--save-folder", "phone"}).status, 1) << "no terminal to ask on";
    EXPECT_TRUE(Phone().empty());

    Write("titles.tsv", {'b', '.', 'z', 'q', 'm', '\t', 'B', 'e', 'e', '\n'});
    const Outcome done = Run({"import", "modreg.dat", "songs", "--save-folder", "phone", "--titles", "titles.tsv", "--yes"});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_NE(done.out.find("2곡을 추가했습니다.\n백업: "), std::string::npos) << done.out;
    EXPECT_EQ(Phone(), (std::vector<std::string>{"1.zqm", "2.zqm", "MRV_Dat00001", "MRV_Dat00002"}));
    EXPECT_EQ(Read("phone/1.zqm"), Bytes(8000, 0x42));
    const Outcome listed = Run({"list", "modreg.dat"});
    EXPECT_EQ(listed.out, "0\tBee\tZQT/MORVANTA/MRV_Dat00001\n1\t봄날\tZQT/MORVANTA/MRV_Dat00002\n");

    // Again: both titles are in the registry now.
    const Outcome again = Run({"import", "modreg.dat", "songs", "--save-folder", "phone", "--titles", "titles.tsv", "--yes"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("추가할 곡이 없습니다."), std::string::npos) << again.err;
}

TEST_F(ImportCommand, AWrongCommandLineOrTitlesFileChangesNothing)
{
    EXPECT_EQ(Run({"import", "modreg.dat", "songs"}).status, 2) << "--save-folder is required";
    Write("titles.tsv", {'n', 'o', ' ', 't', 'a', 'b', '\n'});
    const Outcome bad = Run({"import", "modreg.dat", "songs", "--save-folder", "phone", "--titles", "titles.tsv", "--yes"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("1번째 줄에 탭이 없습니다"), std::string::npos) << bad.err;
    EXPECT_TRUE(Phone().empty());
}

} // namespace

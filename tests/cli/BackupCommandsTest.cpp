// mrvtool backups and restore end to end: the listing of a registry's backups,
// going back to one by its name or its number, and tidying old ones.
#include "cli/Cli.h"
#include "tests/cli/ToolFolder.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace os = mrv::os;
using Bytes = std::vector<std::uint8_t>;
using Outcome = mrv::test::Finished;

class BackupCommands : public mrv::test::ToolFolder {
protected:
    void SetUp() override
    {
        ToolFolder::SetUp();
        Write("modreg.dat", Bytes(8, 0));
        // Three changes, each with its backup: empty, one entry, two entries.
        for (const char* title : {"봄날", "여름", "가을"}) {
            const Outcome added = Run({"add", "modreg.dat", "--title", title, "--number", std::to_string(++m_added)});
            ASSERT_EQ(added.status, 0) << added.err;
            // Apart by a moment, so that their times tell them apart.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // The listing's lines, split into their tab-separated fields.
    std::vector<std::vector<std::string>> Listed()
    {
        const Outcome listed = Run({"backups", "modreg.dat"});
        EXPECT_EQ(listed.status, 0) << listed.err;
        std::vector<std::vector<std::string>> lines;
        std::istringstream in(listed.out);
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            std::istringstream f(line);
            for (std::string field; std::getline(f, field, '\t');) fields.push_back(field);
            lines.push_back(fields);
        }
        return lines;
    }
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    int m_added = 0;
};

TEST_F(BackupCommands, TheListingShowsEachBackupNewestFirstAndJsonTheSame)
{
    Write("other.dat_2026_1_1_1_1", Bytes(8, 0));      // another registry's
    Write("modreg.dat_2026_1_1_1_9", {1, 2, 3});       // damaged, and the oldest
    fs::last_write_time(dir / "modreg.dat_2026_1_1_1_9", fs::file_time_type::clock::now() - std::chrono::hours(1));
    const auto lines = Listed();
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].size(), 6u);
        EXPECT_EQ(lines[i][0], std::to_string(i));
        EXPECT_EQ(lines[i][1].size(), std::string("2026-12-09 17:23:10").size()) << lines[i][1];
    }
    EXPECT_EQ(lines[0][3], "2");   // before the third add
    EXPECT_EQ(lines[1][3], "1");
    EXPECT_EQ(lines[2][3], "0");
    EXPECT_EQ(lines[0][5], "되살릴 수 있음");
    EXPECT_EQ(lines[3][2], "modreg.dat_2026_1_1_1_9");
    EXPECT_EQ(lines[3][5].rfind("되살릴 수 없음: ", 0), 0u) << lines[3][5];

    const Outcome json = Run({"backups", "modreg.dat", "--json"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out.front(), '[');
    EXPECT_NE(json.out.find("{\"index\":0,\"name\":\"" + lines[0][2] + "\",\"time\":\"" + lines[0][1] + "\",\"entries\":2,"),
              std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"restorable\":false,\"reason\":\"손상된"), std::string::npos) << json.out;
}

TEST_F(BackupCommands, RestoreByNumberOrNameBacksUpTheRegistryAndKeepsTheBackup)
{
    const auto lines = Listed();
    const Bytes before = Read("modreg.dat");
    const Bytes oneEntry = Read(lines[1][2]);
    const Outcome restored = Run({"restore", "modreg.dat", "1", "--yes"});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(restored.out.find("되살렸습니다: " + lines[1][2] + " (항목 1개)"), std::string::npos) << restored.out;
    EXPECT_EQ(Read("modreg.dat"), oneEntry);
    EXPECT_EQ(Read(lines[1][2]), oneEntry);
    const std::string backup = restored.out.substr(restored.out.find("백업: ") + std::string("백업: ").size());
    EXPECT_EQ(Read(backup.substr(0, backup.find('\n'))), before);

    // By name; and again: the registry holds those bytes already.
    ASSERT_EQ(Run({"restore", "modreg.dat", lines[0][2], "--yes"}).status, 0);
    const std::size_t files = FileCount();
    const Outcome same = Run({"restore", "modreg.dat", lines[0][2], "--yes"});
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.out.find("같습니다"), std::string::npos) << same.out;
    EXPECT_EQ(FileCount(), files) << "nothing written";
}

TEST_F(BackupCommands, RestoreRefusesWhatItCannotDoAndAsksFirst)
{
    Write("modreg.dat_2026_1_1_1_9", {1, 2, 3});
    fs::last_write_time(dir / "modreg.dat_2026_1_1_1_9", fs::file_time_type::clock::now() - std::chrono::hours(1));
    const Bytes before = Read("modreg.dat");
    const std::size_t files = FileCount();
    for (const std::vector<std::string>& args : {std::vector<std::string>{"restore", "modreg.dat", "nope", "--yes"},
                                                 {"restore", "modreg.dat", "99", "--yes"},
                                                 {"restore", "modreg.dat", "modreg.dat_2026_1_1_1_9", "--yes"},
                                                 {"restore", "modreg.dat", "0"}}) {
        SCOPED_TRACE(args[2]);
        const Outcome refused = Run(args, "y\n");
        EXPECT_EQ(refused.status, 1);
        EXPECT_FALSE(refused.err.empty());
    }
    EXPECT_EQ(Read("modreg.dat"), before);
    EXPECT_EQ(FileCount(), files);

    // On a terminal the question names the backup, its time and its entries.
    std::istringstream in("n\n");
    std::ostringstream out, err;
    mrv::cli::Console console{in, out, err, true, [] { return mrv::registry::LocalTime{2005, 8, 9, 7, 3, 5}; }};
    const std::vector<std::string> args{"restore", os::PathText(dir / "modreg.dat"), "2"};
    EXPECT_EQ(mrv::cli::Run(args, console), 1);
    EXPECT_NE(err.str().find("항목 0개) 으로 레지스트리화일을 되살리시겠습니까?"), std::string::npos) << err.str();
    EXPECT_EQ(Read("modreg.dat"), before);
}

TEST_F(BackupCommands, KeepRemovesAllButTheNewestBackups)
{
    const auto lines = Listed();
    EXPECT_EQ(Run({"backups", "modreg.dat", "--keep", "1"}).status, 1) << "asks first";
    EXPECT_EQ(Run({"backups", "modreg.dat", "--keep", "0"}).status, 2) << "at least one stays";
    const Outcome tidied = Run({"backups", "modreg.dat", "--keep", "1", "--yes"});
    ASSERT_EQ(tidied.status, 0) << tidied.err;
    EXPECT_NE(tidied.out.find("백업화일 2개("), std::string::npos) << tidied.out;
    const auto after = Listed();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0][2], lines[0][2]);
    const Outcome nothing = Run({"backups", "modreg.dat", "--keep", "5"});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_NE(nothing.out.find("지울 백업화일이 없습니다"), std::string::npos);
}

} // namespace

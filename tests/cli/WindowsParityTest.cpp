// The Windows mrvtool.exe, run under Wine, against this system's mrvtool: the
// same random sequence of adds, deletes and link files, with Korean titles and
// a Korean registry name, must give the same statuses, the same messages and
// the same files, byte for byte. Runs when MRV_WINDOWS_MRVTOOL names the
// Windows program (the test command sets it after the cross build).
#include "core/FileSystem.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;
namespace os = mrv::os;

fs::path Tool() { return mrv::test::TestProgram().parent_path() / MRVTOOL_RELATIVE; }

const char* const kRegistry = "음악목록.dat";

// A random sequence of commands, the same for every run with the same seed.
class Sequence {
public:
    explicit Sequence(unsigned seed) : m_random(seed) {}

    std::vector<std::vector<std::string>> Make(int count)
    {
        std::vector<std::vector<std::string>> commands;
        for (int i = 0; i < count; ++i) {
            const int pick = Number(0, 9);
            if (pick < 5) commands.push_back(Add());
            else if (pick < 8) commands.push_back({"delete", kRegistry, std::to_string(Number(0, m_added + 1)), "--yes"});
            else commands.push_back(Link());
        }
        return commands;
    }

private:
    int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::string Title()
    {
        static const char* const kWords[] = {"겨울", "노래", "봄", "바다", "별", "사랑", "밤", "하늘", "꿈", "비"};
        std::string title = kWords[Number(0, 9)];
        for (int n = Number(0, 3); n > 0; --n) title += std::string(Number(0, 1) ? " " : "") + kWords[Number(0, 9)];
        if (Number(0, 4) == 0) title += " " + std::to_string(Number(1, 99));
        return title;
    }

    std::vector<std::string> Add()
    {
        ++m_added;
        std::vector<std::string> c{"add", kRegistry, "--kind", Number(0, 1) ? "mod" : "mrv", "--number",
                                   std::to_string(Number(1, 40)), "--location", std::to_string(Number(0, 5)), "--title", Title()};
        if (Number(0, 1)) c.push_back("--no-backup");
        if (Number(0, 2) == 0) c.insert(c.end(), {"--copyright", Title(), "--time", std::to_string(Number(1, 600))});
        return c;
    }

    std::vector<std::string> Link()
    {
        return {"make-link", "링크", "--kind", Number(0, 1) ? "mod" : "mrv", "--number", std::to_string(Number(1, 40)),
                "--location", std::to_string(Number(0, 5)), "--title", Title()};
    }

    std::mt19937 m_random;
    int m_added = 0;
};

// Output as both systems would print it: one separator, no backup names
// (they carry the time of the run).
std::string Comparable(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    std::istringstream lines(text);
    std::string kept, line;
    while (std::getline(lines, line))
        if (line.rfind("백업: ", 0) != 0) kept += line + "\n";
    return kept;
}

struct Files {
    std::map<std::string, std::string> named;   // every file but the backups, by name
    std::vector<std::string> backups;           // the backups' contents, sorted
};

Files Collect(const fs::path& dir)
{
    Files f;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::string bytes(std::istreambuf_iterator<char>(in), {});
        const std::string name = fs::relative(e.path(), dir).generic_string();
        if (name.rfind(std::string(kRegistry) + "_", 0) == 0) f.backups.push_back(std::move(bytes));
        else f.named[name] = std::move(bytes);
    }
    std::sort(f.backups.begin(), f.backups.end());
    return f;
}

TEST(WindowsParity, ARandomSequenceGivesTheSameStatusesMessagesAndFiles)
{
    const char* windowsTool = std::getenv("MRV_WINDOWS_MRVTOOL");
    if (!windowsTool || !*windowsTool) GTEST_SKIP() << "MRV_WINDOWS_MRVTOOL does not name a Windows mrvtool.exe";
    const char* wine = std::getenv("MRV_WINE");
    const fs::path emulator = wine && *wine ? fs::path(wine) : fs::path("/usr/bin/wine");

    const fs::path root = fs::temp_directory_path() / ("mrv-parity-" + os::RandomName(8));
    const fs::path here = root / "here", windows = root / "windows";
    for (const fs::path& d : {here, windows}) {
        fs::create_directories(d / "링크");
        std::ofstream(d / kRegistry, std::ios::binary).write("\0\0\0\0\0\0\0\0", 8);
    }

    constexpr unsigned kSeed = 20261209;
    const auto commands = Sequence(kSeed).Make(36);
    int adds = 0;
    for (const auto& args : commands) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto mine = mrv::test::RunProcess({Tool(), args, here, ""});
        std::vector<std::string> underWine{windowsTool};
        underWine.insert(underWine.end(), args.begin(), args.end());
        const auto theirs = mrv::test::RunProcess({emulator, underWine, windows, ""});
        EXPECT_EQ(theirs.status, mine.status) << theirs.err;
        EXPECT_EQ(Comparable(theirs.out), Comparable(mine.out));
        EXPECT_EQ(Comparable(theirs.err), Comparable(mine.err));
        if (args[0] == "add" && mine.status == 0) ++adds;
    }
    EXPECT_GE(adds, 5) << "the sequence changes the registry";

    const Files a = Collect(here), b = Collect(windows);
    EXPECT_EQ(a.named.size(), b.named.size());
    for (const auto& [name, bytes] : a.named) {
        const auto it = b.named.find(name);
        if (it == b.named.end()) ADD_FAILURE() << name << " missing under Windows";
        else EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
    EXPECT_EQ(a.backups, b.backups);
    if (!HasFailure()) fs::remove_all(root);
}

} // namespace

// mrvtool end to end: the real executable on real files in a temporary folder.
#include "cli/Cli.h"
#include "core/FileSystem.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Hex(std::string_view hex)
{
    Bytes out;
    std::istringstream in{std::string(hex)};
    std::string byte;
    while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Ascii(std::string_view s) { return Bytes(s.begin(), s.end()); }

// The record the main window appends from its start values.
const Bytes kStartRecord = Hex(
    "97 00 00 00 00 00 00 00 00 00 00 00 01 1A 00 00 "
    "00 5A 51 54 2F 4D 4F 52 56 41 4E 54 41 2F 4D 52 "
    "56 5F 44 61 74 30 30 30 30 31 00 0C B3 EB B7 A1 "
    "C1 A6 B8 F1 C0 D4 B7 C2 0D B8 F0 C5 E4 B7 D1 B6 "
    "F3 4D 53 34 30 30 0A 30 30 30 30 2D 30 30 2D 30 "
    "30 06 31 32 38 2E 30 30 0C 48 45 2D 41 41 43 20 "
    "28 4D 50 34 29 06 31 32 38 2E 30 30 05 34 34 2E "
    "31 30 08 C1 A4 BA B8 BE F8 C0 BD 04 30 2E 30 30 "
    "02 44 4C 00 FF 00 3C 00 00 00 00 00 10 00 04 00 "
    "00 00 04 00 00 00 01 4C 09 86 42");

const Bytes kEmptyRegistry(8, 0);
const Bytes kOneEntry = Cat({Hex("01 00 00 00 9B 00 00 00"), kStartRecord});

// MOD, location 5, number 3, title "abc".
const Bytes kModCardLink = Cat({Hex("75 00 00 00 06 00 00 00 61 62 63"), Bytes(49, 0),
                                Hex("19 00 00 00 17 00 00 00"), Bytes(28, 0), Ascii("file://mmc1/MP3/3.dcf")});

using Outcome = mrv::test::Finished;
namespace os = mrv::os;

// The mrvtool built beside this test program.
fs::path Tool() { return mrv::test::TestProgram().parent_path() / MRVTOOL_RELATIVE; }

class Mrvtool : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("mrvtool-" + os::RandomName(10));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        // Windows may hold the folder a moment after the last tool in it ended.
        std::error_code ec;
        for (int attempt = 0; attempt < 100 && fs::exists(dir); ++attempt) {
            if (fs::remove_all(dir, ec) == static_cast<std::uintmax_t>(-1)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_FALSE(fs::exists(dir)) << ec.message();
    }

    // Runs mrvtool in the temporary folder with stdin read from a file (not a terminal).
    Outcome Run(std::vector<std::string> args, const std::string& input = "", bool outputFails = false) const
    {
        mrv::test::Command c{Tool(), std::move(args), dir, input};
        c.outputFails = outputFails;
        return mrv::test::RunProcess(c);
    }

    void Write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                          static_cast<std::streamsize>(bytes.size()));
    }

    Bytes Read(const fs::path& name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The backup named on the line "백업: NAME" of the output.
    static std::string BackupNamed(const std::string& out)
    {
        const std::string key = "백업: ";
        const auto at = out.find(key);
        if (at == std::string::npos) return {};
        return out.substr(at + key.size(), out.find('\n', at) - at - key.size());
    }

    fs::path dir;
};

TEST_F(Mrvtool, AddWritesTheStartValueRecord)
{
    Write("modreg.dat", kEmptyRegistry);
    const Outcome o = Run({"add", "modreg.dat", "--no-backup"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("modreg.dat"), kOneEntry);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});
    EXPECT_NE(o.out.find("ZQT/MORVANTA/MRV_Dat00001"), std::string::npos) << o.out;
}

TEST_F(Mrvtool, AddTakesEveryField)
{
    Write("modreg.dat", kEmptyRegistry);
    const Outcome o = Run({"add", "modreg.dat", "--no-backup", "--kind", "mod", "--number=3", "--location", "5",
                           "--size", "1000", "--time", "30", "--title", "abc", "--copyright", "c", "--bitrate", "b",
                           "--kbps", "k", "--rate", "r", "--format", "f"});
    ASSERT_EQ(o.status, 0) << o.err;
    const Bytes record = Cat({
        Hex("64 00 00 00 00 00 00 00 00 00 00 00 01 15 00 00 00"), Ascii("ZQT/MOD/MOD_Dat00003"), Hex("00"),
        Hex("03 61 62 63 01 63 0A"), Ascii("0000-00-00"), Hex("01 62 01 66 01 6B 01 72"),
        Hex("08 C1 A4 BA B8 BE F8 C0 BD 04 30 2E 30 30 02 44 4C 00 FF 00 1E 00 00 00 E8 03 00 00"),
        Hex("02 00 00 00 04 00 00 10 00 9F 3D D5 12"),
    });
    EXPECT_EQ(Read("modreg.dat"), Cat({Hex("01 00 00 00 68 00 00 00"), record}));
}

TEST_F(Mrvtool, AddBacksUpFirstUnlessToldNot)
{
    Write("modreg.dat", kOneEntry);
    const Outcome o = Run({"add", "modreg.dat", "--number", "2", "--title", "둘"});
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string backup = BackupNamed(o.out);
    ASSERT_EQ(backup.rfind("modreg.dat_", 0), 0u) << o.out;
    EXPECT_EQ(Read(backup), kOneEntry);
    EXPECT_EQ(Files().size(), 2u);

    const Outcome list = Run({"list", "modreg.dat"});
    EXPECT_EQ(list.out, "0\t노래제목입력\tZQT/MORVANTA/MRV_Dat00001\n1\t둘\tZQT/MORVANTA/MRV_Dat00002\n");
}

TEST_F(Mrvtool, AddRefusesDuplicatesPathFirst)
{
    Write("modreg.dat", kOneEntry);
    struct Row { std::vector<std::string> args; const char* message; };
    const Row rows[] = {
        {{"--title", "다른 제목"}, "중복된 화일이 존재 합니다...."},
        {{}, "중복된 화일이 존재 합니다...."},   // path and title both listed
        {{"--number", "2"}, "중복된 곡명이 존재 합니다...."},
    };
    for (const auto& r : rows) {
        std::vector<std::string> args{"add", "modreg.dat"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const Outcome o = Run(args);
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find(r.message), std::string::npos) << o.err;
    }
    EXPECT_EQ(Read("modreg.dat"), kOneEntry);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});

    // The comparison is exact: another letter case or a trailing blank makes a new title.
    int number = 10;
    for (const char* title : {"abc", "ABC", "abc "}) {
        const Outcome o = Run({"add", "modreg.dat", "--no-backup", "--number", std::to_string(++number), "--title", title});
        EXPECT_EQ(o.status, 0) << title << ": " << o.err;
    }
}

TEST_F(Mrvtool, RefusesTextsCp949CannotHold)
{
    Write("modreg.dat", kEmptyRegistry);
    for (const char* option : {"--title", "--copyright", "--format"}) {
        const Outcome o = Run({"add", "modreg.dat", option, "노래 \xF0\x9F\x8E\xB5"});
        EXPECT_EQ(o.status, 1) << option;
        EXPECT_NE(o.err.find(option), std::string::npos) << o.err;
    }
    EXPECT_EQ(Run({"make-link", ".", "--title", "\xF0\x9F\x98\x80"}).status, 1);
    EXPECT_EQ(Read("modreg.dat"), kEmptyRegistry);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});
}

TEST_F(Mrvtool, ListEscapesWhatWouldBreakALine)
{
    Write("modreg.dat", kEmptyRegistry);
    ASSERT_EQ(Run({"add", "modreg.dat", "--no-backup", "--title", "a\"b\tc\\d"}).status, 0);
    EXPECT_EQ(Run({"list", "modreg.dat"}).out, "0\ta\"b\\tc\\\\d\tZQT/MORVANTA/MRV_Dat00001\n");
    EXPECT_EQ(Run({"list", "modreg.dat", "--json"}).out,
              "[\n  {\"index\": 0, \"title\": \"a\\\"b\\tc\\\\d\", \"path\": \"ZQT/MORVANTA/MRV_Dat00001\"}\n]\n");

    Write("empty.dat", kEmptyRegistry);
    const Outcome empty = Run({"list", "empty.dat", "--json"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "[]\n");
}

TEST_F(Mrvtool, DamagedFileListsWhatCameBeforeAndChangesNothing)
{
    // The header promises two records; the file holds one.
    Bytes damaged = kOneEntry;
    damaged[0] = 2;
    Write("modreg.dat", damaged);

    const Outcome list = Run({"list", "modreg.dat"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.out, "0\t노래제목입력\tZQT/MORVANTA/MRV_Dat00001\n");
    EXPECT_FALSE(list.err.empty());

    const Outcome check = Run({"check", "modreg.dat"});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.err.find("163"), std::string::npos) << check.err;   // where the second record should start

    EXPECT_EQ(Run({"add", "modreg.dat", "--number", "2", "--title", "t"}).status, 1);
    EXPECT_EQ(Run({"delete", "modreg.dat", "0", "--yes"}).status, 1);
    EXPECT_EQ(Read("modreg.dat"), damaged);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});
}

TEST_F(Mrvtool, DeleteNeedsAConfirmationOrYes)
{
    Write("modreg.dat", kOneEntry);
    const Outcome refused = Run({"delete", "modreg.dat", "0"}, "y\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(Run({"delete", "modreg.dat", "1", "--yes"}).status, 1);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});

    const Outcome done = Run({"delete", "modreg.dat", "0", "--yes"});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(Read(BackupNamed(done.out)), kOneEntry);
    // The file keeps its length: the record stays behind as leftover bytes.
    EXPECT_EQ(Read("modreg.dat"), Cat({kEmptyRegistry, kStartRecord}));

    const Outcome check = Run({"check", "modreg.dat"});
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("항목: 0\n"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("남은 바이트: 155"), std::string::npos) << check.out;
}

TEST_F(Mrvtool, MakeLinkAndShowLink)
{
    const Outcome made = Run({"make-link", ".", "--kind", "MOD", "--location", "5", "--number", "3", "--title", "abc"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, os::PathText(fs::path(".") / "MOD_Dat00003") + "\n");
    EXPECT_EQ(Read("MOD_Dat00003"), kModCardLink);

    const Outcome shown = Run({"show-link", "MOD_Dat00003"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "종류: MOD\n제목: abc\n위치 블록: 메모리 카드 (19 00 00 00 17 00 00 00)\n"
                         "대상 경로: file://mmc1/MP3/3.dcf\n저장 위치: 5\n길이: 117\n");
    EXPECT_EQ(Run({"show-link", "MOD_Dat00003", "--json"}).out,
              "{\"kind\": \"MOD\", \"title\": \"abc\", \"memoryCard\": true, \"block\": \"19 00 00 00 17 00 00 00\", "
              "\"targetPath\": \"file://mmc1/MP3/3.dcf\", \"number\": 3, \"location\": 5, \"length\": 117}\n");

    // Defaults: MRV, number 1, the start title, internal memory.
    ASSERT_EQ(Run({"make-link", "."}).status, 0);
    const Bytes mrv = Read("MRV_Dat00001");
    ASSERT_EQ(mrv.size(), 112u);
    EXPECT_EQ(Bytes(mrv.begin() + 8, mrv.begin() + 22), Hex("B3 EB B7 A1 C1 A6 B8 F1 C0 D4 B7 C2 00 00"));

    Bytes damaged = kModCardLink;
    damaged[4] = 9;
    Write("MOD_Dat00004", damaged);
    const Outcome bad = Run({"show-link", "MOD_Dat00004"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("오프셋 4"), std::string::npos) << bad.err;
}

TEST_F(Mrvtool, MakeLinkRefusesALongTitleAndKeepsTheOldFile)
{
    Write("MRV_Dat00001", kModCardLink);
    EXPECT_EQ(Run({"make-link", ".", "--title", std::string(25, 'x') + "가나다라마바사아자차카타파"}).status, 1);
    EXPECT_EQ(Read("MRV_Dat00001"), kModCardLink);
    // 25 Hangul syllables are exactly the 50 bytes the field holds.
    EXPECT_EQ(Run({"make-link", ".", "--number", "2", "--title", "가나다라마바사아자차카타파하가나다라마바사아자차카"}).status, 0);
    EXPECT_EQ(Read("MRV_Dat00002").size(), 112u);
    EXPECT_EQ(Run({"make-link", "missing-folder"}).status, 1);
}

TEST_F(Mrvtool, UsageErrorsAndHelp)
{
    Write("modreg.dat", kOneEntry);
    const std::vector<std::vector<std::string>> usage = {
        {},
        {"frobnicate"},
        {"list"},
        {"list", "modreg.dat", "extra"},
        {"list", "modreg.dat", "--jsn"},
        {"add", "modreg.dat", "--number", "100000"},
        {"add", "modreg.dat", "--number", "-1"},
        {"add", "modreg.dat", "--location", "6"},
        {"add", "modreg.dat", "--kind", "mp3"},
        {"add", "modreg.dat", "--size", "2147483648"},
        {"add", "modreg.dat", "--title"},
        {"add", "modreg.dat", "--title", "a", "--title", "b"},
        {"add", "modreg.dat", "--no-backup=1"},
        {"delete", "modreg.dat", "first"},
        {"delete", "modreg.dat"},
    };
    for (const auto& args : usage) {
        const Outcome o = Run(args);
        EXPECT_EQ(o.status, 2) << testing::PrintToString(args);
        EXPECT_FALSE(o.err.empty());
    }
    EXPECT_EQ(Read("modreg.dat"), kOneEntry);

    for (const char* command : {"list", "add", "delete", "make-link", "show-link", "check"}) {
        const Outcome o = Run({command, "--help"});
        EXPECT_EQ(o.status, 0) << command;
        EXPECT_EQ(o.out.rfind(std::string("사용법: mrvtool ") + command, 0), 0u) << o.out;
    }
    const Outcome tool = Run({"--help"});
    EXPECT_EQ(tool.status, 0);
    EXPECT_NE(tool.out.find("make-link"), std::string::npos);
}

TEST_F(Mrvtool, MissingFileIsNotCreated)
{
    EXPECT_EQ(Run({"add", "modreg.dat", "--no-backup"}).status, 1);
    EXPECT_EQ(Run({"list", "modreg.dat"}).status, 1);
    EXPECT_EQ(Run({"check", "modreg.dat"}).status, 1);
    EXPECT_TRUE(Files().empty());
}

TEST_F(Mrvtool, StatusThreeMeansTheFileChangedButTheOutputFailed)
{
    Write("modreg.dat", kOneEntry);
    const Outcome deleted = Run({"delete", "modreg.dat", "0", "--yes"}, "", true);
    EXPECT_EQ(deleted.status, 3) << deleted.err;
    EXPECT_NE(deleted.err.find("출력을 쓸 수 없습니다"), std::string::npos) << deleted.err;
    EXPECT_EQ(Read("modreg.dat"), Cat({kEmptyRegistry, kStartRecord})) << "the deletion happened: a retry must not delete again";

    // A command that changes nothing fails plainly.
    EXPECT_EQ(Run({"check", "modreg.dat"}, "", true).status, 1);
    const Outcome help = Run({"--help"});
    EXPECT_NE(help.out.find("3 화일은 바꾸었지만"), std::string::npos) << help.out;
}

TEST_F(Mrvtool, RefusesAnEntryTheHandsetCannotReadAndAFileTooLarge)
{
    Write("modreg.dat", kEmptyRegistry);
    const std::string t255(255, 't');
    const Outcome longEntry = Run({"add", "modreg.dat", "--title", t255, "--copyright", t255, "--bitrate", t255,
                                   "--kbps", std::string(200, 'k')});
    EXPECT_EQ(longEntry.status, 1);
    EXPECT_NE(longEntry.err.find("1024바이트"), std::string::npos) << longEntry.err;
    EXPECT_EQ(Read("modreg.dat"), kEmptyRegistry);

    Write("huge.dat", kEmptyRegistry);
    fs::resize_file(dir / "huge.dat", (std::uint64_t{1} << 30) + 1);   // sparse where the file system can
    for (const std::vector<std::string>& args : {std::vector<std::string>{"list", "huge.dat"},
                                                 {"add", "huge.dat"}, {"delete", "huge.dat", "0", "--yes"}}) {
        const Outcome o = Run(args);
        EXPECT_EQ(o.status, 1) << args[0];
        EXPECT_NE(o.err.find("너무 큽니다"), std::string::npos) << o.err;
    }
}

TEST_F(Mrvtool, WaitsForAnotherWriterThenRefuses)
{
    Write("modreg.dat", kOneEntry);
    auto holder = os::File::Open(dir / "modreg.dat", os::File::Access::ReadWrite);
    ASSERT_TRUE(holder.ok() && holder->TryLock().value());
    const Outcome o = Run({"add", "modreg.dat", "--number", "2", "--title", "t"});
    holder->Close();
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("다른 프로그램이 바꾸고 있습니다"), std::string::npos) << o.err;
    EXPECT_EQ(Read("modreg.dat"), kOneEntry);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});
}

// The confirmation on a terminal, driven in-process with a scripted terminal.
class Confirmation : public Mrvtool {
protected:
    int Delete(const std::string& answer, std::string* shown)
    {
        std::istringstream in(answer);
        std::ostringstream out, err;
        mrv::cli::Console console{in, out, err, true, [] { return mrv::registry::LocalTime{2005, 8, 9, 7, 3, 5}; }};
        const std::vector<std::string> args{"delete", os::PathText(dir / "modreg.dat"), "0"};
        const int status = mrv::cli::Run(args, console);
        *shown = err.str();
        return status;
    }
};

TEST_F(Confirmation, AsksWithTitleAndPath)
{
    Write("modreg.dat", kOneEntry);
    std::string shown;
    EXPECT_EQ(Delete("n\n", &shown), 1);
    EXPECT_NE(shown.find("[노래제목입력 : ZQT/MORVANTA/MRV_Dat00001] 을 목록에서 삭제 하시겠습니까?"), std::string::npos)
        << shown;
    EXPECT_EQ(Delete("", &shown), 1);
    EXPECT_EQ(Files(), std::vector<std::string>{"modreg.dat"});

    EXPECT_EQ(Delete("y\n", &shown), 0) << shown;
    EXPECT_EQ(Read("modreg.dat_2005_9_7_3_5"), kOneEntry);
    EXPECT_EQ(Read("modreg.dat"), Cat({kEmptyRegistry, kStartRecord}));
}

} // namespace

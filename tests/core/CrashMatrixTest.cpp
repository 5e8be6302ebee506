// Every file the program writes stays old or new, byte for byte, whatever
// fails: a failure is injected at each create, write, flush, truncate, rename
// and remove of an operation in turn, once as an error the disk reports and
// once as a crash (the process ends there). Afterwards each file holds its
// old or its new bytes, nothing else is left that the next run would not
// clean away, and an operation that reported "unchanged" changed nothing.
#include "RegistrySamples.h"

#include "cache/SavedFiles.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "songs/Import.h"
#include "tests/support/Process.h"

#include <array>
#include <cstdlib>
#include <map>
#include <set>

namespace mrv::registry::test {
namespace {

using namespace std::string_literals;
using Snapshot = std::map<std::string, Bytes>;   // path below the folder → bytes


Snapshot Take(const fs::path& dir)
{
    Snapshot s;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) s[fs::relative(e.path(), dir).string()] = FileBytes(e.path());
    return s;
}

enum class Reported { Success, Unchanged, NotConfirmed };

Reported Of(ErrorCode code) { return code == ErrorCode::NotConfirmed ? Reported::NotConfirmed : Reported::Unchanged; }
template <class T>
Reported Of(const Result<T>& r) { return r ? Reported::Success : Of(r.error().code); }

struct Scenario {
    const char* name;
    std::function<void(const fs::path& dir)> setUp;
    std::function<Reported(const fs::path& dir)> run;
    std::vector<std::string> targets;   // the files the operation changes: old after "unchanged"
    bool crashes = true;                // false: an in-place rewrite, which a crash may cut short
    // A registry appended to in place: after a crash between the record and
    // the header, the record's bytes may lie past the records as leftovers.
    bool leftoversAfterCrash = false;
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

void WriteIn(const fs::path& dir, const std::string& name, const Bytes& bytes)
{
    fs::create_directories((dir / name).parent_path());
    WriteBytes(dir / name, bytes);
}

// The bytes of a registry as far as its header reaches.
Bytes Counted(const Bytes& reg)
{
    const std::size_t used = 8 + (reg[4] | reg[5] << 8 | reg[6] << 16 | static_cast<std::size_t>(reg[7]) << 24);
    return Slice(reg, 0, std::min(used, reg.size()));
}

const Scenario kScenarios[] = {
    {"AppendWithBackupOverLeftovers",
     [](const fs::path& d) { WriteIn(d, "modreg.dat", Registry({kA}, Bytes(300, 0x5A))); },
     [](const fs::path& d) { return Of(Append(d / "modreg.dat", ModCardFields(), kNoon)); },
     {"modreg.dat"}, true, true},
    {"AppendPastTheEndWithoutBackup",
     [](const fs::path& d) { WriteIn(d, "modreg.dat", Registry({kA})); },
     [](const fs::path& d) { return Of(Append(d / "modreg.dat", WorkedFields(), std::nullopt)); },
     {"modreg.dat"}, true, true},
    {"Delete",
     [](const fs::path& d) { WriteIn(d, "modreg.dat", Registry({kA, kB, kWorkedRecord}, {'L', 'E', 'F', 'T'})); },
     [](const fs::path& d) { return Of(Delete(d / "modreg.dat", 1, kNoon)); },
     {"modreg.dat"}},
    {"DeleteInPlaceBesideAHardLink",
     [](const fs::path& d) {
         WriteIn(d, "modreg.dat", Registry({kA, kB, kWorkedRecord}));
         fs::create_hard_link(d / "modreg.dat", d / "other-name.dat");
     },
     [](const fs::path& d) { return Of(Delete(d / "modreg.dat", 0, kNoon)); },
     {"modreg.dat", "other-name.dat"}, false},
    {"Restore",
     [](const fs::path& d) {
         WriteIn(d, "modreg.dat", Registry({kA, kB, kWorkedRecord}, {'L', 'E', 'F', 'T'}));
         WriteIn(d, "modreg.dat_2005_9_1_1_1", Registry({kB}, {'O', 'L', 'D'}));
     },
     [](const fs::path& d) { return Of(Restore(d / "modreg.dat", d / "modreg.dat_2005_9_1_1_1", kNoon)); },
     {"modreg.dat", "modreg.dat_2005_9_1_1_1"}},
    {"RestoreInPlaceBesideAHardLink",
     [](const fs::path& d) {
         WriteIn(d, "modreg.dat", Registry({kA, kB, kWorkedRecord}));
         fs::create_hard_link(d / "modreg.dat", d / "other-name.dat");
         WriteIn(d, "modreg.dat_2005_9_1_1_1", Registry({kB}));
     },
     [](const fs::path& d) { return Of(Restore(d / "modreg.dat", d / "modreg.dat_2005_9_1_1_1", kNoon)); },
     {"modreg.dat", "other-name.dat", "modreg.dat_2005_9_1_1_1"}, false},
    {"ImportTwoSongs",
     [](const fs::path& d) {
         WriteIn(d, "modreg.dat", Registry({kA}, {'L', 'E', 'F', 'T'}));
         WriteIn(d, "source/a.zqm", Bytes(3000, 0x31));
         WriteIn(d, "source/b.zqm", Bytes(4000, 0x32));
         fs::create_directories(d / "save");
     },
     [](const fs::path& d) {
         songs::ImportSettings s;
         s.registry = d / "modreg.dat";
         s.saveFolder = d / "save";
         s.audio = DefaultAudioInfo();
         auto plan = songs::PlanImport(d / "source", s);
         if (!plan) return Of(plan.error().code);
         return Of(songs::RunImport(*plan, kNoon));
     },
     {"modreg.dat"}, true, true},
    {"BackupBesideATakenName",
     [](const fs::path& d) {
         WriteIn(d, "modreg.dat", Registry({kA}));
         WriteIn(d, BackupName("modreg.dat", kNoon).string(), {'o', 'l', 'd'});
     },
     [](const fs::path& d) { return Of(MakeBackup(d / "modreg.dat", kNoon)); },
     {}},
    {"LinkFileReplacingAnOlderOne",
     [](const fs::path& d) { WriteIn(d, "MOD_Dat00003", Bytes(112, 0xEE)); },
     [](const fs::path& d) { return Of(link::WriteLinkFile(d, LinkKind::Mod, "abc", 5, 3)); },
     {"MOD_Dat00003"}},
    {"SaveFolderCopyReplacingAFile",
     [](const fs::path& d) {
         WriteIn(d, "cache/a.zqm", Bytes(5000, 0x11));
         WriteIn(d, "save/a.zqm", Bytes(70, 0x22));
     },
     [](const fs::path& d) { return Of(cache::CopyReplacing(d / "cache/a.zqm", d / "save/a.zqm")); },
     {"save/a.zqm"}},
    {"SaveFolderRename",
     [](const fs::path& d) { WriteIn(d, "save/a.zqm", Bytes(70, 0x22)); },
     [](const fs::path& d) { return Of(cache::RenameWithoutReplacing(d / "save/a.zqm", d / "save/7.zqm")); },
     {"save/a.zqm", "save/7.zqm"}},
};

constexpr int kCrashed = 99;

// Ends the process at the at-th point that could fail, with no clean-up.
void DieAtPoint(int at)
{
    static int seen = 0;
    os::SetFaultHook([at](os::FaultPoint, const fs::path&) {
        if (++seen == at) std::_Exit(kCrashed);
        return false;
    });
}

// In the child: scenario name, folder, point.
int CrashInScenario(const std::vector<std::string>& args)
{
    for (const Scenario& s : kScenarios) {
        if (args.at(0) != s.name) continue;
        DieAtPoint(std::stoi(args.at(2)));
        s.run(os::PathFromUtf8(args.at(1)));
        return 0;
    }
    return 125;
}
const bool kCrashRegistered = ::mrv::test::RegisterChildRoutine("crash-matrix", &CrashInScenario);

class CrashMatrix : public ScratchDir, public ::testing::WithParamInterface<Scenario> {
protected:
    void TearDown() override
    {
        os::SetFaultHook(nullptr);
        ScratchDir::TearDown();
    }

    void Reset()
    {
        os::SetFaultHook(nullptr);
        fs::remove_all(dir);
        fs::create_directories(dir);
        GetParam().setUp(dir);
    }

    // Runs the operation with the fault at point `at` (1-based). Returns what
    // it reported; `points` counts the points it reached.
    Reported RunFailingAt(int at, int* points = nullptr)
    {
        int seen = 0;
        os::SetFaultHook([&seen, at](os::FaultPoint, const fs::path&) { return ++seen == at; });
        const Reported r = GetParam().run(dir);
        os::SetFaultHook(nullptr);
        if (points) *points = seen;
        return r;
    }

    // Runs the operation in a child process that ends at point `at`, as a
    // killed program would.
    void CrashAt(int at)
    {
        EXPECT_EQ(::mrv::test::RunChild("crash-matrix", {GetParam().name, os::PathText(dir), std::to_string(at)}), kCrashed)
            << "the crash point was not reached";
    }

    // Each file holds its old or its new bytes (or is absent where it was
    // absent before or after); no other file is there.
    void ExpectOldOrNew(const Snapshot& now, bool leftoversAllowed)
    {
        std::set<std::string> names;
        for (const Snapshot* s : std::array<const Snapshot*, 3>{&before, &after, &now}) {
            for (const auto& [name, bytes] : *s) names.insert(name);
        }
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const auto state = [&name](const Snapshot& s) { auto it = s.find(name); return it == s.end() ? std::optional<Bytes>() : it->second; };
            const auto old = state(before), fresh = state(after), seen = state(now);
            if (seen == old || seen == fresh) continue;
            if (leftoversAllowed && seen && old && name == "modreg.dat" && Counted(*seen) == Counted(*old) &&
                ParseListing(*seen).entries.size() == ParseListing(*old).entries.size())
                continue;
            ADD_FAILURE() << "neither old nor new" << (seen ? "" : " (missing)") << (old || fresh ? "" : " (a stray file)");
        }
    }

    // The backups in the folder now, each as its bytes: complete backups never
    // change again, so a later change of the registry must leave them so.
    Snapshot Backups()
    {
        Snapshot all = Take(dir), backups;
        for (auto& [name, bytes] : all)
            if (ParseBackupName("modreg.dat", name)) backups[name] = std::move(bytes);
        return backups;
    }

    // A later change of the registry, as `add --no-backup` makes it: it writes
    // into the registry in place, so it would reach any backup that shared the
    // registry's bytes.
    void ExpectBackupsSurviveTheNextChange()
    {
        if (!fs::exists(dir / "modreg.dat")) return;
        const Snapshot backups = Backups();
        EntryFields next = WorkedFields();
        next.linkName = "MRV_Dat00777";
        next.title = "next";
        const auto added = Append(dir / "modreg.dat", next, std::nullopt);
        ASSERT_TRUE(added.ok()) << added.error().message;
        EXPECT_EQ(Backups(), backups) << "a backup changed with the registry";
    }

    Snapshot before, after;
};

TEST_P(CrashMatrix, ErrorAtEachPointLeavesEveryFileOldOrNew)
{
    Reset();
    before = Take(dir);
    int points = 0;
    ASSERT_EQ(RunFailingAt(0, &points), Reported::Success);
    after = Take(dir);
    ASSERT_NE(before, after);
    ASSERT_GE(points, 1);

    for (int at = 1; at <= points; ++at) {
        SCOPED_TRACE("failing point " + std::to_string(at) + " of " + std::to_string(points));
        Reset();
        const Reported r = RunFailingAt(at);
        const Snapshot now = Take(dir);
        ExpectOldOrNew(now, false);
        if (r == Reported::Success) {
            EXPECT_EQ(now, after);
        }
        if (r == Reported::Unchanged) {
            // "Unchanged" means the folder is as it was: no backup of a change
            // that did not happen, no temporary file.
            EXPECT_EQ(now, before);
        }
        ExpectBackupsSurviveTheNextChange();
    }
}

TEST_P(CrashMatrix, CrashAtEachPointLeavesEveryFileOldOrNewAndNothingInTheWay)
{
    if (!GetParam().crashes) GTEST_SKIP() << "an in-place rewrite; its backup is whole before it starts";
    Reset();
    before = Take(dir);
    int points = 0;
    ASSERT_EQ(RunFailingAt(0, &points), Reported::Success);
    after = Take(dir);

    for (int at = 1; at <= points; ++at) {
        SCOPED_TRACE("crash at point " + std::to_string(at) + " of " + std::to_string(points));
        Reset();
        CrashAt(at);
        // The next write into these folders clears away what the crash left.
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (e.is_directory()) RemoveLeftovers(e.path());
        }
        RemoveLeftovers(dir);
        ExpectOldOrNew(Take(dir), GetParam().leftoversAfterCrash);
        ExpectBackupsSurviveTheNextChange();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, CrashMatrix, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A crash leaves a temporary copy behind; the next change removes it and is
// not hindered by it, whatever process id it runs under.
// In the child: a deletion from the registry args[0], killed just before its
// new content takes the registry's name.
int DeleteDyingBeforeRename(const std::vector<std::string>& args)
{
    const fs::path reg = os::PathFromUtf8(args.at(0));
    os::SetFaultHook([reg](os::FaultPoint p, const fs::path& path) {
        if (p == os::FaultPoint::Rename && path == reg) std::_Exit(kCrashed);
        return false;
    });
    (void)Delete(reg, 0, kNoon);
    return 0;
}
const bool kDeleteRegistered = ::mrv::test::RegisterChildRoutine("delete-dying-before-rename", &DeleteDyingBeforeRename);

// A deletion killed between giving the registry its backup name and the
// rename leaves the backup as a second name of the registry. The next change,
// of whatever kind, first gives the backup bytes of its own.
TEST_F(ScratchDir, ABackupLeftAsASecondNameOfTheRegistryNeverChanges)
{
    const Bytes original = Registry({kA, kB});
    WriteBytes(reg, original);
    ASSERT_EQ(::mrv::test::RunChild("delete-dying-before-rename", {os::PathText(reg)}), kCrashed);
    const fs::path backup = BackupName(reg, kNoon);
    ASSERT_EQ(os::Stat(backup)->id, os::Stat(reg)->id) << "the kill should leave the backup linked";

    EntryFields next = WorkedFields();
    ASSERT_TRUE(Append(reg, next, std::nullopt).ok());
    EXPECT_EQ(FileBytes(backup), original);
    EXPECT_NE(os::Stat(backup)->id, os::Stat(reg)->id);
    EXPECT_EQ(os::Stat(backup)->links, 1u);
    EXPECT_EQ(ParseListing(FileBytes(reg)).entries.size(), 3u);

    // And a deletion after it, which replaces the registry, likewise.
    ASSERT_TRUE(Delete(reg, 0, LocalTime{2005, 8, 9, 12, 0, 7}).ok());
    EXPECT_EQ(FileBytes(backup), original);
}

TEST_F(ScratchDir, LeftoverOfACrashNeverBlocksTheNextChange)
{
    WriteBytes(reg, Registry({kA, kB}));
    ASSERT_EQ(::mrv::test::RunChild("delete-dying-before-rename", {os::PathText(reg)}), kCrashed);
    ASSERT_GT(FileCount(), 1u) << "the crash left its temporary file";

    const auto r = Delete(reg, 0, LocalTime{2005, 8, 9, 12, 0, 6});
    ASSERT_TRUE(r.ok()) << r.error().message;
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"modreg.dat", "modreg.dat_2005_9_12_0_5", "modreg.dat_2005_9_12_0_6"}));
}

} // namespace
} // namespace mrv::registry::test

// Going back to a backup: which files are the backups of a registry and in
// what order, what each holds, restoring one whole with the registry backed
// up first, and tidying old backups without touching anything else.
#include "RegistrySamples.h"

#include "core/FileSystem.h"

#include <algorithm>
#include <chrono>

namespace mrv::registry::test {
namespace {

using namespace std::string_literals;

const Bytes kC = MiniRecord("ZQT/CCC\0"s, "ccc", 20);

class RestoreTest : public ScratchDir {
protected:
    // A file beside the registry, with its time set a number of minutes ago.
    fs::path Put(const std::string& name, const Bytes& bytes, int minutesAgo)
    {
        WriteBytes(dir / name, bytes);
        Age(dir / name, minutesAgo);
        return dir / name;
    }
    static void Age(const fs::path& p, int minutesAgo)
    {
        fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
    }
    std::vector<std::string> Names(const std::vector<BackupInfo>& backups)
    {
        std::vector<std::string> names;
        for (const auto& b : backups) names.push_back(b.name);
        return names;
    }
    std::vector<std::string> FolderNames()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const BackupInfo& Named(const std::vector<BackupInfo>& backups, const std::string& name)
    {
        const auto it = std::find_if(backups.begin(), backups.end(), [&](const BackupInfo& b) { return b.name == name; });
        EXPECT_NE(it, backups.end()) << name;
        static const BackupInfo none;
        return it == backups.end() ? none : *it;
    }
};

TEST_F(RestoreTest, TheListingHoldsThisRegistrysBackupsNewestFirstEachWithWhatItHolds)
{
    WriteBytes(reg, Registry({kA, kB, kC}));
    Put("modreg.dat_2026_14_9_5_1", Registry({kA}), 30);
    Put("modreg.dat_2026_14_9_5_1_2", Registry({kA, kB}), 20);
    Put("modreg.dat_2026_14_9_7_0", Cat({Header(3, 999), kA}), 10);   // damaged
    fs::create_directory(dir / "modreg.dat_2026_14_9_8_0");             // a folder
    // Not this registry's backups: another registry's, and names that only look alike.
    for (const char* other : {"other.dat_2026_14_9_5_1", "modreg.dat_2026_14_9_5", "modreg.dat_2026_14_9_5_1_1",
                              "modreg.dat_2026_14_9_5_1_x", "modreg.dat.bak", "xmodreg.dat_2026_14_9_5_1"})
        Put(other, Registry({kA}), 5);

    const auto listed = ListBackups(reg);
    ASSERT_TRUE(listed.ok()) << listed.error().message;
    const auto& backups = *listed;
    EXPECT_EQ(Names(backups)[3], "modreg.dat_2026_14_9_5_1") << "the oldest last";
    EXPECT_EQ(Names(backups)[2], "modreg.dat_2026_14_9_5_1_2");
    EXPECT_EQ(Names(backups)[1], "modreg.dat_2026_14_9_7_0");
    ASSERT_EQ(backups.size(), 4u);

    const BackupInfo& one = Named(backups, "modreg.dat_2026_14_9_5_1");
    EXPECT_TRUE(one.restorable);
    EXPECT_TRUE(one.file);
    EXPECT_EQ(one.entries, 1);
    EXPECT_EQ(one.size, Registry({kA}).size());
    EXPECT_EQ(one.fields.number, 1);
    EXPECT_EQ(Named(backups, "modreg.dat_2026_14_9_5_1_2").fields.number, 2);
    EXPECT_EQ(Named(backups, "modreg.dat_2026_14_9_5_1_2").entries, 2);

    const BackupInfo& damaged = Named(backups, "modreg.dat_2026_14_9_7_0");
    EXPECT_FALSE(damaged.restorable);
    EXPECT_TRUE(damaged.file);
    EXPECT_NE(damaged.reason.find("손상"), std::string::npos) << damaged.reason;
    const BackupInfo& folder = Named(backups, "modreg.dat_2026_14_9_8_0");
    EXPECT_FALSE(folder.restorable);
    EXPECT_FALSE(folder.file);
    EXPECT_EQ(folder.reason, "폴더입니다");
}

TEST_F(RestoreTest, ALinkToElsewhereAndAFileTooLargeForARegistryAreNotRestorable)
{
    WriteBytes(reg, Registry({kA}));
    fs::create_directories(dir / "elsewhere");
    WriteBytes(dir / "elsewhere" / "old", Registry({kA, kB}));
    std::error_code ec;
    fs::create_symlink("elsewhere/old", dir / "modreg.dat_2026_14_9_5_1", ec);
    const bool links = !ec;
    {
        std::ofstream(dir / "modreg.dat_2026_14_9_5_2", std::ios::binary);
    }
    fs::resize_file(dir / "modreg.dat_2026_14_9_5_2", kMaxRegistryBytes + 1);   // sparse: takes no room
    const auto listed = ListBackups(reg);
    ASSERT_TRUE(listed.ok());
    const BackupInfo& large = Named(*listed, "modreg.dat_2026_14_9_5_2");
    EXPECT_FALSE(large.restorable);
    EXPECT_NE(large.reason.find("크기"), std::string::npos) << large.reason;
    if (!links) return;   // Windows may not let this user make symbolic links
    const BackupInfo& link = Named(*listed, "modreg.dat_2026_14_9_5_1");
    EXPECT_FALSE(link.restorable);
    EXPECT_FALSE(link.file);
    EXPECT_EQ(link.reason, "다른 곳을 가리키는 링크입니다");
    EXPECT_FALSE(Restore(reg, link.path, kNoon).ok());
}

TEST_F(RestoreTest, TheTimeShownHasTheMonthFromTheFileAndWithoutOneTheNamesFields)
{
    BackupInfo b;
    b.fields = {2026, 14, 9, 5, 1, 1};
    EXPECT_EQ(BackupTimeText(b), "2026-?-14 09:05:01");
    b.modified = LocalTime{2026, 9, 14, 9, 5, 1, 0};
    EXPECT_EQ(BackupTimeText(b), "2026-09-14 09:05:01");
}

TEST_F(RestoreTest, RestoringPutsTheBackupsBytesInPlaceAndBacksUpTheRegistryFirst)
{
    const Bytes now = Registry({kA, kB, kC}, {'L', 'E', 'F', 'T'});
    const Bytes earlier = Registry({kA}, Bytes(40, 0x77));   // leftovers come back too
    WriteBytes(reg, now);
    const fs::path old = Put("modreg.dat_2026_14_9_5_1", earlier, 30);
    const auto restored = Restore(reg, old, kNoon);
    ASSERT_TRUE(restored.ok()) << restored.error().message;
    EXPECT_FALSE(restored->alreadyEqual);
    EXPECT_EQ(restored->entries, 1);
    EXPECT_EQ(FileBytes(reg), earlier);
    EXPECT_EQ(FileBytes(old), earlier) << "the backup restored from stays as it was";
    ASSERT_TRUE(restored->backup.has_value());
    EXPECT_EQ(*restored->backup, BackupName(reg, kNoon));
    EXPECT_EQ(FileBytes(*restored->backup), now);
    EXPECT_NE(os::Stat(*restored->backup)->id, os::Stat(reg)->id);

    // Going back again is a change like any other: the registry as it was is backed up.
    const auto again = Restore(reg, *restored->backup, LocalTime{2005, 8, 9, 12, 0, 6});
    ASSERT_TRUE(again.ok()) << again.error().message;
    EXPECT_EQ(FileBytes(reg), now);
    EXPECT_EQ(FileBytes(*again->backup), earlier);
}

TEST_F(RestoreTest, ABackupEqualToTheRegistryOrDamagedWritesNothing)
{
    const Bytes now = Registry({kA, kB});
    WriteBytes(reg, now);
    const fs::path same = Put("modreg.dat_2026_14_9_5_1", now, 30);
    const fs::path damaged = Put("modreg.dat_2026_14_9_6_1", Cat({Header(2, 999), kA}), 20);
    const auto before = FolderNames();

    const auto equal = Restore(reg, same, kNoon);
    ASSERT_TRUE(equal.ok()) << equal.error().message;
    EXPECT_TRUE(equal->alreadyEqual);
    EXPECT_FALSE(equal->backup.has_value());

    const auto refused = Restore(reg, damaged, kNoon);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::Damaged);
    EXPECT_NE(refused.error().message.find("백업화일이 손상되어"), std::string::npos) << refused.error().message;
    EXPECT_EQ(FileBytes(reg), now);
    EXPECT_EQ(FolderNames(), before) << "no backup, no temporary file";
}

TEST_F(RestoreTest, ARegistryWithAnotherNameIsRestoredInPlaceForBothNames)
{
    WriteBytes(reg, Registry({kA, kB, kC}));
    fs::create_hard_link(reg, dir / "other-name.dat");
    const Bytes earlier = Registry({kB});
    const fs::path old = Put("modreg.dat_2026_14_9_5_1", earlier, 30);
    const auto restored = Restore(reg, old, kNoon);
    ASSERT_TRUE(restored.ok()) << restored.error().message;
    EXPECT_EQ(FileBytes(reg), earlier);
    EXPECT_EQ(FileBytes(dir / "other-name.dat"), earlier);
    EXPECT_EQ(FileBytes(*restored->backup), Registry({kA, kB, kC}));
    EXPECT_EQ(os::Stat(*restored->backup)->links, 1u);
}

TEST_F(RestoreTest, AnotherWriterKeepsTheRestoreAwayAndNothingIsWritten)
{
    const Bytes now = Registry({kA, kB});
    WriteBytes(reg, now);
    const fs::path old = Put("modreg.dat_2026_14_9_5_1", Registry({kA}), 30);
    auto holder = os::File::Open(reg, os::File::Access::ReadWrite);
    ASSERT_TRUE(holder.ok() && holder->TryLock().value());
    ChangeOptions quick;
    quick.lockWait = std::chrono::milliseconds(100);
    const auto before = FolderNames();
    for (const auto& r : {Restore(reg, old, kNoon, quick).ok(), RemoveBackups(reg, PlanTidy(*ListBackups(reg), 1), quick).ok()}) {
        EXPECT_FALSE(r);
    }
    EXPECT_EQ(FileBytes(reg), now);
    EXPECT_EQ(FolderNames(), before);
}

TEST_F(RestoreTest, TidyingKeepsTheNewestFilesAndTouchesNothingElse)
{
    WriteBytes(reg, Registry({kA}));
    for (int i = 0; i < 5; ++i) Put("modreg.dat_2026_14_9_5_" + std::to_string(i), Registry({kA}), 50 - i * 10);
    fs::create_directory(dir / "modreg.dat_2026_14_9_4_0");   // a folder: never removed
    Put("other.dat_2026_14_9_5_0", Registry({kA}), 100);
    Put("notes.txt", {'n'}, 100);

    const auto listed = ListBackups(reg);
    ASSERT_TRUE(listed.ok());
    const TidyPlan plan = PlanTidy(*listed, 2);
    ASSERT_EQ(plan.remove.size(), 3u);
    EXPECT_EQ(plan.bytes, 3 * Registry({kA}).size());
    for (const auto& b : plan.remove) EXPECT_TRUE(b.file);

    // One of them changes after the plan was made: it is left alone.
    WriteBytes(dir / "modreg.dat_2026_14_9_5_0", Registry({kA, kB}));
    const auto removed = RemoveBackups(reg, plan);
    ASSERT_TRUE(removed.ok()) << removed.error().message;
    EXPECT_EQ(removed->removed, 2);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"modreg.dat", "modreg.dat_2026_14_9_4_0", "modreg.dat_2026_14_9_5_0",
                                                       "modreg.dat_2026_14_9_5_3", "modreg.dat_2026_14_9_5_4", "notes.txt",
                                                       "other.dat_2026_14_9_5_0"}));
    EXPECT_TRUE(PlanTidy(*listed, 0).remove.size() == 4u) << "at least one stays";
}

} // namespace
} // namespace mrv::registry::test

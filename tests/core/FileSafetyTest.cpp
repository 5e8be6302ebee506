// What stays the user's when files are changed: links and owners kept, one
// writer at a time, no file too large to refuse, names at the file system's
// limit, leftovers of killed runs, and reading in pieces of any size.
#include "RegistrySamples.h"

#include "cache/SavedFiles.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "link/LinkFile.h"
#include "registry/RecordSource.h"
#include "tests/support/HeldFile.h"
#include "tests/support/Process.h"

#include <algorithm>
#include <cstdlib>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mrv::registry::test {
namespace {

using namespace std::string_literals;


EntryFields Numbered(int n)
{
    EntryFields f = WorkedFields();
    f.linkName = "MRV_Dat" + std::to_string(10000 + n);
    f.title = "song " + std::to_string(n);
    return f;
}

std::vector<std::string> Titles(const fs::path& reg)
{
    const auto listing = ReadList(reg);
    EXPECT_TRUE(listing.ok());
    EXPECT_FALSE(listing->damage);
    std::vector<std::string> titles;
    for (const Entry& e : listing->entries) titles.emplace_back(e.title);
    return titles;
}

// In a child: appends args[2] numbered entries from args[1] to the registry args[0].
int AppendNumbered(const std::vector<std::string>& args)
{
    const fs::path reg = os::PathFromUtf8(args.at(0));
    const int first = std::stoi(args.at(1));
    for (int i = first; i < first + std::stoi(args.at(2)); ++i)
        if (!Append(reg, Numbered(i), std::nullopt)) return 1;
    return 0;
}
// In a child: deletes the first entry of the registry args[0], args[1] times.
int DeleteFirst(const std::vector<std::string>& args)
{
    const fs::path reg = os::PathFromUtf8(args.at(0));
    for (int i = 0; i < std::stoi(args.at(1)); ++i)
        if (!Delete(reg, 0, LocalTime{2005, 8, 9, 12, 0, i})) return 1;
    return 0;
}
const bool kRegistered = ::mrv::test::RegisterChildRoutine("append-numbered", &AppendNumbered) &&
                         ::mrv::test::RegisterChildRoutine("delete-first", &DeleteFirst);

// Holds the lock that every writer of this program honours on file.
os::File Held(const fs::path& file)
{
    auto held = os::File::Open(file, os::File::Access::ReadWrite);
    EXPECT_TRUE(held.ok() && held->TryLock().value());
    return std::move(*held);
}

// A symbolic link, or false where the system does not let this user make one
// (Windows asks for a privilege).
bool MadeSymlink(const fs::path& target, const fs::path& link)
{
    std::error_code ec;
    fs::create_symlink(target, link, ec);
    return !ec;
}
constexpr const char* kNoSymlinks = "this user may not make symbolic links here";

// ---- one writer at a time ----------------------------------------------------------

using OneWriter = ScratchDir;

TEST_F(OneWriter, TwoProcessesAppendingAtOnceLoseNothing)
{
    WriteBytes(reg, Registry({}));
    constexpr int kEach = 25;
    auto a = ::mrv::test::StartChild("append-numbered", {os::PathText(reg), "0", std::to_string(kEach)});
    auto b = ::mrv::test::StartChild("append-numbered", {os::PathText(reg), "100", std::to_string(kEach)});
    EXPECT_EQ(a.Wait().status, 0);
    EXPECT_EQ(b.Wait().status, 0);
    std::vector<std::string> titles = Titles(reg);
    std::sort(titles.begin(), titles.end());
    std::vector<std::string> expected;
    for (int i = 0; i < kEach; ++i) expected.push_back(Numbered(i).title), expected.push_back(Numbered(100 + i).title);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(titles, expected);
}

// A deletion replaces the file under its name; an append waiting for the lock
// must then write into the new file, not the one it opened first.
TEST_F(OneWriter, AppendsWaitingBehindDeletionsLandInTheNewFile)
{
    WriteBytes(reg, Registry({}));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(Append(reg, Numbered(i), std::nullopt).ok());
    auto deleter = ::mrv::test::StartChild("delete-first", {os::PathText(reg), "10"});
    auto appender = ::mrv::test::StartChild("append-numbered", {os::PathText(reg), "200", "10"});
    EXPECT_EQ(deleter.Wait().status, 0);
    EXPECT_EQ(appender.Wait().status, 0);
    const std::vector<std::string> titles = Titles(reg);
    EXPECT_EQ(titles.size(), 20u);
    for (int i = 200; i < 210; ++i)
        EXPECT_NE(std::find(titles.begin(), titles.end(), Numbered(i).title), titles.end()) << i;
}

TEST_F(OneWriter, AHeldFileIsRefusedAfterAShortWaitAndNothingIsWritten)
{
    const Bytes before = Registry({kA});
    WriteBytes(reg, before);
    os::File holder = Held(reg);
    ChangeOptions quick;
    quick.lockWait = std::chrono::milliseconds(100);
    for (const auto& r : {Append(reg, WorkedFields(), kNoon, quick), Delete(reg, 0, kNoon, quick)}) {
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, ErrorCode::Busy);
        EXPECT_NE(r.error().message.find("다른 프로그램"), std::string::npos) << r.error().message;
    }
    holder.Close();
    EXPECT_EQ(FileBytes(reg), before);
    EXPECT_EQ(FileCount(), 1u) << "no backup";
    EXPECT_TRUE(Append(reg, WorkedFields(), kNoon, quick).ok()) << "free again once the holder is gone";
}

#ifdef _WIN32
// A virus scanner holds a file for a moment without sharing it: reading and
// changing wait for it instead of failing at once.
TEST_F(OneWriter, AFileAnotherProgramHoldsForAMomentIsWaitedFor)
{
    WriteBytes(reg, Registry({kA}));
    std::thread holder = ::mrv::test::HoldWithoutSharing(reg, std::chrono::milliseconds(500));
    const auto added = Append(reg, WorkedFields(), std::nullopt);
    holder.join();
    ASSERT_TRUE(added.ok()) << added.error().message;

    holder = ::mrv::test::HoldWithoutSharing(reg, std::chrono::milliseconds(500));
    const auto listed = ReadList(reg);
    holder.join();
    ASSERT_TRUE(listed.ok()) << listed.error().message;
    EXPECT_EQ(listed->entries.size(), 2u);
}
#endif

// A disk that is full: every change fails and leaves the folder as it was,
// "unchanged" and not "could not restore". MRV_FULL_DISK names an empty folder
// on a small file system of its own (scripts/test.sh mounts one as root).
TEST(FullDisk, ChangesThatFindTheDiskFullLeaveTheFolderAsItWas)
{
    const char* where = std::getenv("MRV_FULL_DISK");
    if (!where || !*where) GTEST_SKIP() << "MRV_FULL_DISK names no folder on a small file system of its own";
    const fs::path dir = os::PathFromUtf8(where);
    const fs::path reg = dir / "modreg.dat";
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());   // an earlier run's
    // A registry that ends on a page of the file system: an append needs a new one.
    constexpr std::size_t kPage = 4096;
    const Bytes one = MiniRecord("ZQT/A\0"s, "a", kPage - 8 - 4 - 9 - 4 - 6 - 2);
    const Bytes before = Registry({one});
    ASSERT_EQ(before.size(), kPage);
    WriteBytes(reg, before);
    {
        auto filler = os::File::CreateNew(dir / "filler", os::NewFileMode());
        ASSERT_TRUE(filler.ok()) << filler.error().message;
        std::uint64_t at = 0;
        for (std::size_t piece : {std::size_t{65536}, kPage, std::size_t{1}}) {
            const Bytes bytes(piece, 0x55);
            while (filler->WriteAt(at, bytes).ok()) at += piece;
        }
    }
    const auto names = [&dir] {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(dir)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    };
    const auto namesBefore = names();
    for (const auto& r : {Append(reg, WorkedFields(), std::nullopt), Append(reg, WorkedFields(), kNoon), Delete(reg, 0, kNoon)}) {
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().code, ErrorCode::NotConfirmed) << r.error().message;
        EXPECT_EQ(FileBytes(reg), before);
        EXPECT_EQ(names(), namesBefore);
    }
    fs::remove(dir / "filler");
    fs::remove(reg);
}

TEST_F(OneWriter, ListingTakesNoLock)
{
    WriteBytes(reg, Registry({kA}));
    const os::File holder = Held(reg);
    EXPECT_EQ(Titles(reg), std::vector<std::string>{"a"});
}

// ---- links and owners -----------------------------------------------------------------

using KeptAsTheUsers = ScratchDir;

TEST_F(KeptAsTheUsers, ARegistryReachedThroughASymbolicLinkIsChangedWhereItLies)
{
    fs::create_directory(dir / "phone");
    const fs::path real = dir / "phone" / "modreg.dat";
    WriteBytes(real, Registry({kA, kB}));
    if (!MadeSymlink("phone/modreg.dat", reg)) GTEST_SKIP() << kNoSymlinks;

    const auto deleted = Delete(reg, 0, kNoon);
    ASSERT_TRUE(deleted.ok()) << deleted.error().message;
    EXPECT_TRUE(fs::is_symlink(reg)) << "the link stays a link";
    EXPECT_EQ(Titles(real), std::vector<std::string>{"bb"});
    EXPECT_EQ(*deleted->backup, BackupName(reg, kNoon)) << "the backup lies beside the name the user gave";
    EXPECT_EQ(FileBytes(*deleted->backup), Registry({kA, kB}));

    ASSERT_TRUE(Append(reg, WorkedFields(), std::nullopt).ok());
    EXPECT_TRUE(fs::is_symlink(reg));
    EXPECT_EQ(Titles(real), (std::vector<std::string>{"bb", kWorkedTitle}));
}

TEST_F(KeptAsTheUsers, AFileWithSeveralNamesIsChangedForAllOfThem)
{
    WriteBytes(reg, Registry({kA, kB}));
    const fs::path other = dir / "copy-on-the-card.dat";
    fs::create_hard_link(reg, other);
    ASSERT_TRUE(Delete(reg, 0, kNoon).ok());
    EXPECT_EQ(os::Stat(reg)->links, 2u);
    EXPECT_EQ(Titles(other), std::vector<std::string>{"bb"});
    EXPECT_EQ(FileBytes(reg), Cat({Header(1, static_cast<std::int32_t>(kB.size())), kB, Slice(kB, kB.size() - kA.size(), kB.size())}));
}

// A deletion's backup is the replaced file itself under a second name: later
// changes of the registry must never reach it.
TEST_F(KeptAsTheUsers, ADeletionsBackupKeepsItsBytesThroughLaterChanges)
{
    const Bytes before = Registry({kA, kB});
    WriteBytes(reg, before);
    const auto deleted = Delete(reg, 0, kNoon);
    ASSERT_TRUE(deleted.ok()) << deleted.error().message;
    ASSERT_TRUE(Append(reg, WorkedFields(), std::nullopt).ok());
    ASSERT_TRUE(Delete(reg, 0, LocalTime{2005, 8, 9, 12, 0, 6}).ok());
    EXPECT_EQ(FileBytes(*deleted->backup), before);
    EXPECT_EQ(os::Stat(reg)->links, 1u);
}

TEST_F(KeptAsTheUsers, ABackupOnAnotherVolumeIsACopy)
{
#if defined(_WIN32)
    GTEST_SKIP() << "needs a second volume";
#endif
    std::error_code ec;
    if (!fs::is_directory("/dev/shm", ec) || os::Stat("/dev/shm")->id.device == os::Stat(dir)->id.device)
        GTEST_SKIP() << "needs a second file system";
    const fs::path elsewhere = fs::path("/dev/shm") / ("mrv-volume-" + os::RandomName(8));
    fs::create_directories(elsewhere);
    const Bytes before = Registry({kA, kB});
    WriteBytes(elsewhere / "modreg.dat", before);
    fs::create_symlink(elsewhere / "modreg.dat", reg);
    const auto deleted = Delete(reg, 1, kNoon);
    EXPECT_TRUE(deleted.ok()) << deleted.error().message;
    if (deleted) {
        EXPECT_EQ(deleted->backup->parent_path(), dir);
        EXPECT_EQ(FileBytes(*deleted->backup), before);
    }
    EXPECT_EQ(Titles(reg), std::vector<std::string>{"a"});
    fs::remove_all(elsewhere);
}

TEST_F(KeptAsTheUsers, OwnerGroupAndPermissionsStay)
{
#if defined(_WIN32)
    GTEST_SKIP() << "Windows keeps no owner, group and permission bits: a new file takes the access rules of its folder";
#else
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    WriteBytes(reg, Registry({kA, kB}));
    ASSERT_EQ(::chown(reg.c_str(), 4321, 8765), 0);
    ASSERT_EQ(::chmod(reg.c_str(), 0640), 0);
    const fs::path linkFile = dir / "MRV_Dat00001";
    WriteBytes(linkFile, Bytes(112, 1));
    ASSERT_EQ(::chown(linkFile.c_str(), 4321, 8765), 0);

    ASSERT_TRUE(Delete(reg, 0, kNoon).ok());
    ASSERT_TRUE(link::WriteLinkFile(dir, LinkKind::Mrv, "t", 0, 1).ok());
    for (const fs::path& p : {reg, linkFile}) {
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u) << p;
        EXPECT_EQ(st.st_gid, 8765u) << p;
    }
    struct stat st {};
    ::stat(reg.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif
}

TEST_F(KeptAsTheUsers, LinkFilesAndCopiesFollowSymbolicLinks)
{
    fs::create_directory(dir / "elsewhere");
    WriteBytes(dir / "elsewhere" / "real-link", Bytes(112, 7));
    if (!MadeSymlink("elsewhere/real-link", dir / "MRV_Dat00001")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(link::WriteLinkFile(dir, LinkKind::Mrv, "t", 0, 1).ok());
    EXPECT_TRUE(fs::is_symlink(dir / "MRV_Dat00001"));
    EXPECT_EQ(link::ReadLinkFile(dir / "elsewhere" / "real-link")->title, "t");

    WriteBytes(dir / "source.zqm", Bytes(3000, 9));
    ASSERT_TRUE(MadeSymlink("elsewhere/kept.zqm", dir / "saved.zqm"));
    ASSERT_TRUE(cache::CopyReplacing(dir / "source.zqm", dir / "saved.zqm").ok());
    EXPECT_TRUE(fs::is_symlink(dir / "saved.zqm"));
    EXPECT_EQ(FileBytes(dir / "elsewhere" / "kept.zqm"), Bytes(3000, 9));
}

// ---- sizes and names ---------------------------------------------------------------------

using Limits = ScratchDir;

TEST_F(Limits, ARegistryLargerThanMemoryIsRefusedBeforeItIsRead)
{
    {
        std::ofstream(reg).put('\0');
    }
    fs::resize_file(reg, std::uint64_t{64} << 30);   // sparse: takes no disk
    const auto list = ReadList(reg);
    ASSERT_FALSE(list.ok());
    EXPECT_EQ(list.error().code, ErrorCode::TooLarge);
    EXPECT_NE(list.error().message.find("너무 큽니다"), std::string::npos);
    EXPECT_EQ(VisitList(reg, [](const Entry&) {}).error().code, ErrorCode::TooLarge);
    EXPECT_EQ(Append(reg, WorkedFields(), kNoon).error().code, ErrorCode::TooLarge);
    EXPECT_EQ(Delete(reg, 0, kNoon).error().code, ErrorCode::TooLarge);
    EXPECT_EQ(FileCount(), 1u);

    fs::resize_file(reg, kMaxRegistryBytes + 1);
    EXPECT_EQ(ReadList(reg).error().code, ErrorCode::TooLarge);
}

TEST_F(Limits, AFileWithANameOfTheFullLengthCanBeCopiedAndReplaced)
{
    const std::string name = std::string(251, 'n') + ".zqm";   // 255 bytes
    WriteBytes(dir / "source.zqm", Bytes(100, 1));
    fs::create_directory(dir / "save");
    ASSERT_TRUE(cache::CopyReplacing(dir / "source.zqm", dir / "save" / name).ok());
    WriteBytes(dir / "source.zqm", Bytes(50, 2));
    ASSERT_TRUE(cache::CopyReplacing(dir / "source.zqm", dir / "save" / name).ok());
    EXPECT_EQ(FileBytes(dir / "save" / name), Bytes(50, 2));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "save"), fs::directory_iterator()), 1);
}

// ---- leftovers ----------------------------------------------------------------------------

using Leftovers = ScratchDir;

TEST_F(Leftovers, OnlyThoseOfWritersThatAreGoneAreRemoved)
{
    WriteBytes(dir / ".mrvdeadbeef.tmp", Bytes(10, 1));   // its writer was killed
    WriteBytes(dir / ".mrvstill000.tmp", Bytes(10, 2));   // its writer is at work
    WriteBytes(dir / ".mrvnotours.tmp", Bytes(10, 3));    // not a name this program makes
    WriteBytes(dir / "song.tmp", Bytes(10, 4));
    os::File working = Held(dir / ".mrvstill000.tmp");
    WriteBytes(reg, Registry({kA}));
    ASSERT_TRUE(Append(reg, WorkedFields(), kNoon).ok());
    working.Close();
    EXPECT_FALSE(fs::exists(dir / ".mrvdeadbeef.tmp"));
    EXPECT_TRUE(fs::exists(dir / ".mrvstill000.tmp"));
    EXPECT_TRUE(fs::exists(dir / ".mrvnotours.tmp"));
    EXPECT_TRUE(fs::exists(dir / "song.tmp"));
}

// ---- reading in pieces -----------------------------------------------------------------------

class SmallPieces : public ScratchDir, public ::testing::WithParamInterface<std::size_t> {};

// With pieces smaller than a record, every record and text crosses a border
// of the buffer; the results must not change.
TEST_P(SmallPieces, ListAppendAndDeleteGiveTheSameBytes)
{
    const Bytes longTitle = MiniRecord("ZQT/LONG\0"s, std::string(200, 'L'), 40);
    // A path longer than any piece and than the room kept in front of one.
    const Bytes longPath = MiniRecord(std::string(6000, 'P') + '\0', "p", 7);
    const std::vector<Bytes> files = {
        Registry({kA, longTitle, kB, longPath, kWorkedRecord}, Bytes(77, 0x33)),
        Registry({}),
        Cat({Header(3, 500), kA, kB}),   // damaged: promises more than it holds
    };
    for (const Bytes& file : files) {
        SCOPED_TRACE(file.size());
        const Listing whole = ParseListing(file);
        WriteBytes(reg, file);
        ReadOptions small;
        small.piece = GetParam();
        ChangeOptions changes;
        changes.read = small;
        std::vector<std::string> seen;
        const auto summary = VisitList(reg, [&seen](const Entry& e) { seen.emplace_back(std::string(e.title) + "|" + std::string(e.path)); },
                                       small);
        ASSERT_TRUE(summary.ok());
        ASSERT_EQ(seen.size(), whole.entries.size());
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], std::string(whole.entries[i].title) + "|" + std::string(whole.entries[i].path));
        EXPECT_EQ(summary->damage.has_value(), whole.damage.has_value());
        if (whole.damage) {
            EXPECT_EQ(summary->damage->offset, whole.damage->offset);
        }

        if (whole.damage || whole.entries.empty()) continue;
        const auto appended = Append(reg, ModCardFields(), kNoon, changes);
        ASSERT_TRUE(appended.ok()) << appended.error().message;
        EXPECT_EQ(FileBytes(*appended->backup), file);
        const Bytes afterAppend = FileBytes(reg);
        const auto deleted = Delete(reg, 1, LocalTime{2005, 8, 9, 12, 0, 6}, changes);
        ASSERT_TRUE(deleted.ok()) << deleted.error().message;
        EXPECT_EQ(FileBytes(*deleted->backup), afterAppend);
        EXPECT_EQ(FileBytes(reg), RemoveRecord(afterAppend, 1).value());
        for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
    }
}

// A file large enough to be read ahead on a second thread (from 8 MiB here,
// to keep the test small).
TEST_F(ScratchDir, ALargeRegistryReadAheadListsAndChangesAsAnyOther)
{
    ReadOptions early;
    early.readAheadAbove = std::size_t{8} << 20;
    ChangeOptions changes;
    changes.read = early;
    Bytes records;
    for (int i = 0; i < 60000; ++i) {
        const Bytes r = MiniRecord("ZQT/MOD/MOD_Dat" + std::to_string(i) + '\0', "song " + std::to_string(i), 120);
        records.insert(records.end(), r.begin(), r.end());
    }
    const Bytes file = Cat({Header(60000, static_cast<std::int32_t>(records.size())), records, Bytes(999, 0x44)});
    ASSERT_GT(file.size(), std::size_t{9} << 20);
    WriteBytes(reg, file);
    const Listing whole = ParseListing(file);
    std::size_t i = 0;
    const auto summary = VisitList(reg, [&](const Entry& e) {
        ASSERT_LT(i, whole.entries.size());
        EXPECT_EQ(e.title, whole.entries[i].title);
        EXPECT_EQ(e.path, whole.entries[i].path);
        ++i;
    }, early);
    ASSERT_TRUE(summary.ok());
    EXPECT_FALSE(summary->damage);
    EXPECT_EQ(i, 60000u);
    const auto deleted = Delete(reg, 30000, kNoon, changes);
    ASSERT_TRUE(deleted.ok()) << deleted.error().message;
    EXPECT_EQ(FileBytes(reg), RemoveRecord(file, 30000).value());
    EXPECT_EQ(FileBytes(*deleted->backup), file);
}

INSTANTIATE_TEST_SUITE_P(Bytes, SmallPieces, ::testing::Values(1, 2, 5, 13, 64, 4099, 100000));

} // namespace
} // namespace mrv::registry::test

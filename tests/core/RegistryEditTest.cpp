// Appending and deleting entries: resulting bytes, backups, refusals, and the
// order of writes that keeps a crash from breaking the registry.
#include "RegistrySamples.h"

#include <functional>

namespace mrv::registry::test {
namespace {

using namespace std::string_literals;


const Bytes kTail = {'L', 'E', 'F', 'T'};

std::int32_t Size(std::initializer_list<Bytes> records)
{
    return static_cast<std::int32_t>(Cat(records).size());
}

Bytes LastBytes(const Bytes& b, std::size_t n) { return Slice(b, b.size() - n, b.size()); }

// ---- append -----------------------------------------------------------------

using RegistryAppend = ScratchDir;

TEST_F(RegistryAppend, ToEmptyRegistryWritesAtOffset8)
{
    WriteBytes(reg, Header(0, 0));
    const auto r = Append(reg, WorkedFields(), std::nullopt);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(FileBytes(reg), Cat({Header(1, 155), kWorkedRecord}));
    EXPECT_FALSE(r->backup);
    EXPECT_EQ(FileCount(), 1u) << "no backup, no stray file";
}

TEST_F(RegistryAppend, OverwritesLeftoversFromTheirFirstByte)
{
    Bytes junk(300);
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>(i);
    WriteBytes(reg, Registry({kWorkedRecord}, junk));
    ASSERT_TRUE(Append(reg, ModCardFields(), std::nullopt).ok());
    EXPECT_EQ(FileBytes(reg), Cat({Header(2, 155 + 102), kWorkedRecord, kModCardRecord, Slice(junk, 102, 300)}));
}

TEST_F(RegistryAppend, GrowsTheFileOnlyWhereTheRecordRunsPastTheEnd)
{
    WriteBytes(reg, Registry({kWorkedRecord}, Bytes(10, 0xAA)));
    ASSERT_TRUE(Append(reg, ModCardFields(), std::nullopt).ok());
    EXPECT_EQ(FileBytes(reg), Cat({Header(2, 155 + 102), kWorkedRecord, kModCardRecord}));
}

TEST_F(RegistryAppend, BackupHoldsTheFileBeforeTheChange)
{
    const Bytes before = Registry({kA}, kTail);
    WriteBytes(reg, before);
    const auto r = Append(reg, WorkedFields(), kNoon);
    ASSERT_TRUE(r.ok()) << r.error().message;
    ASSERT_TRUE(r->backup);
    EXPECT_EQ(*r->backup, BackupName(reg, kNoon));
    EXPECT_EQ(FileBytes(*r->backup), before);
}

// ---- delete -------------------------------------------------------------------

using RegistryDelete = ScratchDir;

TEST_F(RegistryDelete, FirstMiddleAndLastMoveEverythingUpToThePhysicalEnd)
{
    const Bytes old = Registry({kA, kB, kWorkedRecord}, kTail);
    const Bytes expected[] = {
        Cat({Header(2, Size({kB, kWorkedRecord})), kB, kWorkedRecord, kTail, LastBytes(old, kA.size())}),
        Cat({Header(2, Size({kA, kWorkedRecord})), kA, kWorkedRecord, kTail, LastBytes(old, kB.size())}),
        Cat({Header(2, Size({kA, kB})), kA, kB, kTail, LastBytes(old, kWorkedRecord.size())}),
    };
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        WriteBytes(reg, old);
        const auto r = Delete(reg, index, LocalTime{2005, 8, 9, 12, 0, index});
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_EQ(FileBytes(reg), expected[index]);
    }
}

TEST_F(RegistryDelete, LastRecordWithoutLeftoversChangesOnlyTheHeader)
{
    WriteBytes(reg, Registry({kA, kB}));
    ASSERT_TRUE(Delete(reg, 1, kNoon).ok());
    EXPECT_EQ(FileBytes(reg), Cat({Header(1, Size({kA})), kA, kB}));
}

TEST_F(RegistryDelete, OnlyEntryThenAppendWritesAtOffset8)
{
    WriteBytes(reg, Registry({kA}));
    ASSERT_TRUE(Delete(reg, 0, kNoon).ok());
    EXPECT_EQ(FileBytes(reg), Cat({Header(0, 0), kA}));
    const auto l = ReadList(reg);
    ASSERT_TRUE(l.ok());
    EXPECT_FALSE(l->damage);
    EXPECT_TRUE(l->entries.empty());

    ASSERT_TRUE(Append(reg, WorkedFields(), std::nullopt).ok());
    EXPECT_EQ(FileBytes(reg), Cat({Header(1, 155), kWorkedRecord}));
}

TEST_F(RegistryDelete, AlwaysBacksUpTheFileBeforeTheChange)
{
    const Bytes before = Registry({kA, kB});
    WriteBytes(reg, before);
    const auto r = Delete(reg, 0, kNoon);
    ASSERT_TRUE(r.ok()) << r.error().message;
    ASSERT_TRUE(r->backup);
    EXPECT_EQ(FileBytes(*r->backup), before);
    EXPECT_EQ(FileCount(), 2u) << "no temporary file left behind";
}

TEST_F(RegistryDelete, KeepsThePermissions)
{
#if defined(_WIN32)
    GTEST_SKIP() << "Windows keeps no permission bits: a new file takes the access rules of its folder";
#endif
    WriteBytes(reg, Registry({kA, kB}));
    fs::permissions(reg, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(Delete(reg, 0, kNoon).ok());
    EXPECT_EQ(fs::status(reg).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(RegistryDelete, Row10000IsDeletableLikeAnyOther)
{
    Bytes recs;
    for (int i = 0; i < 10002; ++i) {
        const std::string n = std::to_string(i);
        const Bytes r = MiniRecord("ZQT/MOD/" + n + '\0', n);
        recs.insert(recs.end(), r.begin(), r.end());
    }
    WriteBytes(reg, Cat({Header(10002, static_cast<std::int32_t>(recs.size())), recs}));
    ASSERT_TRUE(Delete(reg, 10000, kNoon).ok());
    const auto l = ReadList(reg);
    ASSERT_TRUE(l.ok());
    ASSERT_FALSE(l->damage) << l->damage->message;
    ASSERT_EQ(l->entries.size(), 10001u);
    EXPECT_EQ(l->entries[9999].title, "9999");
    EXPECT_EQ(l->entries[10000].title, "10001");
}

TEST_F(RegistryDelete, IndexOutOfRangeChangesNothing)
{
    const Bytes before = Registry({kA, kB});
    WriteBytes(reg, before);
    for (int index : {-1, 2}) {
        const auto r = Delete(reg, index, kNoon);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, ErrorCode::OutOfRange);
    }
    EXPECT_EQ(FileBytes(reg), before);
    EXPECT_EQ(FileCount(), 1u);
}

// ---- refusals common to both changes --------------------------------------------

struct Change {
    const char* name;
    std::function<Result<ChangeOutcome>(const fs::path&)> run;
};

void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

const Change kChanges[] = {
    {"Append", [](const fs::path& p) { return Append(p, WorkedFields(), kNoon); }},
    {"Delete", [](const fs::path& p) { return Delete(p, 0, kNoon); }},
};

class RegistryRefusal : public ScratchDir, public ::testing::WithParamInterface<Change> {
protected:
    // Runs the change, expects code and that nothing at all was written.
    void ExpectRefused(const fs::path& file, ErrorCode code)
    {
        const bool existed = fs::exists(file);
        const Bytes before = existed && fs::is_regular_file(file) ? FileBytes(file) : Bytes{};
        const std::size_t files = FileCount();
        const auto r = GetParam().run(file);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, code) << r.error().message;
        EXPECT_FALSE(r.error().message.empty());
        EXPECT_EQ(fs::exists(file), existed);
        if (existed && fs::is_regular_file(file)) {
            EXPECT_EQ(FileBytes(file), before);
        }
        EXPECT_EQ(FileCount(), files) << "no backup, no temporary file";
    }
};

TEST_P(RegistryRefusal, DamagedFile)
{
    WriteBytes(reg, Cat({Header(2, 28), kA}));
    ExpectRefused(reg, ErrorCode::Damaged);
}

TEST_P(RegistryRefusal, MissingFileIsNotCreated)
{
    ExpectRefused(reg, ErrorCode::OpenFailed);
}

TEST_P(RegistryRefusal, Folder)
{
    fs::create_directory(reg);
    ExpectRefused(reg, ErrorCode::NotRegularFile);
}

TEST_P(RegistryRefusal, ReadOnlyFile)
{
    WriteBytes(reg, Registry({kA}));
    fs::permissions(reg, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (os::File::Open(reg, os::File::Access::ReadWrite).ok())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    ExpectRefused(reg, ErrorCode::OpenFailed);
}

// The backup goes beside the file; a name at the limit of the file system
// leaves no room for the backup's suffix, whoever runs the test.
TEST_P(RegistryRefusal, BackupThatCannotBeWritten)
{
    const fs::path longName = dir / std::string(250, 'm');
    WriteBytes(longName, Registry({kA}));
    ExpectRefused(longName, ErrorCode::BackupFailed);
}

INSTANTIATE_TEST_SUITE_P(BothChanges, RegistryRefusal, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryAppend, TextTooLongWritesNothing)
{
    const Bytes before = Registry({kA});
    WriteBytes(reg, before);
    EntryFields f = WorkedFields();
    f.audio.samplingRate = std::string(256, '4');
    const auto r = Append(reg, f, kNoon);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, ErrorCode::TextTooLong);
    EXPECT_EQ(FileBytes(reg), before);
    EXPECT_EQ(FileCount(), 1u);
}

// ---- backups --------------------------------------------------------------------

using RegistryBackup = ScratchDir;

TEST_F(RegistryBackup, SameSecondKeepsEveryCopy)
{
    WriteBytes(reg, Registry({kA}));
    const auto first = MakeBackup(reg, kNoon);
    WriteBytes(reg, Registry({kA, kB}));
    const auto second = MakeBackup(reg, kNoon);
    const auto third = MakeBackup(reg, kNoon);
    ASSERT_TRUE(first.ok() && second.ok() && third.ok());
    const fs::path base = BackupName(reg, kNoon);
    EXPECT_EQ(*first, base);
    EXPECT_EQ(*second, fs::path(base.string() + "_2"));
    EXPECT_EQ(*third, fs::path(base.string() + "_3"));
    EXPECT_EQ(FileBytes(*first), Registry({kA}));
    EXPECT_EQ(FileBytes(*second), Registry({kA, kB}));
}

TEST_F(RegistryBackup, NameTakenByAFolderIsPassedOver)
{
    WriteBytes(reg, Registry({kA}));
    fs::create_directory(BackupName(reg, kNoon));
    const auto b = MakeBackup(reg, kNoon);
    ASSERT_TRUE(b.ok()) << b.error().message;
    EXPECT_EQ(*b, fs::path(BackupName(reg, kNoon).string() + "_2"));
    EXPECT_TRUE(fs::is_directory(BackupName(reg, kNoon)));
}

TEST_F(RegistryBackup, MissingSourceIsAnError)
{
    EXPECT_EQ(MakeBackup(reg, kNoon).error().code, ErrorCode::OpenFailed);
    EXPECT_EQ(FileCount(), 0u);
}

} // namespace
} // namespace mrv::registry::test

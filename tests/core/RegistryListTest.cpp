// Listing: what the registry list shows, and every way a file can be unsound.
#include "RegistrySamples.h"

namespace mrv::registry::test {
namespace {

using namespace std::string_literals;

TEST(RegistryListing, EmptyRegistryListsNothing)
{
    const Listing l = ParseListing(Header(0, 0));
    EXPECT_FALSE(l.damage);
    EXPECT_TRUE(l.entries.empty());
    EXPECT_EQ(l.fileLength, 8u);
}

TEST(RegistryListing, RowsInFileOrderWithOffsets)
{
    const Bytes a = MiniRecord("ZQT/MOD/MOD_Dat00002\0"s, "zeta");
    const Bytes b = MiniRecord("ZQT/MOD/MOD_Dat00001\0"s, "alpha", 40);
    const Listing l = ParseListing(Registry({kWorkedRecord, a, b}));
    ASSERT_FALSE(l.damage) << l.damage->message;
    ASSERT_EQ(l.entries.size(), 3u);
    EXPECT_EQ(l.entries[0].title, kWorkedTitle);
    EXPECT_EQ(l.entries[0].path, "ZQT/MORVANTA/MRV_Dat00001");
    EXPECT_EQ(l.entries[0].offset, 8);
    EXPECT_EQ(l.entries[1].title, "zeta");
    EXPECT_EQ(l.entries[1].offset, 8 + 155);
    EXPECT_EQ(l.entries[2].title, "alpha");
    EXPECT_EQ(l.entries[2].path, "ZQT/MOD/MOD_Dat00001");
    EXPECT_EQ(l.entries[2].offset, static_cast<std::int64_t>(8 + 155 + a.size()));
    EXPECT_EQ(l.entryCount, 3);
}

TEST(RegistryListing, LeftoversAfterTheRecordsAreNeverListed)
{
    // Leftovers that look exactly like a further record.
    const Listing l = ParseListing(Registry({kWorkedRecord}, MiniRecord("ghost\0"s, "ghost")));
    ASSERT_FALSE(l.damage) << l.damage->message;
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0].title, kWorkedTitle);
}

TEST(RegistryListing, PathStopsAtInnerZeroButReadingGoesOnByPathSize)
{
    const Listing l = ParseListing(Registry({MiniRecord("ZQT/A\0junk\0"s, "first"), MiniRecord("ZQT/B\0"s, "second")}));
    ASSERT_FALSE(l.damage) << l.damage->message;
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].path, "ZQT/A");
    EXPECT_EQ(l.entries[0].title, "first");
    EXPECT_EQ(l.entries[1].path, "ZQT/B");
}

TEST(RegistryListing, TitleMayEndTheBody)
{
    const Listing l = ParseListing(Registry({MiniRecord("x\0"s, "end", 0)}));
    ASSERT_FALSE(l.damage) << l.damage->message;
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0].title, "end");
}

TEST(RegistryListing, EmptyTitleAndBodiesOver1024Bytes)
{
    const std::string longPath = std::string(1100, 'p') + '\0';
    const Listing l = ParseListing(Registry({MiniRecord(longPath, ""), MiniRecord("x\0"s, "after", 2000)}));
    ASSERT_FALSE(l.damage) << l.damage->message;
    ASSERT_EQ(l.entries.size(), 2u);
    EXPECT_EQ(l.entries[0].title, "");
    EXPECT_EQ(l.entries[0].path, std::string(1100, 'p'));
    EXPECT_EQ(l.entries[1].title, "after");
}

// ---- unsound files ----------------------------------------------------------

Bytes Le(std::int32_t v)
{
    Bytes b;
    PutLe32(b, static_cast<std::uint32_t>(v));
    return b;
}

const Bytes kLead = {0, 0, 0, 0, 0, 0, 0, 0, 1};
const Bytes kGood = MiniRecord("ZQT/A\0"s, "t"); // 28 bytes

// One record with the given body, header filled in to match.
Bytes WithBody(const Bytes& body)
{
    return Registry({Cat({Le(static_cast<std::int32_t>(body.size())), body})});
}

struct DamageCase {
    const char* name;
    Bytes bytes;
    std::int64_t offset;
    std::size_t entriesBefore;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class RegistryDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(RegistryDamage, IsReportedWithItsOffset)
{
    const DamageCase& c = GetParam();
    const Listing l = ParseListing(c.bytes);
    ASSERT_TRUE(l.damage) << "not noticed";
    EXPECT_EQ(l.damage->code, ErrorCode::Damaged);
    EXPECT_EQ(l.damage->offset, c.offset);
    EXPECT_NE(l.damage->message.find(std::to_string(c.offset)), std::string::npos) << l.damage->message;
    EXPECT_EQ(l.entries.size(), c.entriesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RegistryDamage,
    ::testing::Values(
        DamageCase{"Empty", {}, 0, 0},
        DamageCase{"ShorterThanHeader", Slice(Header(0, 0), 0, 7), 0, 0},
        DamageCase{"NegativeCount", Header(-1, 0), 0, 0},
        DamageCase{"NegativeRecordsSize", Header(0, -1), 4, 0},
        DamageCase{"FewerRecordsThanCount", Cat({Header(2, 28), kGood}), 36, 1},
        DamageCase{"LengthPrefixCutShort", Cat({Header(2, 30), kGood, {1, 0}}), 36, 1},
        DamageCase{"RecordRunsPastEnd", Cat({Header(1, 28), Slice(kGood, 0, 27)}), 8, 0},
        DamageCase{"NegativeRecordLength", Cat({Header(1, 4), Le(-1)}), 8, 0},
        DamageCase{"BodyTooShortForPathSize", WithBody(Bytes(12, 0)), 8, 0},
        DamageCase{"NegativePathSize", WithBody(Cat({kLead, Le(-2), {'A', 0, 0}})), 21, 0},
        DamageCase{"PathSizeBeyondBody", WithBody(Cat({kLead, Le(100), {'A', 0, 1, 'x'}})), 21, 0},
        DamageCase{"TitleLengthByteOutsideBody", WithBody(Cat({kLead, Le(2), {'A', 0}})), 27, 0},
        DamageCase{"TitleRunsPastBody", WithBody(Cat({kLead, Le(2), {'A', 0, 3, 'x', 'y'}})), 27, 0},
        DamageCase{"RecordsSizeLargerThanRecords", Cat({Header(1, 40), kGood, Bytes(12, 0)}), 4, 1},
        DamageCase{"RecordsSizeSmallerThanRecords", Cat({Header(1, 20), kGood}), 4, 1},
        DamageCase{"RecordsSizeWithoutRecords", Cat({Header(0, 28), kGood}), 4, 0},
        DamageCase{"SecondRecordBroken", Cat({Header(2, 32), kGood, Le(-5)}), 36, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- files ------------------------------------------------------------------

using RegistryReadList = ScratchDir;

TEST_F(RegistryReadList, ReadsAFile)
{
    WriteBytes(reg, Registry({kWorkedRecord}, {1, 2, 3}));
    const auto l = ReadList(reg);
    ASSERT_TRUE(l.ok()) << l.error().message;
    EXPECT_FALSE(l->damage);
    ASSERT_EQ(l->entries.size(), 1u);
    EXPECT_EQ(l->fileLength, 8u + 155u + 3u);
}

TEST_F(RegistryReadList, DamageNamesTheFile)
{
    WriteBytes(reg, Header(3, 0));
    const auto l = ReadList(reg);
    ASSERT_TRUE(l.ok()) << l.error().message;
    ASSERT_TRUE(l->damage);
    EXPECT_EQ(l->damage->file, reg);
}

TEST_F(RegistryReadList, MissingFileAndFolderAreErrors)
{
    EXPECT_EQ(ReadList(dir / "missing.dat").error().code, ErrorCode::OpenFailed);
    EXPECT_EQ(ReadList(dir).error().code, ErrorCode::NotRegularFile);
}

} // namespace
} // namespace mrv::registry::test

// The bytes of a new record, against records written out by hand.
#include "RegistrySamples.h"

#include <functional>
#include <set>

namespace mrv::registry::test {
namespace {

TEST(RegistryRecord, StartValuesGiveTheHandsetsRecord)
{
    const auto rec = BuildRecord(WorkedFields());
    ASSERT_TRUE(rec.ok()) << rec.error().message;
    EXPECT_EQ(*rec, kWorkedRecord);
}

// Field order (audio texts not in form order, play time before file size),
// signed numbers and the memory-card trailer, with one-byte texts so that
// every field sits at an offset of its own.
TEST(RegistryRecord, FieldsFollowTheHandsetsOrder)
{
    const auto rec = BuildRecord(ModCardFields());
    ASSERT_TRUE(rec.ok()) << rec.error().message;
    EXPECT_EQ(*rec, kModCardRecord);
}

struct TrailerCase {
    LinkKind kind;
    StorageLocation location;
    Bytes trailer;
};

void PrintTo(const TrailerCase& c, std::ostream* os)
{
    *os << (c.kind == LinkKind::Mod ? "MOD" : "MRV") << " location " << c.location;
}

class RegistryTrailer : public ::testing::TestWithParam<TrailerCase> {};

TEST_P(RegistryTrailer, ChosenByKindAndLocation)
{
    EntryFields f = WorkedFields();
    f.kind = GetParam().kind;
    f.location = GetParam().location;
    const auto rec = BuildRecord(f);
    ASSERT_TRUE(rec.ok()) << rec.error().message;
    ASSERT_GE(rec->size(), 13u);
    EXPECT_EQ(Slice(*rec, rec->size() - 13, rec->size()), GetParam().trailer);
}

const Bytes kMrv = {0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x4C, 0x09, 0x86, 0x42};
const Bytes kModInternal = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xCA, 0x88, 0x42};
const Bytes kModCard = {0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x10, 0x00, 0x9F, 0x3D, 0xD5, 0x12};

INSTANTIATE_TEST_SUITE_P(AllLocations, RegistryTrailer,
                         ::testing::Values(TrailerCase{LinkKind::Mrv, 0, kMrv}, TrailerCase{LinkKind::Mrv, 3, kMrv},
                                           TrailerCase{LinkKind::Mrv, 4, kMrv}, TrailerCase{LinkKind::Mrv, 5, kMrv},
                                           TrailerCase{LinkKind::Mod, 0, kModInternal},
                                           TrailerCase{LinkKind::Mod, 1, kModInternal},
                                           TrailerCase{LinkKind::Mod, 2, kModInternal},
                                           TrailerCase{LinkKind::Mod, 3, kModInternal},
                                           TrailerCase{LinkKind::Mod, 4, kModCard},
                                           TrailerCase{LinkKind::Mod, 5, kModCard}));

std::uint32_t Le32At(const Bytes& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(RegistryRecord, LengthIs72PlusPathAndTexts)
{
    const std::string s255(255, 'x');
    const struct {
        std::string link, title;
        AudioInfo audio;
    } cases[] = {
        {"", "", {"", "", "", "", ""}},
        {"MRV_Dat99999", "a", {"bb", "ccc", "dddd", "eeeee", "ffffff"}},
        // The longest entry the handset's list takes: a body of exactly 1024 bytes.
        {"", s255, {s255, s255, std::string(100, 'k'), std::string(74, 'r'), ""}},
    };
    for (const auto& c : cases) {
        EntryFields f;
        f.linkName = c.link;
        f.title = c.title;
        f.audio = c.audio;
        const auto rec = BuildRecord(f);
        ASSERT_TRUE(rec.ok()) << rec.error().message;
        const std::size_t texts = c.title.size() + c.audio.copyrightHolder.size() + c.audio.bitrate.size() +
                                  c.audio.kbps.size() + c.audio.samplingRate.size() + c.audio.audioFormat.size();
        const std::size_t expected = 72 + std::string("ZQT/MORVANTA/").size() + c.link.size() + texts;
        EXPECT_EQ(Le32At(*rec, 0), expected);
        EXPECT_EQ(rec->size(), 4 + expected);
        EXPECT_EQ(Le32At(*rec, 13), std::string("ZQT/MORVANTA/").size() + c.link.size() + 1);
    }
}

TEST(RegistryRecord, RefusesABodyOver1024BytesSayingByHowMuch)
{
    EntryFields f;
    f.title = std::string(255, 't');
    f.audio = {std::string(255, 'c'), std::string(255, 'b'), std::string(100, 'k'), std::string(75, 'r'), ""};
    const auto rec = BuildRecord(f);   // 72 + 13 + 940 = 1025
    ASSERT_FALSE(rec.ok());
    EXPECT_EQ(rec.error().code, ErrorCode::TextTooLong);
    EXPECT_NE(rec.error().message.find("1024바이트"), std::string::npos) << rec.error().message;
    EXPECT_NE(rec.error().message.find("1025바이트로 1바이트 넘습니다"), std::string::npos) << rec.error().message;

    f.linkName = std::string(2000, 'L');
    f.audio.samplingRate.clear();
    EXPECT_EQ(BuildRecord(f).error().code, ErrorCode::TextTooLong);
}

TEST(RegistryRecord, RefusesEachTextOver255BytesNamingIt)
{
    std::string AudioInfo::*audioTexts[] = {&AudioInfo::copyrightHolder, &AudioInfo::bitrate, &AudioInfo::kbps,
                                            &AudioInfo::samplingRate, &AudioInfo::audioFormat};
    std::set<std::string> messages;
    const auto check = [&](const std::function<void(EntryFields&, std::string)>& set) {
        EntryFields f = WorkedFields();
        set(f, std::string(255, 'x'));
        EXPECT_TRUE(BuildRecord(f).ok());
        set(f, std::string(256, 'x'));
        const auto rec = BuildRecord(f);
        ASSERT_FALSE(rec.ok());
        EXPECT_EQ(rec.error().code, ErrorCode::TextTooLong);
        messages.insert(rec.error().message);
    };
    check([](EntryFields& f, std::string s) { f.title = std::move(s); });
    for (auto member : audioTexts) check([member](EntryFields& f, std::string s) { f.audio.*member = std::move(s); });
    EXPECT_EQ(messages.size(), 6u) << "each message names its own field";
}

TEST(RegistryRecord, RefusesUnknownKindAndModLocation)
{
    EntryFields f = WorkedFields();
    f.kind = static_cast<LinkKind>(2);
    EXPECT_EQ(BuildRecord(f).error().code, ErrorCode::InvalidArgument);
    f.kind = LinkKind::Mod;
    for (StorageLocation bad : {-1, 6}) {
        f.location = bad;
        EXPECT_EQ(BuildRecord(f).error().code, ErrorCode::InvalidArgument) << bad;
    }
}

TEST(RegistryNames, EntryPathByKind)
{
    EXPECT_EQ(EntryPath(LinkKind::Mrv, "MRV_Dat00001"), "ZQT/MORVANTA/MRV_Dat00001");
    EXPECT_EQ(EntryPath(LinkKind::Mod, "MOD_Dat00003"), "ZQT/MOD/MOD_Dat00003");
}

TEST(RegistryNames, BackupNameLeavesOutMonthAndLeadingZeros)
{
    const LocalTime t{2005, 8, 9, 7, 3, 5};
    EXPECT_EQ(BackupName("/phone/modreg.dat", t), fs::path("/phone/modreg.dat_2005_9_7_3_5"));
    EXPECT_EQ(BackupName("modreg.dat", LocalTime{2024, 12, 31, 23, 59, 0}), fs::path("modreg.dat_2024_31_23_59_0"));
}

} // namespace
} // namespace mrv::registry::test

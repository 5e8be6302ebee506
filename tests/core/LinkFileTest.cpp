// The link file bytes, checked against literal files written out by hand.
#include "core/FileSystem.h"
#include "link/LinkFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using mrv::Bytes;
using mrv::ErrorCode;
using mrv::LinkKind;
namespace fs = std::filesystem;
namespace link = mrv::link;

Bytes Zeros(std::size_t n) { return Bytes(n, 0); }

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Ascii(std::string_view s) { return Bytes(s.begin(), s.end()); }

// MOD, location 5, number 3, title "abc": 117 bytes.
const Bytes kModCardAbc = Cat({
    {0x75, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00},
    {0x61, 0x62, 0x63}, Zeros(49),
    {0x19, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00},
    Zeros(28),
    {0x66, 0x69, 0x6C, 0x65, 0x3A, 0x2F, 0x2F, 0x6D, 0x6D, 0x63, 0x31, 0x2F, 0x4D, 0x50, 0x33, 0x2F,
     0x33, 0x2E, 0x64, 0x63, 0x66},
});

// MRV, location 0, number 1, empty title: 112 bytes.
const Bytes kMrvEmpty = Cat({
    {0x70, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00},
    Zeros(52),
    {0x58, 0x91, 0x26, 0x2F, 0x16, 0x00, 0x00, 0x00},
    Zeros(28),
    Ascii("file://mod/1.zqm"),
});

const Bytes kInternal{0x58, 0x91, 0x26, 0x2F, 0x16, 0x00, 0x00, 0x00};
const Bytes kCard{0x19, 0x00, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00};

Bytes Encode(LinkKind kind, std::string_view title, int loc, int number)
{
    auto r = link::EncodeLink(kind, title, loc, number);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
    return r.ok() ? *r : Bytes{};
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }

std::string PathOf(const Bytes& b) { return std::string(b.begin() + 96, b.end()); }

TEST(LinkEncode, DocumentedModCardExample)
{
    EXPECT_EQ(Encode(LinkKind::Mod, "abc", 5, 3), kModCardAbc);
    EXPECT_EQ(Encode(LinkKind::Mrv, "", 0, 1), kMrvEmpty);
}

TEST(LinkEncode, LengthAndPathForEveryLocationAndNumber)
{
    struct Row { LinkKind kind; int loc; int number; const char* path; std::uint8_t length; };
    const Row rows[] = {
        {LinkKind::Mod, 0, 1, "file://mod/1.zqm", 112},      {LinkKind::Mod, 1, 1, "file://MP3/1.zqm", 112},
        {LinkKind::Mod, 2, 1, "file://mod/1.dcf", 112},      {LinkKind::Mod, 3, 1, "file://MP3/1.dcf", 112},
        {LinkKind::Mod, 4, 1, "file://mmc1/MP3/1.zqm", 117}, {LinkKind::Mod, 5, 1, "file://mmc1/MP3/1.dcf", 117},
        {LinkKind::Mrv, 0, 1, "file://mod/1.zqm", 112},      {LinkKind::Mrv, 3, 1, "file://mod/1.zqm", 112},
        {LinkKind::Mrv, 5, 1, "file://mod/1.zqm", 112},      {LinkKind::Mrv, 0, 0, "file://mod/0.zqm", 112},
        {LinkKind::Mrv, 0, 99999, "file://mod/99999.zqm", 116},
        {LinkKind::Mod, 5, 12345, "file://mmc1/MP3/12345.dcf", 121},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << int(r.kind) << " loc " << r.loc << " number " << r.number);
        const Bytes b = Encode(r.kind, "t", r.loc, r.number);
        ASSERT_EQ(b.size(), r.length);
        EXPECT_EQ(Slice(b, 0, 8), (Bytes{r.length, 0, 0, 0, std::uint8_t(r.kind == LinkKind::Mod ? 6 : 7), 0, 0, 0}));
        EXPECT_EQ(PathOf(b), r.path);
        EXPECT_EQ(link::TargetPath(r.kind, r.loc, r.number), r.path);
    }
}

TEST(LinkEncode, LocationBlockFollowsLocationForBothKinds)
{
    for (int loc = 0; loc < 6; ++loc) {
        const Bytes& want = loc >= 4 ? kCard : kInternal;
        EXPECT_EQ(Slice(Encode(LinkKind::Mod, "x", loc, 7), 60, 8), want) << loc;
        // An MRV link keeps file://mod/N.zqm but still carries the block.
        const Bytes mrv = Encode(LinkKind::Mrv, "x", loc, 7);
        EXPECT_EQ(Slice(mrv, 60, 8), want) << loc;
        EXPECT_EQ(PathOf(mrv), "file://mod/7.zqm") << loc;
    }
}

TEST(LinkEncode, TitleField)
{
    const std::string fifty(50, 'A');
    const Bytes full = Encode(LinkKind::Mrv, fifty, 0, 1);
    EXPECT_EQ(Slice(full, 8, 50), Bytes(50, 'A'));
    EXPECT_EQ(Slice(full, 58, 2), Zeros(2));
    EXPECT_EQ(Slice(full, 60, 8), kInternal);

    // "노래" in CP949 is four bytes, written as they are.
    const Bytes hangul = Encode(LinkKind::Mrv, "\xB3\xEB\xB7\xA1", 0, 1);
    EXPECT_EQ(Slice(hangul, 8, 6), (Bytes{0xB3, 0xEB, 0xB7, 0xA1, 0, 0}));
}

TEST(LinkEncode, Refusals)
{
    struct Row { std::string title; int loc; int number; ErrorCode code; };
    const Row rows[] = {
        {std::string(51, 'A'), 0, 1, ErrorCode::TextTooLong},
        {std::string("ab\0c", 4), 0, 1, ErrorCode::InvalidArgument},
        {"t", -1, 1, ErrorCode::OutOfRange},
        {"t", 6, 1, ErrorCode::OutOfRange},
        {"t", 0, -1, ErrorCode::OutOfRange},
        {"t", 0, 100000, ErrorCode::OutOfRange},
    };
    for (const auto& r : rows) {
        auto result = link::EncodeLink(LinkKind::Mod, r.title, r.loc, r.number);
        ASSERT_FALSE(result.ok()) << r.loc << " " << r.number;
        EXPECT_EQ(result.error().code, r.code);
        EXPECT_FALSE(result.error().message.empty());
    }
}

TEST(LinkNames, Rules)
{
    EXPECT_EQ(link::LinkFileName(link::Prefix(LinkKind::Mrv), 1), "MRV_Dat00001");
    EXPECT_EQ(link::LinkFileName(link::Prefix(LinkKind::Mod), 0), "MOD_Dat00000");
    EXPECT_EQ(link::LinkFileName("MRV_Dat", 99999), "MRV_Dat99999");
    EXPECT_EQ(link::LinkFileName("MRV_Dat", 123456), "MRV_Dat123456");

    EXPECT_EQ(link::TargetFileName(7, LinkKind::Mod, true), "7.dcf");
    EXPECT_EQ(link::TargetFileName(7, LinkKind::Mod, false), "7.zqm");
    EXPECT_EQ(link::TargetFileName(7, LinkKind::Mrv, true), "7.zqm");
    EXPECT_EQ(link::TargetFileName(0, LinkKind::Mrv, false), "0.zqm");
}

TEST(LinkDecode, DocumentedExamples)
{
    auto mod = link::DecodeLink(kModCardAbc);
    ASSERT_TRUE(mod.ok()) << mod.error().message;
    EXPECT_EQ(mod->kind, LinkKind::Mod);
    EXPECT_EQ(mod->title, "abc");
    EXPECT_TRUE(mod->memoryCard);
    EXPECT_EQ(Bytes(mod->block.begin(), mod->block.end()), kCard);
    EXPECT_EQ(mod->targetPath, "file://mmc1/MP3/3.dcf");
    EXPECT_EQ(mod->length, 117u);
    EXPECT_EQ(mod->number, 3);
    EXPECT_EQ(mod->location, 5);

    auto mrv = link::DecodeLink(kMrvEmpty);
    ASSERT_TRUE(mrv.ok()) << mrv.error().message;
    EXPECT_EQ(mrv->kind, LinkKind::Mrv);
    EXPECT_EQ(mrv->title, "");
    EXPECT_FALSE(mrv->memoryCard);
    EXPECT_EQ(mrv->targetPath, "file://mod/1.zqm");
    EXPECT_FALSE(mrv->location.has_value());
}

// The header of kModCardAbc with another target path and a length field that fits it.
Bytes WithPath(Bytes base, std::string_view path)
{
    base.resize(96);
    base.insert(base.end(), path.begin(), path.end());
    base[0] = static_cast<std::uint8_t>(base.size());
    return base;
}

Bytes Poke(Bytes b, std::size_t at, std::uint8_t value)
{
    b[at] = value;
    return b;
}

TEST(LinkDecode, RefusesWhatTheWriterNeverWrites)
{
    Bytes longTitle = kModCardAbc;
    std::fill(longTitle.begin() + 8, longTitle.begin() + 59, 'A');
    Bytes badBlock = kModCardAbc;
    std::copy(kInternal.begin(), kInternal.end(), badBlock.begin() + 60);
    Bytes tooLong = kModCardAbc;
    tooLong.resize(122, '0');

    struct Row { const char* what; Bytes bytes; std::int64_t offset; };
    const Row rows[] = {
        {"empty", {}, 0},
        {"cut short", Slice(kMrvEmpty, 0, 111), 111},
        {"too long", tooLong, 121},
        {"length field", Poke(kModCardAbc, 0, 0x76), 0},
        {"length field high byte", Poke(kModCardAbc, 3, 0x01), 0},
        {"type 5", Poke(kModCardAbc, 4, 5), 4},
        {"type with high bytes", Poke(kModCardAbc, 5, 1), 4},
        {"51-byte title", longTitle, 58},
        {"bytes after the title's zero", Poke(kModCardAbc, 20, 'x'), 20},
        {"last title byte", Poke(kModCardAbc, 59, 1), 59},
        {"unknown block", Poke(kModCardAbc, 63, 0x30), 60},
        {"reserved bytes", Poke(kModCardAbc, 95, 1), 95},
        {"unknown URL", WithPath(kModCardAbc, "file://mmc2/MP3/3.dcf"), 96},
        {"URL case", WithPath(kMrvEmpty, "file://MOD/1.zqm"), 96},
        {"no number", WithPath(kModCardAbc, "file://mmc1/MP3/.dcf"), 112},
        {"leading zero", WithPath(kModCardAbc, "file://mmc1/MP3/03.dcf"), 112},
        {"six digits", WithPath(kMrvEmpty, "file://mod/100000.zqm"), 107},
        {"extension", WithPath(kModCardAbc, "file://mmc1/MP3/3.mp3"), 113},
        {"terminated path", WithPath(kMrvEmpty, std::string_view("file://mod/1.zqm\0", 17)), 108},
        {"card path, internal block", badBlock, 60},
        {"MOD path in an MRV link", WithPath(kMrvEmpty, "file://mod/1.dcf"), 96},
        {"MP3 folder in an MRV link", WithPath(kMrvEmpty, "file://MP3/1.zqm"), 96},
    };
    for (const auto& r : rows) {
        auto info = link::DecodeLink(r.bytes);
        ASSERT_FALSE(info.ok()) << r.what;
        EXPECT_EQ(info.error().code, ErrorCode::Damaged) << r.what;
        EXPECT_EQ(info.error().offset, r.offset) << r.what << ": " << info.error().message;
        EXPECT_NE(info.error().message.find("오프셋"), std::string::npos) << r.what << ": " << info.error().message;
    }

    // A MOD link's block must agree with its path: the writer derives both from one location.
    auto internalPathCardBlock = link::DecodeLink(WithPath(kModCardAbc, "file://mod/3.dcf"));
    ASSERT_FALSE(internalPathCardBlock.ok());
    EXPECT_EQ(internalPathCardBlock.error().offset, 60);
}

TEST(LinkDecode, TitleFieldReadsWhatIsThere)
{
    EXPECT_EQ(link::TitleField(kModCardAbc), "abc");
    EXPECT_EQ(link::TitleField(Slice(kModCardAbc, 0, 10)), "ab");
    EXPECT_EQ(link::TitleField(Slice(kModCardAbc, 0, 8)), "");
    Bytes full = kModCardAbc;
    std::fill(full.begin() + 8, full.begin() + 60, 'B');
    EXPECT_EQ(link::TitleField(full), std::string(52, 'B'));
}

class LinkFiles : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("linkfile-" + mrv::os::RandomName(10));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static Bytes Contents(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
};

TEST_F(LinkFiles, WritesNamedFileAndReplacesAnOldOne)
{
    auto first = link::WriteLinkFile(dir, LinkKind::Mod, "old title", 5, 3);
    ASSERT_TRUE(first.ok()) << first.error().message;
    auto second = link::WriteLinkFile(dir, LinkKind::Mod, "abc", 5, 3);
    ASSERT_TRUE(second.ok()) << second.error().message;
    EXPECT_EQ(*second, dir / "MOD_Dat00003");
    EXPECT_EQ(Contents(*second), kModCardAbc);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);

    auto info = link::ReadLinkFile(*second);
    ASSERT_TRUE(info.ok()) << info.error().message;
    EXPECT_EQ(info->title, "abc");
}

TEST_F(LinkFiles, RefusedTitleLeavesTheOldFile)
{
    ASSERT_TRUE(link::WriteLinkFile(dir, LinkKind::Mrv, "", 0, 1).ok());
    auto refused = link::WriteLinkFile(dir, LinkKind::Mrv, std::string(51, 'x'), 0, 1);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(Contents(dir / "MRV_Dat00001"), kMrvEmpty);
}

TEST_F(LinkFiles, Failures)
{
    auto missingFolder = link::WriteLinkFile(dir / "gone", LinkKind::Mrv, "", 0, 1);
    ASSERT_FALSE(missingFolder.ok());
    EXPECT_EQ(missingFolder.error().code, ErrorCode::WriteFailed);

    EXPECT_EQ(link::ReadLinkFile(dir / "missing").error().code, ErrorCode::OpenFailed);
    EXPECT_EQ(link::ReadLinkFile(dir).error().code, ErrorCode::NotRegularFile);

    const fs::path big = dir / "big";
    std::ofstream{big}.close();
    fs::resize_file(big, 1 << 20);
    auto tooBig = link::ReadLinkFile(big);
    ASSERT_FALSE(tooBig.ok());
    EXPECT_EQ(tooBig.error().code, ErrorCode::Damaged);
    EXPECT_EQ(tooBig.error().file, big);

    const fs::path damaged = dir / "damaged";
    std::ofstream(damaged, std::ios::binary).write(reinterpret_cast<const char*>(kMrvEmpty.data()), 100);
    auto shortFile = link::ReadLinkFile(damaged);
    ASSERT_FALSE(shortFile.ok());
    EXPECT_EQ(shortFile.error().offset, 100);
    EXPECT_NE(shortFile.error().message.find(damaged.string()), std::string::npos);
}

} // namespace

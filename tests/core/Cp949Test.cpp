// CP949 text: what the handset files hold, against what the toolkit and the
// terminal show. Byte values from the KS X 1001 / UHC code tables.
#include "text/Cp949.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace mrv::text;

namespace {

struct Sample {
    const char* utf8;
    std::string cp949;
};

const Sample kSamples[] = {
    {"abc", "abc"},
    {"가", "\xB0\xA1"},
    {"한글", "\xC7\xD1\xB1\xDB"},
    {"漢字", "\xF9\xD3\xED\xAE"},                  // Hanja
    {"abc가1", "abc\xB0\xA1" "1"},                 // mixed
    {"똠", "\x8C\x63"},                            // an extended syllable: its second byte looks like 'c'
    {"노래제목입력", "\xB3\xEB\xB7\xA1\xC1\xA6\xB8\xF1\xC0\xD4\xB7\xC2"},
    {"", ""},
};

} // namespace

TEST(Cp949, ConvertsBothWaysByteForByte)
{
    for (const auto& s : kSamples) {
        SCOPED_TRACE(s.utf8);
        auto cp949 = Utf8ToCp949(s.utf8);
        ASSERT_TRUE(cp949.has_value());
        EXPECT_EQ(*cp949, s.cp949);
        auto back = Cp949ToUtf8(s.cp949);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, s.utf8);
        EXPECT_EQ(Cp949Length(s.utf8), s.cp949.size());
    }
}

TEST(Cp949, RefusesWhatItCannotHoldAndSaysWhere)
{
    ConversionError error;
    EXPECT_FALSE(Utf8ToCp949("가나\xF0\x9F\x98\x80", &error).has_value());  // an emoji after two syllables
    EXPECT_EQ(error.position, 6u);
    EXPECT_FALSE(error.message.empty());
    EXPECT_FALSE(Cp949Length("\xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(Utf8ToCp949("\xC3\x28").has_value());       // not UTF-8 at all
    EXPECT_FALSE(Cp949ToUtf8("\xB0").has_value());           // a lead byte without its second byte
}

TEST(Cp949, LossyFormsKeepEverythingElse)
{
    EXPECT_EQ(Utf8ToCp949Lossy("가\xF0\x9F\x98\x80나"), "\xB0\xA1?\xB3\xAA");
    EXPECT_EQ(Cp949ToUtf8Lossy("\xB0\xA1\xFF" "a"), "가\xEF\xBF\xBD" "a");
}

TEST(Cp949, PrefixNeverEndsInsideADoubleByteCharacter)
{
    const std::string text = "a\xB0\xA1\x8C\x63" "b";  // a 가 똠 b
    EXPECT_EQ(Cp949Prefix(text, 0), "");
    EXPECT_EQ(Cp949Prefix(text, 1), "a");
    EXPECT_EQ(Cp949Prefix(text, 2), "a");
    EXPECT_EQ(Cp949Prefix(text, 3), "a\xB0\xA1");
    EXPECT_EQ(Cp949Prefix(text, 4), "a\xB0\xA1");           // not "a가" plus the first byte of 똠
    EXPECT_EQ(Cp949Prefix(text, 5), "a\xB0\xA1\x8C\x63");
    EXPECT_EQ(Cp949Prefix(text, 99), text);
    // Fifty Hangul bytes then more: 49 bytes give 24 syllables.
    std::string syllables;
    for (int i = 0; i < 30; ++i) syllables += "\xB0\xA1";
    EXPECT_EQ(Cp949Prefix(syllables, 49).size(), 48u);
}

namespace {

std::string Utf8Of(char32_t c)
{
    std::string s;
    if (c < 0x80) s += static_cast<char>(c);
    else if (c < 0x800) s += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    else s += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    return s;
}

} // namespace

#if __has_include(<iconv.h>) && !defined(_WIN32)
#include <iconv.h>

namespace {

// One conversion by the C library's own converter, or nullopt where it fails.
std::optional<std::string> Iconv(const char* to, const char* from, std::string in)
{
    iconv_t cd = iconv_open(to, from);
    std::string out(16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

// The built-in table against the C library's converter, every code both ways.
TEST(Cp949, AgreesWithTheCLibraryOnEveryCode)
{
    int mismatches = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            if (Cp949ToUtf8(pair) != Iconv("UTF-8", "CP949", pair) && ++mismatches < 10)
                ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        if (Utf8ToCp949(Utf8Of(c)) != Iconv("CP949", "UTF-8", Utf8Of(c)) && ++mismatches < 10)
            ADD_FAILURE() << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

#if defined(_WIN32)
#include "tests/support/CodePage.h"

// The same table on Windows, against the system's own code page 949: they
// agree on every code but the ones Windows alone accepts, the single bytes
// 0x80 and (written only) 0xFF and the user-defined rows C9 and FE
// (private-use characters), which the handset's files never hold and which
// are refused here as on Linux.
TEST(Cp949, AgreesWithWindowsCodePage949BesideItsUserDefinedRows)
{
    constexpr unsigned kCp949 = 949;
    const auto windowsOnly = [](int lead, int trail) {
        return lead == 0x80 || lead == 0xFF || ((lead == 0xC9 || lead == 0xFE) && trail >= 0xA1 && trail <= 0xFE);
    };
    int mismatches = 0, onlyWindows = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const auto ours = Cp949ToUtf8(pair);
            const auto system = mrv::test::SystemDecode(kCp949, pair);
            if (ours == system) continue;
            if (!ours && windowsOnly(lead, trail)) {
                if (lead == 0xC9 || lead == 0xFE) ++onlyWindows;
                continue;
            }
            if (++mismatches < 10) ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(onlyWindows, 2 * 94);
    EXPECT_EQ(mrv::test::SystemDecode(kCp949, "\x80"), "\xC2\x80");
    EXPECT_EQ(Cp949ToUtf8("\x80"), std::nullopt);

    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto ours = Utf8ToCp949(Utf8Of(c));
        const auto system = mrv::test::SystemEncode(kCp949, Utf8Of(c));
        if (ours == system) continue;
        const bool userDefined = system && !ours && system->size() <= 2 &&
                                 windowsOnly(static_cast<unsigned char>((*system)[0]), system->size() == 2 ? static_cast<unsigned char>((*system)[1]) : 0xA1);
        if (!userDefined && ++mismatches < 10) ADD_FAILURE() << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

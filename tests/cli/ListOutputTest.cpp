// The listing's output, which converts and escapes in one pass, sixteen bytes
// at a time, against the plain conversion and escaping it must equal, on
// texts that mix everything a registry may hold.
#include "cli/ListOutput.h"
#include "cli/Output.h"
#include "text/Cp949.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Shown(const Bytes& cp949)
{
    const std::string text(cp949.begin(), cp949.end());
    return mrv::text::Cp949ToUtf8Lossy(text.substr(0, text.find('\0')));
}

// Plain ASCII, escapes, Hangul and Hanja, broken codes and zeros, in runs
// long and short enough to fall on every place of a sixteen-byte window.
Bytes RandomText(std::mt19937& random)
{
    static const std::vector<Bytes> pieces = {
        {'Z', 'Q', 'T', '/'}, {'0', '1', '2', '3', '4', '5', '6', '7', '8'}, {'a'}, {' '}, {'\t'}, {'\n'}, {'\r'},
        {'\\'}, {'"'}, {0x7F}, {0x01}, {0x1F}, {0xB0, 0xA1}, {0xC7, 0xD1, 0xB1, 0xDB}, {0xF9, 0xD3}, {0x8C, 0x63},
        {0x80}, {0xFF}, {0xB0}, {0xB0, 0x20}, {0x00},
    };
    Bytes text;
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1), count(0, 24);
    for (std::size_t n = count(random); n > 0; --n) {
        const Bytes& piece = pieces[pick(random)];
        text.insert(text.end(), piece.begin(), piece.end());
    }
    return text;
}

using Entries = std::vector<std::pair<Bytes, Bytes>>;

// The listing of entries in both forms against the plain conversion and escaping.
void ExpectListedPlainly(const Entries& entries)
{
    for (const bool json : {false, true}) {
        std::ostringstream out;
        mrv::cli::ListOutput output(out, json);
        for (const auto& [title, path] : entries) output.Entry(title, path);
        output.Finish(true);

        std::string expected = json ? "[" : "";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string title = Shown(entries[i].first), path = Shown(entries[i].second);
            if (json) {
                expected += (i ? ",\n  " : "\n  ") + std::string("{\"index\": ") + std::to_string(i) +
                            ", \"title\": " + mrv::cli::JsonString(title) + ", \"path\": " + mrv::cli::JsonString(path) + "}";
            } else {
                expected += std::to_string(i) + "\t" + mrv::cli::TsvField(title) + "\t" + mrv::cli::TsvField(path) + "\n";
            }
        }
        if (json) expected += "\n]\n";
        const std::string got = out.str();
        // Not ASSERT_EQ: its line-by-line difference of outputs this long would take gigabytes.
        const auto differ = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
        const auto at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, differ.first - got.begin() - 40));
        ASSERT_TRUE(got == expected) << (json ? "JSON" : "tab-separated") << ", first difference at byte "
                                     << (differ.first - got.begin()) << ":\n got ..." << got.substr(at, 80)
                                     << "\nwant ..." << expected.substr(at, 80);
    }
}

TEST(ListOutput, EqualsThePlainConversionAndEscapingOnEveryKindOfText)
{
    std::mt19937 random(949);
    Entries entries;
    for (int i = 0; i < 3000; ++i) entries.emplace_back(RandomText(random), RandomText(random));
    ExpectListedPlainly(entries);
}

// Every pair of bytes from 0x81 up, alone, at the end of a sixteen-byte
// window and inside a longer text: the table's characters of two and three
// bytes, and every pair that is not CP949.
TEST(ListOutput, EveryTwoByteCodeAsThePlainConversionShowsIt)
{
    Entries entries;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; trail += trail < 0x40 ? 0x20 : 1) {
            const Bytes code{static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)};
            Bytes windowEnd(14, 'a'), inside(20, 'b');
            windowEnd.insert(windowEnd.end(), code.begin(), code.end());
            inside.insert(inside.begin() + 9, code.begin(), code.end());
            entries.emplace_back(code, windowEnd);
            entries.emplace_back(inside, code);
        }
    }
    ExpectListedPlainly(entries);
}

TEST(ListOutput, JsonArrayOnlyWhenTheRegistryCouldBeRead)
{
    std::ostringstream none, empty;
    mrv::cli::ListOutput(none, true).Finish(false);
    mrv::cli::ListOutput(empty, true).Finish(true);
    EXPECT_EQ(none.str(), "");
    EXPECT_EQ(empty.str(), "[]\n");
}

} // namespace

// The listing's output, which converts and escapes in one pass, sixteen bytes
// at a time, against the plain conversion and escaping it must equal, on
// texts that mix everything a registry may hold.
#include "cli/ListOutput.h"
#include "cli/Output.h"
#include "platform/Cp949.h"

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

TEST(ListOutput, EqualsThePlainConversionAndEscapingOnEveryKindOfText)
{
    std::mt19937 random(949);
    for (const bool json : {false, true}) {
        std::vector<std::pair<Bytes, Bytes>> entries;
        for (int i = 0; i < 3000; ++i) entries.emplace_back(RandomText(random), RandomText(random));
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
        const auto differ = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
        ASSERT_EQ(got, expected) << (json ? "JSON" : "tab-separated") << ", first difference at byte "
                                 << (differ.first - got.begin()) << ": ..."
                                 << got.substr(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, differ.first - got.begin() - 40)), 80);
    }
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

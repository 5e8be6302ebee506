// Conversion between the CP949 bytes that the handset files and the dialog
// members hold and the UTF-8 that the toolkit and the terminal show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mrv::text {

struct ConversionError {
    std::size_t position = 0;   // byte offset in the input of the first character that failed
    std::string message;        // UTF-8 sentence for the user
};

// UTF-8 → CP949. Fails for text that CP949 cannot hold (emoji, most non-Korean
// scripts) and for input that is not valid UTF-8.
std::optional<std::string> Utf8ToCp949(std::string_view utf8, ConversionError* error = nullptr);

// CP949 → UTF-8. Fails for bytes that are not valid CP949.
std::optional<std::string> Cp949ToUtf8(std::string_view cp949, ConversionError* error = nullptr);

// CP949 → UTF-8 for display: invalid bytes become U+FFFD instead of failing,
// so a damaged title still shows the rest of its text.
std::string Cp949ToUtf8Lossy(std::string_view cp949);
// The same, appended to out (for output built in one buffer).
void AppendCp949ToUtf8Lossy(std::string& out, std::string_view cp949);

// UTF-8 → CP949 for display: characters CP949 cannot hold become '?', so a
// message about a file with such a name can still be shown.
std::string Utf8ToCp949Lossy(std::string_view utf8);

// Number of CP949 bytes that a UTF-8 text takes, or nullopt when CP949 cannot hold it.
std::optional<std::size_t> Cp949Length(std::string_view utf8);

// The characters of the two-byte codes: lead byte 0x81..0xFD, trail byte
// 0x41..0xFE, row by row; 0xFFFF where the two bytes are not a code.
extern const char16_t kCp949Table[];

// The character of a two-byte CP949 code, or 0xFFFF when the two bytes are
// not one. For loops that convert and do something else in the same pass.
inline char16_t Cp949Char(unsigned char lead, unsigned char trail)
{
    if (lead < 0x81 || lead > 0xFD || trail < 0x41 || trail > 0xFE) return 0xFFFF;
    return kCp949Table[(lead - 0x81) * 190 + (trail - 0x41)];
}

// The UTF-8 of each two-byte code, in the order of kCp949Table: its bytes
// from the lowest, and their count in the top byte (0 where the two bytes
// are not a code). Made on first use.
const std::uint32_t* Cp949Utf8Table();

// True when the byte starts a two-byte CP949 character.
constexpr bool IsCp949LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The longest prefix of a CP949 text that has at most maxBytes bytes and does not
// end in the middle of a two-byte character.
std::string_view Cp949Prefix(std::string_view cp949, std::size_t maxBytes);

// A UTF-8 literal in the source turned into CP949; for the program's own fixed
// texts, which CP949 always holds. Aborts if it cannot (a programming error).
std::string K(std::string_view utf8Literal);

} // namespace mrv::text

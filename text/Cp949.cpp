// CP949 both ways through one table, the same on every system: two-byte codes
// whose lead byte is 0x81..0xFD and trail byte 0x41..0xFE, as the C library's
// converter has them (scripts/cp949-table.py). ASCII passes through untouched.
#include "text/Cp949.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace mrv::text {
namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFD;
constexpr unsigned kFirstTrail = 0x41;
constexpr unsigned kLastTrail = 0xFE;
constexpr std::size_t kTrails = kLastTrail - kFirstTrail + 1;
constexpr char16_t kNone = 0xFFFF;

} // namespace

// Row by row: the character of lead byte 0x81 + row, trail byte 0x41 + column.
constexpr char16_t kCp949Table[] =
#include "text/Cp949Table.inc"
    ;
static_assert(sizeof kCp949Table / sizeof kCp949Table[0] == (kLastLead - kFirstLead + 1) * kTrails + 1);

namespace {

constexpr const char16_t* kTable = kCp949Table;
constexpr std::size_t kTableSize = sizeof kCp949Table / sizeof kCp949Table[0];

constexpr char kCannotHold[] = "한글 코드(CP949)로 나타낼 수 없는 문자가 있습니다";
constexpr char kCannotRead[] = "한글 코드(CP949)로 읽을 수 없는 바이트가 있습니다";

// The code of every character of the table, by its value; 0 where none.
const std::array<std::uint16_t, 0x10000>& Codes()
{
    static const std::unique_ptr<std::array<std::uint16_t, 0x10000>> codes = [] {
        auto c = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        c->fill(0);
        for (std::size_t i = 0; i + 1 < kTableSize; ++i) {
            if (kTable[i] == kNone) continue;
            const auto lead = static_cast<std::uint16_t>(kFirstLead + i / kTrails);
            const auto trail = static_cast<std::uint16_t>(kFirstTrail + i % kTrails);
            (*c)[kTable[i]] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
        return c;
    }();
    return *codes;
}

// The character of a two-byte code, or kNone.
char16_t Decode(unsigned char lead, unsigned char trail) { return Cp949Char(lead, trail); }

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One character of UTF-8 at in[i]: its value and length, or length 0 for
// bytes that are not UTF-8 (a stray continuation, a cut sequence, an
// overlong form, a surrogate, beyond U+10FFFF).
struct Utf8Char {
    char32_t value = 0;
    std::size_t length = 0;
};

Utf8Char NextUtf8(std::string_view in, std::size_t i)
{
    const auto b = [&in](std::size_t k) { return static_cast<unsigned char>(in[k]); };
    const unsigned char first = b(i);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (first < 0x80) return {first, 1};
    if (first >= 0xC2 && first <= 0xDF) length = 2, value = first & 0x1F, least = 0x80;
    else if (first >= 0xE0 && first <= 0xEF) length = 3, value = first & 0x0F, least = 0x800;
    else if (first >= 0xF0 && first <= 0xF4) length = 4, value = first & 0x07, least = 0x10000;
    else return {};
    if (i + length > in.size()) return {};
    for (std::size_t k = 1; k < length; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return {};
        value = value << 6 | (b(i + k) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {value, length};
}

void Fail(ConversionError* error, std::size_t position, const char* what)
{
    if (!error) return;
    error->position = position;
    error->message = std::string(what) + " (" + std::to_string(position) + "번째 바이트)";
}

// The length of the run of ASCII bytes at in[i].
std::size_t AsciiRun(std::string_view in, std::size_t i)
{
    std::size_t end = i;
    while (end < in.size() && static_cast<unsigned char>(in[end]) < 0x80) ++end;
    return end - i;
}

} // namespace

const std::uint32_t* Cp949Utf8Table()
{
    static const std::unique_ptr<std::uint32_t[]> table = [] {
        auto t = std::make_unique<std::uint32_t[]>(kTableSize);
        for (std::size_t i = 0; i + 1 < kTableSize; ++i) {
            const std::uint32_t c = kTable[i];
            if (c == kNone) continue;
            // Every character of the table lies above U+0080.
            t[i] = c < 0x800 ? (2u << 24 | (0x80 | (c & 0x3F)) << 8 | (0xC0 | c >> 6))
                             : (3u << 24 | (0x80 | (c & 0x3F)) << 16 | (0x80 | ((c >> 6) & 0x3F)) << 8 | (0xE0 | c >> 12));
        }
        return t;
    }();
    return table.get();
}

namespace {

// UTF-8 as CP949. A character CP949 cannot hold (or bytes that are not UTF-8)
// stops the conversion, or, lossy, becomes one '?'.
std::optional<std::string> Encode(std::string_view utf8, ConversionError* error, bool lossy)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (const std::size_t run = AsciiRun(utf8, i)) {
            out.append(utf8.data() + i, run);
            i += run;
            continue;
        }
        const Utf8Char c = NextUtf8(utf8, i);
        const std::uint16_t code = c.length && c.value < 0x10000 ? Codes()[c.value] : 0;
        if (code != 0) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
            i += c.length;
            continue;
        }
        if (!lossy) {
            Fail(error, i, kCannotHold);
            return std::nullopt;
        }
        out += '?';
        // Skip the whole UTF-8 sequence of the character that failed.
        do {
            ++i;
        } while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80);
    }
    return out;
}

} // namespace

std::optional<std::string> Utf8ToCp949(std::string_view utf8, ConversionError* error) { return Encode(utf8, error, false); }

std::optional<std::string> Cp949ToUtf8(std::string_view cp949, ConversionError* error)
{
    std::string out;
    out.reserve(cp949.size() * 3 / 2);
    for (std::size_t i = 0; i < cp949.size();) {
        if (const std::size_t run = AsciiRun(cp949, i)) {
            out.append(cp949.data() + i, run);
            i += run;
            continue;
        }
        const char16_t c = i + 1 < cp949.size() ? Decode(static_cast<unsigned char>(cp949[i]), static_cast<unsigned char>(cp949[i + 1]))
                                                : kNone;
        if (c == kNone) {
            Fail(error, i, kCannotRead);
            return std::nullopt;
        }
        AppendUtf8(out, c);
        i += 2;
    }
    return out;
}

void AppendCp949ToUtf8Lossy(std::string& out, std::string_view cp949)
{
    // Written through a pointer into room made beforehand: at most three
    // bytes of UTF-8 for each byte of CP949.
    const std::size_t start = out.size();
    out.resize(start + 3 * cp949.size());
    char* to = out.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(cp949.data());
    const auto* end = from + cp949.size();
    while (from < end) {
        const unsigned char lead = *from;
        if (lead < 0x80) {
            *to++ = static_cast<char>(lead);
            ++from;
            continue;
        }
        const char16_t c = from + 1 < end ? Decode(lead, from[1]) : kNone;
        if (c == kNone) {
            // A bad pair counts as one character: its lead byte takes the next byte along.
            *to++ = '\xEF';
            *to++ = '\xBF';
            *to++ = '\xBD';
            from += (IsCp949LeadByte(lead) && from + 1 < end) ? 2 : 1;
            continue;
        }
        if (c < 0x800) {
            *to++ = static_cast<char>(0xC0 | (c >> 6));
        } else {
            *to++ = static_cast<char>(0xE0 | (c >> 12));
            *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
        from += 2;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::string Cp949ToUtf8Lossy(std::string_view cp949)
{
    std::string out;
    out.reserve(cp949.size() * 3 / 2);
    AppendCp949ToUtf8Lossy(out, cp949);
    return out;
}

std::string Utf8ToCp949Lossy(std::string_view utf8) { return *Encode(utf8, nullptr, true); }

std::optional<std::size_t> Cp949Length(std::string_view utf8)
{
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char c = NextUtf8(utf8, i);
        if (c.length == 0) return std::nullopt;
        if (c.value >= 0x80 && (c.value >= 0x10000 || Codes()[c.value] == 0)) return std::nullopt;
        length += c.value < 0x80 ? 1 : 2;
        i += c.length;
    }
    return length;
}

std::string_view Cp949Prefix(std::string_view cp949, std::size_t maxBytes)
{
    std::size_t i = 0;
    while (i < cp949.size()) {
        const unsigned char c = static_cast<unsigned char>(cp949[i]);
        const std::size_t width = (IsCp949LeadByte(c) && i + 1 < cp949.size()) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return cp949.substr(0, i);
}

std::string K(std::string_view utf8Literal)
{
    ConversionError err;
    auto converted = Utf8ToCp949(utf8Literal, &err);
    if (!converted) {
        std::fprintf(stderr, "internal text not representable in CP949: %s\n", err.message.c_str());
        std::abort();
    }
    return std::move(*converted);
}

} // namespace mrv::text

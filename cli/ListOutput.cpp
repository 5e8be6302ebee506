#include "cli/ListOutput.h"

#include "text/Cp949.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mrv::cli {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

// What each byte of a CP949 text needs: copied as it is, escaped, or read
// together with the next byte as a two-byte code.
enum : unsigned char { kPlain, kEscaped, kCp949 };

constexpr std::array<unsigned char, 256> Kinds(bool json)
{
    std::array<unsigned char, 256> kinds{};
    for (int b = 0; b < 256; ++b) {
        const bool escaped = b < 0x20 || b == 0x7F || b == '\\' || (json && b == '"');
        kinds[static_cast<std::size_t>(b)] = b >= 0x80 ? kCp949 : escaped ? kEscaped : kPlain;
    }
    return kinds;
}
constexpr std::array<unsigned char, 256> kTsvKinds = Kinds(false);
constexpr std::array<unsigned char, 256> kJsonKinds = Kinds(true);

// Which of sixteen bytes need more than a copy: control characters (the zero
// that ends a text among them), DEL, bytes of CP949 codes, the backslash and
// the quote. A bit per byte, from the first.
template <bool Json>
unsigned Specials16(const unsigned char* at)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    // As signed bytes, everything from 0x80 up is below 0x20 too.
    __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F))),
                                   _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
    if constexpr (Json) special = _mm_or_si128(special, _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
    return static_cast<unsigned>(_mm_movemask_epi8(special));
#else
    unsigned mask = 0;
    for (int i = 0; i < 16; ++i) {
        const unsigned char b = at[i];
        if (b < 0x20 || b >= 0x7F || b == '\\' || (Json && b == '"')) mask |= 1u << i;
    }
    return mask;
#endif
}

// Copies n bytes, n at most 16, without a call: two overlapping words.
void CopyShort(char* to, const unsigned char* from, std::size_t n)
{
    if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i) to[i] = static_cast<char>(from[i]);
    }
}

// Tab, newline and the other control characters as \t, \n, \xNN (JSON:
// \uNNNN and the quote too), and the backslash doubled.
char* AppendEscape(char* to, unsigned char c, bool json)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string_view named = c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : "";
    if (json && named.empty()) named = c == '"' ? "\\\"" : c == '\b' ? "\\b" : c == '\f' ? "\\f" : "";
    if (!named.empty()) return std::copy(named.begin(), named.end(), to);
    to = json ? std::copy_n("\\u00", 4, to) : std::copy_n("\\x", 2, to);
    *to++ = kHex[c >> 4];
    *to++ = kHex[c & 15];
    return to;
}

// A CP949 text up to its first zero byte, as escaped UTF-8; bytes that are
// not CP949 show as U+FFFD. Plain ASCII goes sixteen bytes at a time (paths,
// and the digits of titles, are nothing else), two-byte codes through the
// table of ready UTF-8. Works on locals only: a store through a char pointer
// could otherwise reach any member, which the compiler would then read again.
template <bool Json>
char* AppendField(char* to, std::span<const std::uint8_t> cp949, const std::uint32_t* utf8)
{
    const unsigned char* p = cp949.data();
    const unsigned char* const end = p + cp949.size();
    const unsigned char* kinds = Json ? kJsonKinds.data() : kTsvKinds.data();
    while (p < end) {
        // A run of plain ASCII: sixteen bytes at a time where there are
        // sixteen left; the last ones of a long text through the last sixteen.
        // Where the run ends, the byte there needs more than a copy.
        std::size_t plain;
        if (end - p >= 16) {
            const unsigned mask = Specials16<Json>(p);
            // All sixteen are copied (there is room behind), the plain ones count.
            std::memcpy(to, p, 16);
            if (mask == 0) {
                to += 16;
                p += 16;
                continue;
            }
            plain = static_cast<std::size_t>(__builtin_ctz(mask));
        } else {
            const auto left = static_cast<std::size_t>(end - p);
            if (cp949.size() >= 16) {
                const std::size_t skip = 16 - left;
                const unsigned mask = Specials16<Json>(end - 16) >> skip;
                plain = mask ? static_cast<std::size_t>(__builtin_ctz(mask)) : left;
            } else {
                plain = 0;
                while (plain < left && kinds[p[plain]] == kPlain) ++plain;
            }
            CopyShort(to, p, plain);
            if (plain == left) return to + plain;
        }
        to += plain;
        p += plain;
        if (*p == 0) break;
        if (*p < 0x80) {
            to = AppendEscape(to, *p, Json);
            ++p;
            continue;
        }
        // A run of two-byte codes. All four bytes of an entry of the table
        // are stored; its top byte, which says how many count, lies behind
        // them and is written over next.
        while (p + 1 < end && *p >= 0x80) {
            const unsigned lead = p[0] - 0x81u;
            const unsigned trail = p[1] - 0x41u;
            const std::uint32_t packed = lead < 125 && trail < 190 ? utf8[lead * 190 + trail] : 0;
            if (packed == 0) break;
            std::memcpy(to, &packed, 4);
            to += packed >> 24;
            p += 2;
        }
        if (p < end && *p >= 0x80) {
            // Not CP949: one replacement character for the pair, or for the
            // byte alone where the text ends after it.
            to = std::copy_n("\xEF\xBF\xBD", 3, to);
            p += (text::IsCp949LeadByte(*p) && p + 1 < end && p[1] != 0) ? 2 : 1;
        }
    }
    return to;
}

// A piece of text whose length the compiler knows.
template <std::size_t N>
char* Put(char* to, const char (&text)[N])
{
    std::memcpy(to, text, N - 1);
    return to + N - 1;
}

} // namespace

// The listing's own memory is this one buffer, whatever the registry's size.
ListOutput::ListOutput(std::ostream& out, bool json)
    : m_out(out), m_json(json), m_utf8(text::Cp949Utf8Table()), m_buffer(kBufferSize), m_to(m_buffer.data())
{
}

void ListOutput::Entry(std::span<const std::uint8_t> titleCp949, std::span<const std::uint8_t> pathCp949)
{
    // A byte of CP949 becomes at most six bytes of escaped text; the rest is
    // room for the words around them, the number and the last character's
    // four-byte store.
    const std::size_t most = 64 + 6 * (titleCp949.size() + pathCp949.size());
    if (static_cast<std::size_t>(m_buffer.data() + m_buffer.size() - m_to) < most) Reserve(most);
    char* to = m_to;
    if (m_json) {
        to = m_index == 0 ? Put(to, "[\n  {\"index\": ") : Put(to, ",\n  {\"index\": ");
        to = m_number.AppendTo(to);
        to = Put(to, ", \"title\": \"");
        to = AppendField<true>(to, titleCp949, m_utf8);
        to = Put(to, "\", \"path\": \"");
        to = AppendField<true>(to, pathCp949, m_utf8);
        to = Put(to, "\"}");
    } else {
        to = m_number.AppendTo(to);
        *to++ = '\t';
        to = AppendField<false>(to, titleCp949, m_utf8);
        *to++ = '\t';
        to = AppendField<false>(to, pathCp949, m_utf8);
        *to++ = '\n';
    }
    m_to = to;
    m_number.Next();
    ++m_index;
}

void ListOutput::Finish(bool complete)
{
    if (m_json && m_index > 0) Text("\n]\n");
    else if (m_json && complete) Text("[]\n");
    Flush();
}

void ListOutput::Text(std::string_view text)
{
    Reserve(text.size());
    m_to = std::copy(text.begin(), text.end(), m_to);
}

void ListOutput::Flush()
{
    m_out.write(m_buffer.data(), m_to - m_buffer.data());
    m_to = m_buffer.data();
}

void ListOutput::Reserve(std::size_t n)
{
    if (static_cast<std::size_t>(m_buffer.data() + m_buffer.size() - m_to) < n) Flush();
    if (m_buffer.size() < n) {
        m_buffer.resize(n);
        m_to = m_buffer.data();
    }
}

} // namespace mrv::cli

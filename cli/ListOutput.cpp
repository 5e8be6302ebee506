#include "cli/ListOutput.h"

#include "platform/Cp949.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>

namespace mrv::cli {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

// Sixteen bytes compared at once: the compiler's vectors, SIMD where the
// processor has it.
using Bytes16 = unsigned char __attribute__((vector_size(16)));
using SignedBytes16 = signed char __attribute__((vector_size(16)));

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

// True when the sixteen bytes at `at` need no escape and are ASCII.
bool Plain16(const unsigned char* at, unsigned char quote)
{
    Bytes16 v;
    std::memcpy(&v, at, 16);
    SignedBytes16 sv;
    std::memcpy(&sv, at, 16);
    // As signed bytes, everything from 0x80 up is below 0x20 too.
    const auto special = (sv < 0x20) | (v == 0x7F) | (v == '\\') | (v == quote);
    std::uint64_t halves[2];
    std::memcpy(halves, &special, 16);
    return (halves[0] | halves[1]) == 0;
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

// A CP949 text as escaped UTF-8; bytes that are not CP949 show as U+FFFD.
// Works on locals only: a store through a char pointer could otherwise reach
// any member, and the compiler would have to read them again after each.
char* AppendField(char* to, std::string_view cp949, bool json)
{
    const auto* p = reinterpret_cast<const unsigned char*>(cp949.data());
    const auto* end = p + cp949.size();
    const unsigned char quote = json ? '"' : '\\';
    // Sixteen plain bytes at a time (paths, and the digits of titles, are
    // nothing else); the last sixteen of a longer text are looked at again
    // rather than byte by byte.
    if (cp949.size() >= 16) {
        while (end - p >= 16 && Plain16(p, quote)) {
            std::memcpy(to, p, 16);
            to += 16;
            p += 16;
        }
        if (p < end && end - p < 16 && Plain16(end - 16, quote)) {
            std::memcpy(to, p, static_cast<std::size_t>(end - p));
            return to + (end - p);
        }
    }
    const unsigned char* kinds = json ? kJsonKinds.data() : kTsvKinds.data();
    const std::uint32_t* utf8 = text::Cp949Utf8Table();
    while (p < end) {
        const unsigned char b = *p;
        const unsigned char kind = kinds[b];
        if (kind == kPlain) {
            *to++ = static_cast<char>(b);
            ++p;
            continue;
        }
        if (kind == kEscaped) {
            to = AppendEscape(to, b, json);
            ++p;
            continue;
        }
        const unsigned lead = b - 0x81u;
        const unsigned trail = p + 1 < end ? p[1] - 0x41u : 0xFFu;
        const std::uint32_t packed = lead < 125 && trail < 190 ? utf8[lead * 190 + trail] : 0;
        if (packed == 0) {
            to = std::copy_n("\xEF\xBF\xBD", 3, to);
            p += (text::IsCp949LeadByte(b) && p + 1 < end) ? 2 : 1;
            continue;
        }
        // All four bytes are stored; the count in the top byte says how many are kept.
        const std::uint32_t bytes = packed & 0xFFFFFF;
        std::memcpy(to, &bytes, 4);
        to += packed >> 24;
        p += 2;
    }
    return to;
}

} // namespace

ListOutput::ListOutput(std::ostream& out, bool json) : m_out(out), m_json(json), m_buffer(kBufferSize), m_to(m_buffer.data()) {}

void ListOutput::Entry(std::size_t index, std::string_view titleCp949, std::string_view pathCp949)
{
    if (m_json && !m_any) Text("[");
    m_any = true;
    // A byte of CP949 becomes at most six bytes of escaped text; one more
    // byte of room for the last character's four-byte store.
    Reserve(64 + 6 * (titleCp949.size() + pathCp949.size()));
    if (m_json) {
        Put(index ? ",\n  {\"index\": " : "\n  {\"index\": ");
        Number(index);
        Put(", \"title\": \"");
        m_to = AppendField(m_to, titleCp949, true);
        Put("\", \"path\": \"");
        m_to = AppendField(m_to, pathCp949, true);
        Put("\"}");
    } else {
        Number(index);
        *m_to++ = '\t';
        m_to = AppendField(m_to, titleCp949, false);
        *m_to++ = '\t';
        m_to = AppendField(m_to, pathCp949, false);
        *m_to++ = '\n';
    }
}

void ListOutput::Finish(bool complete)
{
    if (m_json && m_any) Text("\n]\n");
    else if (m_json && complete) Text("[]\n");
    Flush();
}

void ListOutput::Text(std::string_view text)
{
    Reserve(text.size());
    Put(text);
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

void ListOutput::Put(std::string_view text)
{
    std::memcpy(m_to, text.data(), text.size());
    m_to += text.size();
}

void ListOutput::Number(std::size_t n)
{
    if (n != m_index) {
        m_digits = std::to_string(n);
        m_index = n;
    }
    m_to = std::copy(m_digits.begin(), m_digits.end(), m_to);
    ++m_index;
    for (auto d = m_digits.rbegin();; ++d) {
        if (d == m_digits.rend()) {
            m_digits.insert(m_digits.begin(), '1');
            break;
        }
        if (*d != '9') {
            ++*d;
            break;
        }
        *d = '0';
    }
}

} // namespace mrv::cli

// The output of mrvtool list: one line (or JSON object) per entry, built in
// one buffer and written in large pieces, so that a registry of a million
// entries lists at about the speed of reading it. The CP949 texts are
// converted to UTF-8 and escaped in the same pass.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <span>
#include <string_view>
#include <vector>

namespace mrv::cli {

class ListOutput {
public:
    ListOutput(std::ostream& out, bool json);

    // One entry, numbered from 0 in the order they come: its title and path
    // as they lie in the file, each shown up to its first zero byte.
    void Entry(std::span<const std::uint8_t> titleCp949, std::span<const std::uint8_t> pathCp949);
    // Ends the output: JSON closes its array, which is "[]" when the
    // registry could be read (complete) but held no entry, and nothing when
    // it could not be read at all.
    void Finish(bool complete);

private:
    // An index in decimal, kept as digits and counted up in place.
    class Decimal {
    public:
        explicit Decimal(std::size_t value)
        {
            char reversed[kMax];
            do {
                reversed[m_size++] = static_cast<char>('0' + value % 10);
                value /= 10;
            } while (value != 0);
            std::reverse_copy(reversed, reversed + m_size, m_digits);
        }
        // All kMax bytes are stored (there is room behind), m_size count.
        char* AppendTo(char* to) const
        {
            std::memcpy(to, m_digits, kMax);
            return to + m_size;
        }
        void Next()
        {
            std::size_t i = m_size;
            while (i > 0 && m_digits[i - 1] == '9') m_digits[--i] = '0';
            if (i > 0) {
                ++m_digits[i - 1];
            } else {
                std::memmove(m_digits + 1, m_digits, m_size++);
                m_digits[0] = '1';
            }
        }
        static constexpr std::size_t kMax = 20;   // the digits of the largest 64-bit number

    private:
        char m_digits[kMax] = {};
        std::size_t m_size = 0;
    };

    void Text(std::string_view text);
    void Flush();
    void Reserve(std::size_t n);

    std::ostream& m_out;
    bool m_json;
    const std::uint32_t* m_utf8;   // the UTF-8 of each CP949 code
    std::vector<char> m_buffer;
    char* m_to;
    std::size_t m_index = 0;   // of the next entry
    Decimal m_number{0};       // m_index in decimal
};

} // namespace mrv::cli

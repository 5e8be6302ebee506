// The output of mrvtool list: one line (or JSON object) per entry, built in
// one buffer and written in large pieces, so that a registry of a million
// entries lists at about the speed of reading it. The CP949 texts are
// converted to UTF-8 and escaped in the same pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
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
    void Text(std::string_view text);
    void Flush();
    void Reserve(std::size_t n);
    void Put(std::string_view text);
    // The next entry's index: kept as decimal digits and counted up in place.
    void Number();

    std::ostream& m_out;
    bool m_json;
    const std::uint32_t* m_utf8;   // the UTF-8 of each CP949 code
    std::vector<char> m_buffer;
    char* m_to;
    std::size_t m_index = 0;
    std::string m_digits = "0";   // m_index in decimal
    bool m_any = false;
};

} // namespace mrv::cli

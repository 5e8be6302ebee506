// The output of mrvtool list: one line (or JSON object) per entry, built in
// one buffer and written in large pieces, so that a registry of a million
// entries lists at about the speed of reading it. The CP949 texts are
// converted to UTF-8 and escaped in the same pass.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace mrv::cli {

class ListOutput {
public:
    ListOutput(std::ostream& out, bool json);

    // Entries come with their indexes in order, from 0.
    void Entry(std::size_t index, std::string_view titleCp949, std::string_view pathCp949);
    // Ends the output: JSON closes its array, which is "[]" when the
    // registry could be read (complete) but held no entry, and nothing when
    // it could not be read at all.
    void Finish(bool complete);

private:
    void Text(std::string_view text);
    void Flush();
    void Reserve(std::size_t n);
    void Put(std::string_view text);
    void Number(std::size_t n);

    std::ostream& m_out;
    bool m_json;
    std::vector<char> m_buffer;
    char* m_to;
    std::size_t m_index = 0;
    std::string m_digits = "0";   // m_index in decimal, counted up in place
    bool m_any = false;
};

} // namespace mrv::cli

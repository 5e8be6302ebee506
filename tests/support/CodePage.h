// Windows' own code page conversions, as the oracle of the tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mrv::test {

// Bytes of the code page to UTF-8, or nullopt where the system refuses them.
std::optional<std::string> SystemDecode(unsigned codePage, std::string_view bytes);
// UTF-8 to bytes of the code page, or nullopt where it cannot hold a character
// (no best-fit stand-ins).
std::optional<std::string> SystemEncode(unsigned codePage, std::string_view utf8);

} // namespace mrv::test

// UTF-8 and the UTF-16 of Windows' wide-character calls. Never fails: what
// is not valid in one comes out as U+FFFD in the other.
#pragma once

#include <string>
#include <string_view>

namespace mrv::os {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

} // namespace mrv::os

#include "tests/support/CodePage.h"

#include "core/windows/Wide.h"

#include <windows.h>

namespace mrv::test {

std::optional<std::string> SystemDecode(unsigned codePage, std::string_view bytes)
{
    wchar_t wide[16];
    const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide, 16);
    if (n <= 0) return std::nullopt;
    return os::Utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(n)));
}

std::optional<std::string> SystemEncode(unsigned codePage, std::string_view utf8)
{
    const std::wstring wide = os::WideFromUtf8(utf8);
    char out[16];
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out, 16,
                                        nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    return std::string(out, static_cast<std::size_t>(n));
}

} // namespace mrv::test

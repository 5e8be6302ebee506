#include "tests/support/Attributes.h"

#include <windows.h>

namespace mrv::test {
namespace {

bool Add(const std::filesystem::path& file, DWORD attribute)
{
    const DWORD now = ::GetFileAttributesW(file.c_str());
    return now != INVALID_FILE_ATTRIBUTES && ::SetFileAttributesW(file.c_str(), now | attribute);
}

} // namespace

bool MarkHidden(const std::filesystem::path& file) { return Add(file, FILE_ATTRIBUTE_HIDDEN); }
bool MarkSystem(const std::filesystem::path& file) { return Add(file, FILE_ATTRIBUTE_SYSTEM); }

} // namespace mrv::test

// File attributes that only Windows has, for the tests.
#pragma once

#include <filesystem>

namespace mrv::test {

// Gives the file the hidden or the system attribute; false where it could not.
bool MarkHidden(const std::filesystem::path& file);
bool MarkSystem(const std::filesystem::path& file);

} // namespace mrv::test

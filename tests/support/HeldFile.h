// Another program holding a file for a while, as a virus scanner or an indexer
// does on Windows, for the tests.
#pragma once

#include <chrono>
#include <filesystem>
#include <thread>

namespace mrv::test {

// Opens file without sharing it with anyone (Windows) and closes it after
// the given time, on a thread of its own; returns once the file is held.
std::thread HoldWithoutSharing(const std::filesystem::path& file, std::chrono::milliseconds time);

} // namespace mrv::test

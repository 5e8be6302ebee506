// Whole-file reads and whole-or-nothing writes for the format core.
#pragma once

#include "core/Result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mrv {

using Bytes = std::vector<std::uint8_t>;

// Reads a regular file whole. Refuses folders and devices.
Result<Bytes> ReadWholeFile(const std::filesystem::path& file);

// Writes bytes to a temporary file beside target, flushes it to disk and renames
// it over target, so that target holds either its old bytes or all the new ones.
// The new file gets the permissions of the file it replaces, or perms when the
// target does not exist yet (default: read and write for everyone, less umask).
Status WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                           std::optional<std::filesystem::perms> perms = std::nullopt);

// A message for a failed system call on a file, in Korean, with the reason.
Error FileError(ErrorCode code, const std::filesystem::path& file, const char* action, int errnoValue);

// The refusal of a folder, device or fifo where a file is expected.
Error NotRegularFileError(const std::filesystem::path& file);

// Writes all of size bytes to fd; on failure errno tells why.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size);

// Flushes the folder that holds file, so that a new or renamed name survives a crash.
void SyncFolderOf(const std::filesystem::path& file);

// The file's name in single quotes, for messages.
std::string Quoted(const std::filesystem::path& file);

} // namespace mrv

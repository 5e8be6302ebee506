// An existing file changed in place at explicit offsets, and new files that
// must not replace anything. The registry edits go through RandomAccessFile so
// that a test can stand in a file whose writes fail on purpose.
#pragma once

#include "core/FileIO.h"
#include "core/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace mrv {

class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;

    virtual const std::filesystem::path& path() const = 0;
    virtual Result<std::uint64_t> size() = 0;
    // Fills out completely or fails; a file that ends early is a ReadFailed.
    virtual Status readAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    // Writes all of bytes or fails; writing past the end lengthens the file.
    virtual Status writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    // Returns once everything written so far is on the disk.
    virtual Status sync() = 0;
};

// Opens an existing regular file for reading and writing. Never creates one:
// a missing file is an OpenFailed, a folder or device a NotRegularFile.
Result<std::unique_ptr<RandomAccessFile>> OpenForUpdate(const std::filesystem::path& file);

// Reads the whole of an open file.
Result<Bytes> ReadAll(RandomAccessFile& file);

// Creates file, which must not exist yet, with bytes as its content, flushed
// to the disk. Yields false, and touches nothing, when the name is already
// taken by anything; a half-written file is removed again on failure.
Result<bool> WriteNewFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace mrv

// The bytes of a registry, read front to back: either all of them held in
// memory, or an open file read in pieces through a buffer that only grows
// for a record whose path and title do not fit it. Each byte the walk moves
// past can be handed on (to a backup copy, to the file that replaces this one),
// so that one pass over the file does the checks and the copies together.
#pragma once

#include "core/FileSystem.h"
#include "core/Result.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace mrv::registry {

class RecordSource {
public:
    // Bytes that the walk has moved past, with their offset in the file.
    using Tap = std::function<Status(std::uint64_t offset, std::span<const std::uint8_t> bytes)>;

    explicit RecordSource(std::span<const std::uint8_t> all);
    RecordSource(os::File& file, std::uint64_t size, std::size_t piece);

    std::uint64_t Size() const { return m_size; }
    std::uint64_t Offset() const { return m_pos; }
    std::uint64_t Left() const { return m_size - m_pos; }

    // The next n bytes (n <= Left()), valid until the next call. A file that
    // has become shorter than it was is a ReadFailed.
    Result<std::span<const std::uint8_t>> Peek(std::size_t n);
    // Moves past n bytes (n <= Left()); the tap gets them by the next refill
    // or by AdvanceToEnd at the latest.
    Status Advance(std::uint64_t n);
    // Moves past everything that is left and hands the tap all it has not had.
    Status AdvanceToEnd();

    void SetTap(Tap tap) { m_tap = std::move(tap); }

private:
    Status Fill(std::size_t n);
    // Hands the bytes from m_tapped up to the current position to the tap.
    Status FlushTap();

    os::File* m_file = nullptr;
    std::span<const std::uint8_t> m_all;    // memory: every byte
    std::vector<std::uint8_t> m_buffer;     // file: bytes from m_bufferAt on
    std::uint64_t m_bufferAt = 0;
    std::size_t m_bufferUsed = 0;
    std::size_t m_piece = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
    std::uint64_t m_tapped = 0;
    Tap m_tap;
};

} // namespace mrv::registry

// The bytes of a registry, read front to back: either all of them held in
// memory, or an open file read in pieces. The bytes the walk moves past can be
// handed on (to a backup copy, to the file that replaces this one), so that
// one pass over the file does the checks and the copies together; they are
// handed on in large pieces, when a piece is done with and at the end.
#pragma once

#include "core/FileSystem.h"
#include "core/Result.h"
#include "registry/ReadOptions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace mrv::registry {

class RecordSource {
public:
    // Bytes that the walk has moved past, with their offset in the file.
    using Tap = std::function<Status(std::uint64_t offset, std::span<const std::uint8_t> bytes)>;

    explicit RecordSource(std::span<const std::uint8_t> all);
    RecordSource(os::File& file, std::uint64_t size, const ReadOptions& read);
    ~RecordSource();
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    std::uint64_t Size() const { return m_size; }
    std::uint64_t Offset() const { return m_pos; }
    std::uint64_t Left() const { return m_size - m_pos; }

    // The next n bytes (n <= Left()), valid until the next call; nullptr
    // when they cannot be read (Failure() tells why: a file that has become
    // shorter than it was is a ReadFailed).
    const std::uint8_t* Peek(std::size_t n)
    {
        if (m_pos + n <= m_dataAt + m_dataSize) return m_data + (m_pos - m_dataAt);
        return PeekSlow(n);
    }
    const Error& Failure() const { return m_failure; }
    // Moves past n bytes (n <= Left()); the tap gets them by the next refill
    // or by AdvanceToEnd at the latest. False when they cannot be read (see
    // Failure()).
    bool Advance(std::uint64_t n)
    {
        if (m_pos + n <= m_dataAt + m_dataSize) {
            m_pos += n;
            return true;
        }
        return AdvanceSlow(n);
    }
    // Moves past everything that is left and hands the tap all it has not had.
    Status AdvanceToEnd();

    void SetTap(Tap tap) { m_tap = std::move(tap); }

    // Memory aligned to a page: the system copies from its file cache to
    // such memory several times faster than to memory a few bytes off.
    struct PageAlignedDelete {
        void operator()(std::uint8_t* p) const;
    };
    using PageAligned = std::unique_ptr<std::uint8_t[], PageAlignedDelete>;
    static PageAligned AllocatePages(std::size_t n);

    // A piece of the file as the reader filled it, with room in front for the
    // bytes of the piece before that are still needed. The piece itself
    // starts on a page.
    struct Piece {
        PageAligned memory;
        std::size_t length = 0;   // bytes read, from memory + kRoomInFront
        Error failure;
        bool failed = false;
    };
    static constexpr std::size_t kRoomInFront = 4096;
    class Reader;

private:
    const std::uint8_t* PeekSlow(std::size_t n);
    bool AdvanceSlow(std::uint64_t n);
    Status Fill(std::size_t n);
    // Hands the bytes from m_tapped up to the current position to the tap.
    Status FlushTap();

    std::unique_ptr<Reader> m_reader;       // file: where the pieces come from
    Piece m_current;                        // file: the piece m_data points into
    std::vector<std::uint8_t> m_joined;     // file: a record's head longer than the room in front
    const std::uint8_t* m_data = nullptr;   // the bytes at hand, from file offset m_dataAt on
    std::uint64_t m_dataAt = 0;
    std::size_t m_dataSize = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
    std::uint64_t m_tapped = 0;
    Tap m_tap;
    Error m_failure;
};

} // namespace mrv::registry

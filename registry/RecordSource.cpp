#include "registry/RecordSource.h"

#include "core/FileIO.h"

#include <algorithm>
#include <cstring>

namespace mrv::registry {

RecordSource::RecordSource(std::span<const std::uint8_t> all) : m_all(all), m_size(all.size()) {}

RecordSource::RecordSource(os::File& file, std::uint64_t size, std::size_t piece)
    : m_file(&file), m_buffer(piece), m_piece(piece), m_size(size)
{
}

Status RecordSource::FlushTap()
{
    if (!m_tap || m_pos == m_tapped) {
        m_tapped = m_pos;
        return Ok{};
    }
    const auto bytes = m_file ? std::span<const std::uint8_t>(m_buffer).subspan(
                                    static_cast<std::size_t>(m_tapped - m_bufferAt), static_cast<std::size_t>(m_pos - m_tapped))
                              : m_all.subspan(static_cast<std::size_t>(m_tapped), static_cast<std::size_t>(m_pos - m_tapped));
    const std::uint64_t at = m_tapped;
    m_tapped = m_pos;
    return m_tap(at, bytes);
}

Status RecordSource::Fill(std::size_t n)
{
    // The bytes behind the position leave the buffer now: the tap gets them first.
    if (auto s = FlushTap(); !s) return s;
    // Keep what is still ahead, at the buffer's start.
    const std::size_t ahead = m_bufferUsed - static_cast<std::size_t>(m_pos - m_bufferAt);
    if (m_pos != m_bufferAt) {
        std::memmove(m_buffer.data(), m_buffer.data() + (m_pos - m_bufferAt), ahead);
        m_bufferAt = m_pos;
        m_bufferUsed = ahead;
    }
    if (m_buffer.size() < n) m_buffer.resize(n);
    // Read a whole piece where there is room, not just the n bytes asked for.
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(m_buffer.size() - m_bufferUsed, m_size - (m_bufferAt + m_bufferUsed)));
    auto got = m_file->ReadSome(m_bufferAt + m_bufferUsed, std::span(m_buffer).subspan(m_bufferUsed, want));
    if (!got) return got.error();
    m_bufferUsed += *got;
    if (m_bufferUsed < n) return ShortFileError(m_file->Path(), m_bufferAt + m_bufferUsed);
    return Ok{};
}

Result<std::span<const std::uint8_t>> RecordSource::Peek(std::size_t n)
{
    if (!m_file) return m_all.subspan(static_cast<std::size_t>(m_pos), n);
    const std::size_t ahead = m_bufferUsed - static_cast<std::size_t>(m_pos - m_bufferAt);
    if (ahead < n) {
        if (auto s = Fill(n); !s) return s.error();
    }
    return std::span<const std::uint8_t>(m_buffer).subspan(static_cast<std::size_t>(m_pos - m_bufferAt), n);
}

Status RecordSource::Advance(std::uint64_t n)
{
    if (!m_file) {
        m_pos += n;
        return Ok{};
    }
    while (n > 0) {
        std::size_t ahead = m_bufferUsed - static_cast<std::size_t>(m_pos - m_bufferAt);
        if (ahead == 0) {
            if (auto s = Fill(1); !s) return s;
            ahead = m_bufferUsed;
        }
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(n, ahead));
        m_pos += step;
        n -= step;
    }
    return Ok{};
}

Status RecordSource::AdvanceToEnd()
{
    if (auto s = Advance(Left()); !s) return s;
    return FlushTap();
}

} // namespace mrv::registry

#include "registry/RecordSource.h"

#include "core/FileIO.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <new>

namespace mrv::registry {
namespace {
constexpr std::size_t kPage = 4096;
static_assert(RecordSource::kRoomInFront % kPage == 0);
} // namespace

void RecordSource::PageAlignedDelete::operator()(std::uint8_t* p) const
{
    ::operator delete[](p, std::align_val_t{kPage});
}

RecordSource::PageAligned RecordSource::AllocatePages(std::size_t n)
{
    return PageAligned(static_cast<std::uint8_t*>(::operator new[](n, std::align_val_t{kPage})));
}

namespace {

// Files larger than this many pieces, and than ReadOptions::readAheadAbove
// bytes, are read ahead on a second thread; for smaller ones the thread, and the memory of the
// pieces it keeps ready, cost more than it gains (a registry of 100,000 entries
// is 15 MiB, and lists faster read when asked).
constexpr std::uint64_t kPiecesBeforeReadingAhead = 4;
// Pieces read when asked are at most this large: the walk then works through
// bytes the read has just put in the processor's cache.
constexpr std::size_t kPieceReadWhenAsked = 256 * 1024;
// Pieces read ahead at most: the memory stays small whatever the file's size.
constexpr std::size_t kPiecesAhead = 2;

} // namespace

// Reads the pieces of a file in order, each into memory that is used again
// once its piece is done with: when asked for, or, for a large file, ahead on
// a thread of its own while the walk works through the piece before.
class RecordSource::Reader {
public:
    Reader(os::File& file, std::uint64_t size, const ReadOptions& read) : m_file(file), m_size(size), m_piece(read.piece)
    {
        const std::size_t piece = read.piece;
        if (size <= kPiecesBeforeReadingAhead * piece || size <= read.readAheadAbove) {
            m_piece = std::min(piece, kPieceReadWhenAsked);
            return;
        }
        try {
            m_thread = std::thread([this] { ReadAhead(); });
        } catch (const std::system_error&) {
            // No thread to be had: the pieces are read when asked for.
            m_piece = std::min(piece, kPieceReadWhenAsked);
        }
    }

    ~Reader()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

    const std::filesystem::path& Path() const { return m_file.Path(); }

    // The next piece of the file; length 0 after the last one.
    Piece Next()
    {
        if (!m_thread.joinable()) return Read(Take());
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_finished; });
        if (m_ready.empty()) return Piece{};
        Piece piece = std::move(m_ready.front());
        m_ready.pop_front();
        lock.unlock();
        m_changed.notify_all();
        return piece;
    }

    void Recycle(Piece piece)
    {
        if (!piece.memory) return;
        {
            std::lock_guard lock(m_mutex);
            m_free.push_back(std::move(piece));
        }
        m_changed.notify_all();
    }

private:
    Piece Take()
    {
        std::lock_guard lock(m_mutex);
        if (m_free.empty()) return Piece{AllocatePages(kRoomInFront + m_piece), 0, {}, false};
        Piece piece = std::move(m_free.back());
        m_free.pop_back();
        return piece;
    }

    Piece Read(Piece piece)
    {
        piece.length = 0;
        piece.failed = false;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(m_piece, m_size - std::min(m_size, m_offset)));
        if (want == 0) return piece;
        auto got = m_file.ReadSome(m_offset, std::span(piece.memory.get() + kRoomInFront, want));
        if (!got) {
            piece.failure = got.error();
            piece.failed = true;
            return piece;
        }
        piece.length = *got;
        m_offset += *got;
        return piece;
    }

    void ReadAhead()
    {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kPiecesAhead; });
                if (m_stop) return;
            }
            Piece piece = Read(Take());
            const bool last = piece.failed || piece.length == 0;
            {
                std::lock_guard lock(m_mutex);
                m_ready.push_back(std::move(piece));
                m_finished = last;
            }
            m_changed.notify_all();
            if (last) return;
        }
    }

    os::File& m_file;
    const std::uint64_t m_size;
    std::size_t m_piece;
    std::uint64_t m_offset = 0;   // of the next piece to read

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_ready;
    std::vector<Piece> m_free;
    bool m_stop = false;
    bool m_finished = false;   // the thread has read its last piece
    std::thread m_thread;
};

RecordSource::RecordSource(std::span<const std::uint8_t> all)
    : m_data(all.data()), m_dataSize(all.size()), m_size(all.size())
{
}

RecordSource::RecordSource(os::File& file, std::uint64_t size, const ReadOptions& read)
    : m_reader(std::make_unique<Reader>(file, size, read)), m_size(size)
{
}

RecordSource::~RecordSource() = default;

Status RecordSource::FlushTap()
{
    if (m_tap && m_pos != m_tapped) {
        const std::span<const std::uint8_t> bytes(m_data + (m_tapped - m_dataAt), static_cast<std::size_t>(m_pos - m_tapped));
        const std::uint64_t at = m_tapped;
        m_tapped = m_pos;
        return m_tap(at, bytes);
    }
    m_tapped = m_pos;
    return Ok{};
}

Status RecordSource::Fill(std::size_t n)
{
    // The bytes behind the position leave the buffer now: the tap gets them first.
    if (auto s = FlushTap(); !s) return s;
    std::size_t ahead = static_cast<std::size_t>(m_dataAt + m_dataSize - m_pos);
    while (ahead < n) {
        if (!m_reader) return ShortFileError({}, m_dataAt + m_dataSize);
        if (m_dataAt + m_dataSize >= m_size) return ShortFileError(m_reader->Path(), m_dataAt + m_dataSize);
        Piece next = m_reader->Next();
        if (next.failed) return next.failure;
        if (next.length == 0) return ShortFileError(m_reader->Path(), m_dataAt + m_dataSize);
        const std::uint8_t* still = m_data + (m_pos - m_dataAt);
        const std::uint8_t* fresh = next.memory.get() + kRoomInFront;
        if (ahead <= kRoomInFront) {
            // The bytes still needed go in front of the new piece: together they are one run.
            std::uint8_t* start = next.memory.get() + kRoomInFront - ahead;
            if (ahead > 0) std::memcpy(start, still, ahead);
            m_reader->Recycle(std::exchange(m_current, std::move(next)));
            m_joined.clear();
            m_data = start;
        } else {
            // A record whose head does not fit in front of a piece: joined in memory of its own.
            std::vector<std::uint8_t> joined(ahead + next.length);
            std::memcpy(joined.data(), still, ahead);
            std::memcpy(joined.data() + ahead, fresh, next.length);
            m_joined.swap(joined);
            m_reader->Recycle(std::exchange(m_current, Piece{}));
            m_reader->Recycle(std::move(next));
            m_data = m_joined.data();
        }
        m_dataAt = m_pos;
        m_dataSize = static_cast<std::size_t>(m_joined.empty() ? ahead + m_current.length : m_joined.size());
        ahead = m_dataSize;
    }
    return Ok{};
}

const std::uint8_t* RecordSource::PeekSlow(std::size_t n)
{
    if (auto s = Fill(n); !s) {
        m_failure = s.error();
        return nullptr;
    }
    return m_data + (m_pos - m_dataAt);
}

bool RecordSource::AdvanceSlow(std::uint64_t n)
{
    while (n > 0) {
        std::size_t ahead = static_cast<std::size_t>(m_dataAt + m_dataSize - m_pos);
        if (ahead == 0) {
            if (auto s = Fill(1); !s) {
                m_failure = s.error();
                return false;
            }
            ahead = m_dataSize;
        }
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(n, ahead));
        m_pos += step;
        n -= step;
    }
    return true;
}

Status RecordSource::AdvanceToEnd()
{
    if (!Advance(Left())) return m_failure;
    return FlushTap();
}

} // namespace mrv::registry

// Walking the records of a registry: each checked against the bytes there
// really are, front to back, in one pass. Shared by the listing, the backups
// and the changes; not for use outside registry/.
#pragma once

#include "core/ByteIO.h"
#include "core/Result.h"
#include "registry/RecordSource.h"
#include "registry/Records.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mrv::registry::walk {

// Body offsets inside a record, after the 4-byte length prefix.
constexpr std::size_t kPathSizeAt = 9;
constexpr std::size_t kPathAt = 13;
// So much of a record is looked at in one go: its path and title are there
// in every entry this program writes.
constexpr std::size_t kHeadBytes = 4 + kMaxRecordBody;

inline std::string Num(std::int64_t v) { return std::to_string(v); }

inline std::string At(std::uint64_t offset) { return " (위치 " + std::to_string(offset) + ")"; }

inline Error Damaged(std::uint64_t offset, std::string what)
{
    return Error{ErrorCode::Damaged, "손상된 레지스트리화일입니다: " + std::move(what) + At(offset) + ".",
                 static_cast<std::int64_t>(offset), {}};
}

inline std::string Ordinal(int index) { return Num(index + 1) + "번째 항목"; }

// The handset and the list both stop a text at its first zero byte.
// Eight bytes at a time: titles and paths are short, and a call to memchr
// costs more than looking at them here.
inline std::string_view TextUpToZero(std::span<const std::uint8_t> bytes)
{
    const auto* first = reinterpret_cast<const char*>(bytes.data());
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, first + i, 8);
        if ((w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL) break;
    }
    while (i < bytes.size() && first[i] != 0) ++i;
    return std::string_view(first, i);
}

// True when bytes, read up to their first zero byte as the list shows them,
// are text. Cheaper than cutting at the zero first: most entries differ at once.
inline bool ShowsAs(std::span<const std::uint8_t> bytes, std::string_view text)
{
    const std::size_t n = text.size();
    if (bytes.size() < n || (bytes.size() > n && bytes[n] != 0)) return false;
    // Paths share their beginning and differ in the number at their end.
    return n == 0 || (bytes[n - 1] == static_cast<std::uint8_t>(text[n - 1]) && std::memcmp(bytes.data(), text.data(), n) == 0);
}

// ---- walking the records ---------------------------------------------------

struct RecordView {
    int index;
    std::uint64_t offset;                // of the length prefix
    std::uint64_t size;                  // 4 + body length
    std::span<const std::uint8_t> path;  // pathSize bytes, terminator included
    std::span<const std::uint8_t> title; // the title's text bytes
};

struct Walked {
    std::int32_t entryCount = 0;
    std::int32_t recordsSize = 0;
    std::uint64_t fileLength = 0;
    std::optional<Error> damage;
};

// Checks the header and every record against the bytes there really are and
// hands each sound record to visit, in file order. Stops at the first damage.
// Bytes past the records are leftovers of earlier deletions and never looked
// at. Fails only when the bytes cannot be read.
template <class Visit>
Result<Walked> Walk(RecordSource& src, Visit&& visit)
{
    Walked w;
    w.fileLength = src.Size();
    if (src.Size() < kHeaderSize) {
        w.damage = Damaged(0, "8바이트 머리부보다 짧습니다(" + Num(static_cast<std::int64_t>(src.Size())) + "바이트)");
        return w;
    }
    const std::uint8_t* header = src.Peek(kHeaderSize);
    if (!header) return src.Failure();
    w.entryCount = LoadI32le(header);
    w.recordsSize = LoadI32le(header + 4);
    if (w.entryCount < 0) {
        w.damage = Damaged(0, "항목 수가 음수입니다(" + Num(w.entryCount) + ")");
        return w;
    }
    if (w.recordsSize < 0) {
        w.damage = Damaged(4, "레코드 크기가 음수입니다(" + Num(w.recordsSize) + ")");
        return w;
    }
    if (!src.Advance(kHeaderSize)) return src.Failure();

    for (int i = 0; i < w.entryCount; ++i) {
        const std::uint64_t pos = src.Offset();
        const std::uint64_t left = src.Left();
        if (left < 4) {
            w.damage = Damaged(pos, "항목 수는 " + Num(w.entryCount) + "개인데 " + Num(i) + "개 뒤에서 화일이 끝납니다");
            return w;
        }
        // The head of the record at once: the texts of every entry this
        // program writes lie in it.
        const std::uint64_t available = left;
        std::size_t held = static_cast<std::size_t>(std::min<std::uint64_t>(left, kHeadBytes));
        const std::uint8_t* rec = src.Peek(held);
        if (!rec) return src.Failure();
        const std::int32_t length = LoadI32le(rec);
        if (length < 0) {
            w.damage = Damaged(pos, Ordinal(i) + "의 길이가 음수입니다(" + Num(length) + ")");
            return w;
        }
        const auto bodyLength = static_cast<std::uint64_t>(length);
        if (bodyLength > available - 4) {
            w.damage = Damaged(pos, Ordinal(i) + "이(가) 화일 끝을 넘습니다: 본문은 " + Num(length) + "바이트인데 " +
                                        Num(static_cast<std::int64_t>(available - 4)) + "바이트만 남았습니다");
            return w;
        }
        if (bodyLength < kPathAt) {
            w.damage = Damaged(pos, Ordinal(i) + "의 본문(" + Num(length) + "바이트)이 경로 크기에 닿지 않습니다");
            return w;
        }
        const std::int32_t pathSize = LoadI32le(rec + 4 + kPathSizeAt);
        if (pathSize < 0) {
            w.damage = Damaged(pos + 4 + kPathSizeAt, Ordinal(i) + "의 경로 크기가 음수입니다(" + Num(pathSize) + ")");
            return w;
        }
        if (static_cast<std::uint64_t>(pathSize) > bodyLength - kPathAt) {
            w.damage = Damaged(pos + 4 + kPathSizeAt,
                               Ordinal(i) + "의 경로 크기(" + Num(pathSize) + ")가 본문을 넘습니다");
            return w;
        }
        const std::size_t titleAt = kPathAt + static_cast<std::size_t>(pathSize);
        if (titleAt >= bodyLength) {
            w.damage = Damaged(pos + 4 + titleAt, Ordinal(i) + "의 곡명 길이 바이트가 본문 밖에 있습니다");
            return w;
        }
        if (4 + titleAt + 1 > held) {
            held = 4 + titleAt + 1;
            if (!(rec = src.Peek(held))) return src.Failure();
        }
        const std::size_t titleLength = rec[4 + titleAt];
        if (titleLength > bodyLength - titleAt - 1) {
            w.damage = Damaged(pos + 4 + titleAt,
                               Ordinal(i) + "의 곡명(" + Num(static_cast<std::int64_t>(titleLength)) + "바이트)이 본문을 넘습니다");
            return w;
        }
        if (4 + titleAt + 1 + titleLength > held) {
            held = 4 + titleAt + 1 + titleLength;
            if (!(rec = src.Peek(held))) return src.Failure();
        }
        visit(RecordView{i, pos, 4 + bodyLength, std::span(rec + 4 + kPathAt, static_cast<std::size_t>(pathSize)),
                         std::span(rec + 4 + titleAt + 1, titleLength)});
        if (!src.Advance(4 + bodyLength)) return src.Failure();
    }
    const std::uint64_t walkedSize = src.Offset() - kHeaderSize;
    if (walkedSize != static_cast<std::uint64_t>(w.recordsSize)) {
        w.damage = Damaged(4, "머리부의 레코드 크기(" + Num(w.recordsSize) + ")가 레코드들의 실제 크기(" +
                                  Num(static_cast<std::int64_t>(walkedSize)) + ")와 다릅니다");
    }
    return w;
}

inline Entry EntryOf(const RecordView& r)
{
    return Entry{TextUpToZero(r.title), TextUpToZero(r.path), static_cast<std::int64_t>(r.offset)};
}


// The 8 bytes of a header.
inline std::array<std::uint8_t, kHeaderSize> Header(std::int32_t entryCount, std::int32_t recordsSize)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    StoreI32le(h.data(), entryCount);
    StoreI32le(h.data() + 4, recordsSize);
    return h;
}

} // namespace mrv::registry::walk

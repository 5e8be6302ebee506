// Little-endian integers over byte spans, built from single bytes so that the
// layout never depends on the host's byte order or on struct packing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mrv {

inline std::uint32_t LoadU32le(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::int32_t LoadI32le(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32le(p)); }

inline void StoreU32le(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void StoreI32le(std::uint8_t* p, std::int32_t v) { StoreU32le(p, static_cast<std::uint32_t>(v)); }

// Reads forward through a span. Every read checks the bytes left and yields
// nothing when they do not suffice, so a length prefix can never send it past
// the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t offset() const { return m_pos; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }

    std::optional<std::uint8_t> u8()
    {
        if (remaining() < 1) return std::nullopt;
        return m_bytes[m_pos++];
    }
    std::optional<std::uint32_t> u32le()
    {
        if (remaining() < 4) return std::nullopt;
        const std::uint32_t v = LoadU32le(m_bytes.data() + m_pos);
        m_pos += 4;
        return v;
    }
    std::optional<std::int32_t> i32le()
    {
        const auto v = u32le();
        if (!v) return std::nullopt;
        return static_cast<std::int32_t>(*v);
    }
    std::optional<std::span<const std::uint8_t>> take(std::size_t n)
    {
        if (remaining() < n) return std::nullopt;
        const auto part = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return part;
    }
    bool skip(std::size_t n)
    {
        if (remaining() < n) return false;
        m_pos += n;
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

// Appends to a byte vector.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void u8(std::uint8_t v) { m_out.push_back(v); }
    void u32le(std::uint32_t v)
    {
        std::uint8_t b[4];
        StoreU32le(b, v);
        m_out.insert(m_out.end(), b, b + 4);
    }
    void i32le(std::int32_t v) { u32le(static_cast<std::uint32_t>(v)); }
    void bytes(std::span<const std::uint8_t> b) { m_out.insert(m_out.end(), b.begin(), b.end()); }
    void text(std::string_view s)
    {
        const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
        m_out.insert(m_out.end(), p, p + s.size());
    }

private:
    std::vector<std::uint8_t>& m_out;
};

} // namespace mrv

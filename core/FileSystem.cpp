// The parts of the file layer that are the same on every system.
#include "core/FileSystem.h"

#include "core/FileIO.h"

#include <chrono>
#include <random>
#include <utility>

namespace mrv::os {
namespace {

FaultHook& Hook()
{
    static FaultHook hook;
    return hook;
}

} // namespace

File::File(File&& other) noexcept : m_path(std::move(other.m_path)), m_handle(std::exchange(other.m_handle, -1)) {}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        m_path = std::move(other.m_path);
        m_handle = std::exchange(other.m_handle, -1);
    }
    return *this;
}

File::~File() { Close(); }

Status File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    auto got = ReadSome(offset, out);
    if (!got) return got.error();
    if (*got < out.size()) return ShortFileError(m_path, offset + *got);
    return Ok{};
}

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

bool FaultInjected(FaultPoint point, const fs::path& path)
{
    const FaultHook& hook = Hook();
    return hook && hook(point, path);
}

std::string RandomName(std::size_t n)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // Seeded once per thread from the system's entropy and the clock, so that
    // two processes (even with the same process id, in containers) differ.
    thread_local std::mt19937_64 engine = [] {
        std::random_device device;
        const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::seed_seq seed{device(), device(), device(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
        return std::mt19937_64(seed);
    }();
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name(n, 'x');
    for (char& c : name) c = kLetters[pick(engine)];
    return name;
}

} // namespace mrv::os

// The parts of the file layer that are the same on every system.
#include "core/FileSystem.h"

#include <chrono>
#include <random>

namespace mrv::os {
namespace {

FaultHook& Hook()
{
    static FaultHook hook;
    return hook;
}

} // namespace

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

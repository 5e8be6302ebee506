#include "tests/support/HeldFile.h"

#include <windows.h>

#include <future>

namespace mrv::test {

std::thread HoldWithoutSharing(const std::filesystem::path& file, std::chrono::milliseconds time)
{
    std::promise<void> held;
    std::future<void> ready = held.get_future();
    std::thread holder([file, time, held = std::move(held)]() mutable {
        const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        held.set_value();
        if (h == INVALID_HANDLE_VALUE) return;
        std::this_thread::sleep_for(time);
        ::CloseHandle(h);
    });
    ready.wait();
    return holder;
}

} // namespace mrv::test

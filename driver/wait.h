#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kelvor::driver {

using namespace std::chrono_literals;

// Polls `condition` until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = 20s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace kelvor::driver

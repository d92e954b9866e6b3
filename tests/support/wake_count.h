#pragma once

// Wakes from another thread, and a wait for a condition that they may have brought about. Not
// std::atomic::wait: the mingw-w64 build's standard library can miss its notifications.

#include <condition_variable>
#include <functional>
#include <mutex>

namespace kelvor::testing_support {

class WakeCount {
public:
    void Wake() {
        {
            const std::lock_guard lock(mutex_);
            ++wakes_;
        }
        woken_.notify_all();
    }
    // `done` is asked without the lock, which a wake may be called under another one of.
    void WaitUntil(const std::function<bool()>& done) {
        for (;;) {
            unsigned seen = 0;
            {
                const std::lock_guard lock(mutex_);
                seen = wakes_;
            }
            if (done())
                return;
            std::unique_lock lock(mutex_);
            woken_.wait(lock, [&] { return wakes_ != seen; });
        }
    }
    unsigned Count() {
        const std::lock_guard lock(mutex_);
        return wakes_;
    }

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    unsigned wakes_ = 0;
};

} // namespace kelvor::testing_support

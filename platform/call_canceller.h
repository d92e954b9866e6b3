#pragma once

#include "platform/unique_handle.h"

#include <cstdint>

namespace kelvor {

// Lets another thread cancel the file call that the thread which made the object is blocked in, as
// on a share that does not answer. Windows cancels such a call where it can (not every call, nor
// every file system); elsewhere nothing is cancelled.
class CallCanceller {
public:
    // For the calling thread.
    CallCanceller();
    // From any thread; nothing happens when that thread is in no call.
    void Cancel() noexcept;

private:
    using ThreadHandle = std::intptr_t;
    static void Close(ThreadHandle thread) noexcept;
    UniqueHandle<ThreadHandle, Close> thread_;
};

} // namespace kelvor

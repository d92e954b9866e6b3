#include "platform/call_canceller.h"

#include <windows.h>

namespace kelvor {

CallCanceller::CallCanceller() {
    HANDLE thread = nullptr;
    // GetCurrentThread() names whichever thread asks: the canceller needs this one's own handle.
    // Without it nothing is cancelled, which the callers allow for.
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread,
                        THREAD_TERMINATE, FALSE, 0))
        thread_.reset(reinterpret_cast<ThreadHandle>(thread));
}

void CallCanceller::Cancel() noexcept {
    if (thread_)
        CancelSynchronousIo(reinterpret_cast<HANDLE>(thread_.get()));
}

void CallCanceller::Close(ThreadHandle thread) noexcept {
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}

} // namespace kelvor

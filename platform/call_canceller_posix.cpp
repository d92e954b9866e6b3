#include "platform/call_canceller.h"

namespace kelvor {

// The native build writes to local disks and tests alone: nothing to cancel there.
CallCanceller::CallCanceller() = default;

void CallCanceller::Cancel() noexcept {}

void CallCanceller::Close(ThreadHandle) noexcept {}

} // namespace kelvor

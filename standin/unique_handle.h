#pragma once

#include "platform/unique_handle.h"

#include <windows.h>

namespace kelvor::standin {

inline void CloseKernelHandle(HANDLE handle) noexcept {
    CloseHandle(handle);
}
inline HANDLE InvalidHandle() noexcept {
    return INVALID_HANDLE_VALUE;
}

// A file's handle; INVALID_HANDLE_VALUE, what CreateFileW gives when it fails, is none.
using UniqueFileHandle = UniqueHandle<HANDLE, CloseKernelHandle, InvalidHandle>;

} // namespace kelvor::standin

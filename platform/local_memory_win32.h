#pragma once

// Memory that Windows allocates for its caller with LocalAlloc, as FormatMessage does for its
// texts. Windows only.

#include "platform/unique_handle.h"

#include <windows.h>

namespace kelvor {

inline void FreeLocal(void* memory) noexcept {
    LocalFree(memory);
}

template <class T> using UniqueLocal = UniqueHandle<T*, FreeLocal>;

} // namespace kelvor

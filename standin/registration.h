#pragma once

#include <windows.h>

namespace kelvor::standin {

// Registers both control classes as in-process servers in this DLL, apartment threaded.
HRESULT RegisterClasses();
HRESULT UnregisterClasses();

} // namespace kelvor::standin

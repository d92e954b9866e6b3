#pragma once

#include <windows.h>

namespace kelvor::standin {

// Registers both control classes as in-process servers in this DLL, apartment threaded. A class
// that another server holds is never taken over: then nothing is registered, the reason goes to
// standard error and the status is SELFREG_E_CLASS. Registering over its own registration is fine.
HRESULT RegisterClasses();
// Removes the classes whose server is this DLL, and leaves another server's.
HRESULT UnregisterClasses();

} // namespace kelvor::standin

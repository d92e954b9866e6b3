#pragma once

#include <windows.h>

namespace kelvor::win32 {

// The whole run: the COM apartment, the application, the main window with the MAPI controls,
// the start-up and the message loop. Returns the exit code: 0, or 1 when the main window could
// not be built.
int RunProgram(int showCommand) noexcept;

} // namespace kelvor::win32

#pragma once

#include "mailbox/com/mapi_controls.h"

#include <windows.h>

namespace kelvor::win32 {

// The whole run: the COM apartment, the application, the main window with the MAPI controls
// (created with `keys`), the start-up and the message loop. Returns the exit code: 0, or 1 when
// the main window could not be built.
int RunProgram(int showCommand, const MapiLicenseKeys& keys) noexcept;

} // namespace kelvor::win32

#pragma once

// The run-time licence keys of the MAPI controls that a program was built with: the cache
// variables KELVOR_SESSION_LICENSE_KEY and KELVOR_MESSAGES_LICENSE_KEY for kelvor.exe. Each
// program's build configures a source of its own that defines them.

#include "mailbox/com/mapi_controls.h"

namespace kelvor::win32 {

MapiLicenseKeys BuiltInLicenseKeys();

} // namespace kelvor::win32

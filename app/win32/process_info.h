#pragma once

#include "platform/path.h"

#include <string>

namespace kelvor::win32 {

// What the form asks of the process: the executable's path, every character kept, and the
// command line as 8-bit text in the ANSI code page.
struct ProcessInfo {
    Path executablePath;
    std::string commandLine;

    // This process: its own module's path and its whole command line.
    static ProcessInfo Current();
};

} // namespace kelvor::win32

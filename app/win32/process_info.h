#pragma once

#include <string>

namespace kelvor::win32 {

// What the form asks of the process, as 8-bit text in the ANSI code page.
struct ProcessInfo {
    std::string executablePath;
    std::string commandLine;

    // This process: its own module's path and its whole command line.
    static ProcessInfo Current();
};

} // namespace kelvor::win32

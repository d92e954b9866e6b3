#pragma once

#include <string>

namespace kelvor::testing_support {

// A path handed over by the test scripts, which run on Linux, in the form the program uses:
// under Wine the Linux root is drive Z:.
inline std::string NativePath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path.front() == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
#endif
    return path;
}

} // namespace kelvor::testing_support

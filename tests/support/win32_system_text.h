#pragma once

// The system's text for an error code, without its final stop and line end.

#include <windows.h>

#include <string>

namespace kelvor::testing_support {

inline std::string SystemText(DWORD code) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '.' || static_cast<unsigned char>(message.back()) <= ' '))
        message.pop_back();
    return message;
}

} // namespace kelvor::testing_support

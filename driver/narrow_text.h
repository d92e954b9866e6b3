#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kelvor::driver {

// Wide text in a code page: CP_UTF8 for a terminal, CP_ACP for the bytes a program writes.
inline std::string Narrow(std::wstring_view text, UINT codePage) {
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        size, nullptr, nullptr);
    return narrow;
}

inline std::string Utf8(std::wstring_view text) {
    return Narrow(text, CP_UTF8);
}

// Text in a code page as wide text.
inline std::wstring Widen(std::string_view text, UINT codePage) {
    const int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

} // namespace kelvor::driver

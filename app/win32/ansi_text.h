#pragma once

// The form speaks 8-bit text in the system's ANSI code page; the controls speak UTF-16.

#include <string>
#include <string_view>

namespace kelvor::win32 {

std::wstring FromAnsi(std::string_view text);
std::string ToAnsi(std::wstring_view text);

} // namespace kelvor::win32

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvor {

// Splits a process command line into its arguments, argument 0 being the program. Separators
// are characters of code 0x20 or less; a double quote opens a stretch, closed by the next one
// or the end of the line, in which separators belong to the argument; the quotes are dropped.
// There is no escape character, an argument after the program's that comes out empty is no
// argument, and an argument keeps at most its first MaxArgumentLength characters, a two-byte
// character of the ANSI code page counting as one.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

inline constexpr std::size_t MaxArgumentLength = 4096;

} // namespace kelvor

#pragma once

#include "platform/path.h"

#include <string>
#include <string_view>

namespace kelvor {

// Converts wide text to the system's ANSI code page the way the system does by default: a
// character the code page lacks becomes its best-fit equivalent, or the default character when
// there is none. Never fails; lone surrogates and NULs are converted like any other character.
std::string ToAnsi(std::u16string_view text);

// Whether the byte begins a two-byte character in the system's ANSI code page, as bytes from 81
// on do in the code pages 932, 936, 949 and 950. The second byte may be any from 40 to FE, the
// backslash's 5C included, but never a control character, a blank or a double quote.
bool IsAnsiLeadByte(char byte) noexcept;

// A path as ANSI text, for what the user reads (lists, messages); never used to open a file.
std::string AnsiText(const Path& path);

// A path the system handed over as UTF-16, every character kept.
Path PathFromUtf16(std::u16string_view text);

// A path given as ANSI text (the gateway directory of the configuration file), converted exactly.
Path PathFromAnsi(std::string_view text);

} // namespace kelvor

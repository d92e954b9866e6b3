#pragma once

#include <string>
#include <string_view>

namespace kelvor {

// Converts wide text to the system's ANSI code page the way the system does by default: a
// character the code page lacks becomes its best-fit equivalent, or the default character when
// there is none. Never fails; lone surrogates and NULs are converted like any other character.
std::string ToAnsi(std::u16string_view text);

} // namespace kelvor

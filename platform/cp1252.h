#pragma once

namespace kelvor {

// The byte that code page 1252 gives a UTF-16 code unit under the system's default conversion:
// the character itself, its best-fit equivalent, or "?". Each unit of a surrogate pair becomes
// "?" on its own, as the system converts them.
unsigned char Cp1252FromUtf16(char16_t unit) noexcept;

} // namespace kelvor

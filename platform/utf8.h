#pragma once

#include <string>
#include <string_view>

namespace kelvor {

// Decodes UTF-8 to UTF-16 as the system does: every ill-formed sequence, up to the byte where it
// goes wrong, becomes one U+FFFD, so that no byte is lost without a trace.
std::u16string Utf16FromUtf8(std::string_view text);

// Encodes UTF-16 as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

} // namespace kelvor

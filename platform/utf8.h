#pragma once

#include <string>
#include <string_view>

namespace kelvor {

// Decodes UTF-8 to UTF-16 as the system does: every ill-formed sequence, up to the byte where it
// goes wrong, becomes one U+FFFD, so that no byte is lost without a trace.
std::u16string Utf16FromUtf8(std::string_view text);

} // namespace kelvor

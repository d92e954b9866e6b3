#pragma once

#include <string>
#include <string_view>

namespace kelvor {

// The text of the message box that shows an error escaping a window handler: the error's
// message, ending in a full stop unless it already ends in punctuation, a blank or a control
// character (any byte of code 0x2E or less).
std::string GeneralErrorText(std::string_view message);

} // namespace kelvor

#include "app/general_error.h"

namespace kelvor {

std::string GeneralErrorText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > 0x2E)
        text += '.';
    return text;
}

} // namespace kelvor

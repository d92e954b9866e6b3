// The body file's text: only CR LF line ends, nothing from the first NUL on, and the text
// between the line ends unchanged.

#include "gateway/body_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string WithoutLineBreaks(std::string_view text) {
    std::string rest;
    for (char c : text)
        if (c != '\r' && c != '\n')
            rest += c;
    return rest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string body = kelvor::NormalizeLineEnds(text);
    const std::string_view beforeNul = text.substr(0, text.find('\0'));

    if (body.find('\0') != std::string::npos || body.size() > 2 * beforeNul.size())
        std::abort();
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && (i + 1 == body.size() || body[i + 1] != '\n'))
            std::abort();
        if (body[i] == '\n' && (i == 0 || body[i - 1] != '\r'))
            std::abort();
    }
    if (WithoutLineBreaks(body) != WithoutLineBreaks(beforeNul))
        std::abort();
    return 0;
}

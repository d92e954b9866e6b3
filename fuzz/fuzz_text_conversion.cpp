// Text conversion never fails and gives at most one byte per UTF-16 unit of the code page.

#include "platform/text_conversion.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    if (kelvor::ToAnsi(text).size() > text.size())
        std::abort();
    return 0;
}

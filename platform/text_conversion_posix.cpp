#include "platform/text_conversion.h"

#include "platform/cp1252.h"
#include "platform/utf8.h"

namespace kelvor {

// Without a system code page the native build converts as Windows does for code page 1252.
std::string ToAnsi(std::u16string_view text) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[i] = static_cast<char>(Cp1252FromUtf16(text[i]));
    }
    return out;
}

// Code page 1252 has no two-byte characters.
bool IsAnsiLeadByte(char) noexcept {
    return false;
}

// File names here are bytes, in the encoding of the system's locale.
std::string AnsiText(const Path& path) {
    return path.native();
}

// As UTF-8, the encoding of the locales the native build runs under.
Path PathFromUtf16(std::u16string_view text) {
    return Path(Utf8FromUtf16(text));
}

Path PathFromAnsi(std::string_view text) {
    return Path(std::string(text));
}

} // namespace kelvor

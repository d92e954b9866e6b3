#include "app/win32/ansi_text.h"

#include "platform/text_conversion.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace kelvor::win32 {

std::wstring FromAnsi(std::string_view text) {
    if (text.empty())
        return {};
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("Text too long");
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::string ToAnsi(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::u16string wide(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        wide[i] = static_cast<char16_t>(text[i]);
    return kelvor::ToAnsi(wide);
}

} // namespace kelvor::win32

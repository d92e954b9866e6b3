#include "standin/value.h"

#include "standin/text.h"

#include <cstdio>

namespace kelvor::standin {

std::string LogForm(const Value& value) {
    if (const bool* flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    if (const std::int32_t* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    const std::string text = Narrow(std::get<std::wstring_view>(value));
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\\':
            escaped += "\\\\";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string StatusForm(long status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status) & 0xFFFFFFFFul);
    return text;
}

} // namespace kelvor::standin

#include "gateway/body_file.h"

#include "platform/text_scan.h"

namespace kelvor {

std::string NormalizeLineEnds(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t stop = FindEither(text, i, '\r', '\n');
        const std::size_t end = stop == std::string_view::npos ? text.size() : stop;
        out.append(text.substr(i, end - i));
        if (end == text.size()) {
            break;
        }
        out += "\r\n";
        i = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
}

OutputFile SaveBodyFile(const Path& path, std::string_view text) {
    return WriteNewFile(path, NormalizeLineEnds(text));
}

} // namespace kelvor

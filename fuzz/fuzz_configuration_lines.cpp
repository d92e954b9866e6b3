// The configuration reader: fed whole or in pieces of 1 to 7 bytes, it reads the same lines, and
// no line keeps a CR or anything from after the end-of-file mark.

#include "config/configuration_lines.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 7;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    kelvor::ConfigurationLines whole;
    whole.Feed(bytes);
    whole.End();
    kelvor::ConfigurationLines pieces;
    for (std::size_t at = 0; at < bytes.size() && !pieces.Done(); at += piece)
        pieces.Feed(bytes.substr(at, piece));
    pieces.End();

    // A marked file's lines are converted: what they hold is checked only for an ANSI file.
    const bool marked = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE");
    const std::string_view data_part = bytes.substr(0, bytes.find('\x1a'));
    std::size_t total = 0;
    for (std::size_t i = 0; i < kelvor::ConfigurationLines::Count; ++i) {
        const std::string line = whole.Value(i);
        if (line != pieces.Value(i) || whole.PathValue(i).native() != pieces.PathValue(i).native())
            std::abort();
        if (line.find('\r') != std::string::npos || line.find('\x1a') != std::string::npos)
            std::abort();
        if (!marked && !line.empty() && data_part.find(line) == std::string_view::npos)
            std::abort();
        total += line.size();
    }
    if (!marked && total > data_part.size())
        std::abort();
    return 0;
}

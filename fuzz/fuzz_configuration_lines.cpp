// The configuration reader: fed whole or in pieces of any size, it reads the same lines, and no
// line keeps a CR or anything from after the end-of-file mark.

#include "config/configuration_lines.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 7;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    kelvor::ConfigurationLines whole;
    whole.Feed(bytes);
    whole.Feed({});
    kelvor::ConfigurationLines pieces;
    for (std::size_t at = 0; at < bytes.size() && !pieces.Done(); at += piece)
        pieces.Feed(bytes.substr(at, piece));
    pieces.Feed({});

    if (whole.Lines() != pieces.Lines())
        std::abort();
    const std::string_view data_part = bytes.substr(0, bytes.find('\x1a'));
    std::size_t total = 0;
    for (const auto& line : whole.Lines()) {
        if (line.find('\r') != std::string::npos || line.find('\x1a') != std::string::npos)
            std::abort();
        if (!line.empty() && data_part.find(line) == std::string_view::npos)
            std::abort();
        total += line.size();
    }
    if (total > data_part.size())
        std::abort();
    return 0;
}

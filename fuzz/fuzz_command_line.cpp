// Command-line splitting: whatever the line, arguments after the program's are never empty,
// none is longer than the limit or keeps a quote, and all are made of the line's own bytes in
// order.

#include "app/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    std::size_t position = 0;
    const auto arguments = kelvor::SplitCommandLine(line);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto& argument = arguments[i];
        if ((i > 0 && argument.empty()) || argument.size() > kelvor::MaxArgumentLength ||
            argument.find('"') != std::string::npos)
            std::abort();
        for (char c : argument) {
            position = line.find(c, position);
            if (position == std::string_view::npos)
                std::abort();
            ++position;
        }
    }
    return 0;
}

#include "app/command_line.h"

#include "platform/text_conversion.h"

namespace kelvor {

namespace {

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < commandLine.size()) {
        while (i < commandLine.size() && IsSeparator(commandLine[i]))
            ++i;
        std::string argument;
        std::size_t characters = 0;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !IsSeparator(commandLine[i])); ++i) {
            if (commandLine[i] == '"') {
                quoted = !quoted;
                continue;
            }
            // The second byte of a two-byte character is never a separator or a quote, and the
            // character is kept or cut whole.
            const std::size_t length =
                IsAnsiLeadByte(commandLine[i]) && i + 1 < commandLine.size() ? 2 : 1;
            if (characters++ < MaxArgumentLength)
                argument += commandLine.substr(i, length);
            i += length - 1;
        }
        // Argument 0 is the program, whatever it holds.
        if (!argument.empty() || arguments.empty())
            arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace kelvor

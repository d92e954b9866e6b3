#include "app/command_line.h"

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
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !IsSeparator(commandLine[i])); ++i) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else if (argument.size() < MaxArgumentLength)
                argument += commandLine[i];
        }
        // Argument 0 is the program, whatever it holds.
        if (!argument.empty() || arguments.empty())
            arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace kelvor

#pragma once

// The baselines' own line-end conversion, independent of the program's.

#include <string>
#include <string_view>

namespace kelvor::bench {

// Every CR LF, lone CR and lone LF made one CR LF.
inline std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace kelvor::bench

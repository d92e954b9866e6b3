#pragma once

#include <cstddef>
#include <string_view>

namespace kelvor {

// The position of the first of two bytes from `from` on, or npos. A plain loop: find_first_of
// would search its set once for every byte of texts that may be megabytes long.
inline std::size_t FindEither(std::string_view text, std::size_t from, char a, char b) noexcept {
    for (; from < text.size(); ++from) {
        if (text[from] == a || text[from] == b)
            return from;
    }
    return std::string_view::npos;
}

} // namespace kelvor

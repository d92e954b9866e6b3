#pragma once

#include <cstddef>
#include <string_view>

namespace kelvor {

// The position of the first of two code units from `from` on, or npos. A plain loop: find_first_of
// would search its set once for every unit of texts that may be megabytes long.
template <class Unit>
std::size_t FindEither(std::basic_string_view<Unit> text, std::size_t from, Unit a,
                       Unit b) noexcept {
    for (; from < text.size(); ++from) {
        if (text[from] == a || text[from] == b)
            return from;
    }
    return std::basic_string_view<Unit>::npos;
}

} // namespace kelvor

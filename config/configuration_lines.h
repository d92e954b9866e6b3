#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvor {

// Splits the start of a configuration file into its first three lines, fed in pieces of any
// size. A line ends at CR, and an LF right after that CR belongs to the line end; any other LF
// is an ordinary byte. The data ends before the first 0x1A byte. Lines missing at the end of the
// data are empty.
class ConfigurationLines {
public:
    static constexpr std::size_t Count = 3;

    void Feed(std::string_view bytes);
    // True once the three lines are complete or the data has ended; later bytes are ignored.
    bool Done() const noexcept { return done_; }
    const std::array<std::string, Count>& Lines() const noexcept { return lines_; }

private:
    std::array<std::string, Count> lines_;
    std::size_t current_ = 0;
    bool afterCR_ = false;
    bool done_ = false;
};

} // namespace kelvor

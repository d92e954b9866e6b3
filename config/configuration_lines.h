#pragma once

#include "platform/path.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvor {

// Splits text into its first three lines, fed in pieces of any size: bytes, or the 16-bit units
// of UTF-16. A line ends at CR, and an LF right after that CR belongs to the line end; any other
// LF is an ordinary unit. The data ends before the first 0x1A. Lines missing at the end of the
// data are empty.
template <class Unit> class LineSplitter {
public:
    static constexpr std::size_t Count = 3;
    using Line = std::basic_string<Unit>;

    void Feed(std::basic_string_view<Unit> units);
    // True once the three lines are complete or the data has ended; later units are ignored.
    bool Done() const noexcept { return done_; }
    const std::array<Line, Count>& Lines() const noexcept { return lines_; }

private:
    std::array<Line, Count> lines_;
    std::size_t current_ = 0;
    bool afterCR_ = false;
    bool done_ = false;
};

// The first three lines of a configuration file, fed as the file's bytes in pieces of any size.
// The file is ANSI text, unless it begins with a byte-order mark: EF BB BF makes it UTF-8, FF FE
// UTF-16 LE, and the mark is no part of line 1. The line rules are the same in every encoding.
class ConfigurationLines {
public:
    static constexpr std::size_t Count = 3;

    void Feed(std::string_view bytes);
    // The file has ended: a start too short to be a mark is data, and the odd last byte of a
    // UTF-16 file a character of its own that the file could not hold (U+FFFD).
    void End();
    // True once the three lines are complete or the data has ended; later bytes are ignored.
    bool Done() const noexcept;

    // Line `index` in the ANSI code page: the bytes of an ANSI file, the characters of a marked
    // file converted as every other text is.
    std::string Value(std::size_t index) const;
    // Line `index` as a path: every character of a marked file kept.
    Path PathValue(std::size_t index) const;

private:
    enum class Encoding { Undecided, Ansi, Utf8, Utf16 };

    void Decide(bool ended);
    void FeedData(std::string_view bytes);
    std::u16string Characters(std::size_t index) const;

    Encoding encoding_ = Encoding::Undecided;
    std::string start_;               // the bytes seen while the encoding is undecided
    std::optional<char> pendingByte_; // the first byte of a UTF-16 unit, its second to come
    LineSplitter<char> bytes_;        // ANSI and UTF-8
    LineSplitter<char16_t> units_;
};

} // namespace kelvor

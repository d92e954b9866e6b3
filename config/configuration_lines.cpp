#include "config/configuration_lines.h"

#include "platform/text_conversion.h"
#include "platform/text_scan.h"
#include "platform/utf8.h"

#include <algorithm>

namespace kelvor {

namespace {

template <class Unit> constexpr Unit CR = Unit('\r');
template <class Unit> constexpr Unit LF = Unit('\n');
template <class Unit> constexpr Unit EndOfData = Unit('\x1a');

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16Mark = "\xFF\xFE";

char16_t LittleEndian(char low, char high) {
    return static_cast<char16_t>(static_cast<unsigned char>(low) | static_cast<unsigned char>(high)
                                                                       << 8);
}

} // namespace

template <class Unit> void LineSplitter<Unit>::Feed(std::basic_string_view<Unit> units) {
    std::size_t i = 0;
    if (!done_ && afterCR_ && !units.empty()) {
        afterCR_ = false;
        if (units.front() == LF<Unit>) {
            i = 1;
        }
    }
    while (!done_ && i < units.size()) {
        // Take the run of ordinary units in one piece: lines may be megabytes long.
        const std::size_t stop = FindEither(units, i, CR<Unit>, EndOfData<Unit>);
        const std::size_t end = stop == units.npos ? units.size() : stop;
        lines_[current_].append(units.substr(i, end - i));
        i = end;
        if (i == units.size()) {
            break;
        }
        if (units[i] == EndOfData<Unit>) {
            done_ = true;
            break;
        }
        ++i; // the CR
        done_ = ++current_ == Count;
        if (i == units.size()) {
            afterCR_ = true;
        } else if (units[i] == LF<Unit>) {
            ++i;
        }
    }
}

template class LineSplitter<char>;
template class LineSplitter<char16_t>;

void ConfigurationLines::Feed(std::string_view bytes) {
    if (encoding_ == Encoding::Undecided) {
        const std::size_t take = std::min(bytes.size(), Utf8Mark.size() - start_.size());
        start_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        Decide(false);
    }
    if (encoding_ != Encoding::Undecided) {
        FeedData(bytes);
    }
}

void ConfigurationLines::End() {
    if (encoding_ == Encoding::Undecided) {
        Decide(true);
    }
    if (pendingByte_) {
        pendingByte_.reset();
        const char16_t replacement = u'\uFFFD';
        units_.Feed(std::u16string_view(&replacement, 1));
    }
}

bool ConfigurationLines::Done() const noexcept {
    switch (encoding_) {
    case Encoding::Undecided:
        return false;
    case Encoding::Utf16:
        return units_.Done();
    default:
        return bytes_.Done();
    }
}

// Waits while the start could still become a mark, unless the file has ended.
void ConfigurationLines::Decide(bool ended) {
    std::string_view start = start_;
    if (start.starts_with(Utf8Mark)) {
        encoding_ = Encoding::Utf8;
        start.remove_prefix(Utf8Mark.size());
    } else if (start.starts_with(Utf16Mark)) {
        encoding_ = Encoding::Utf16;
        start.remove_prefix(Utf16Mark.size());
    } else if (!ended && (Utf8Mark.starts_with(start) || Utf16Mark.starts_with(start))) {
        return;
    } else {
        encoding_ = Encoding::Ansi;
    }
    FeedData(start);
    start_.clear();
}

void ConfigurationLines::FeedData(std::string_view bytes) {
    if (encoding_ != Encoding::Utf16) {
        bytes_.Feed(bytes);
        return;
    }
    if (pendingByte_ && !bytes.empty()) {
        const char16_t unit = LittleEndian(*pendingByte_, bytes.front());
        pendingByte_.reset();
        bytes.remove_prefix(1);
        units_.Feed(std::u16string_view(&unit, 1));
    }
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = LittleEndian(bytes[2 * i], bytes[2 * i + 1]);
    }
    units_.Feed(units);
    if (bytes.size() % 2 != 0) {
        pendingByte_ = bytes.back();
    }
}

std::u16string ConfigurationLines::Characters(std::size_t index) const {
    return encoding_ == Encoding::Utf16 ? units_.Lines()[index]
                                        : Utf16FromUtf8(bytes_.Lines()[index]);
}

std::string ConfigurationLines::Value(std::size_t index) const {
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf16) {
        return ToAnsi(Characters(index));
    }
    return bytes_.Lines()[index];
}

Path ConfigurationLines::PathValue(std::size_t index) const {
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf16) {
        return PathFromUtf16(Characters(index));
    }
    return PathFromAnsi(bytes_.Lines()[index]);
}

} // namespace kelvor

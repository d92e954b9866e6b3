#include "config/configuration_lines.h"

#include "platform/text_scan.h"

namespace kelvor {

namespace {
constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char EndOfData = '\x1a';
} // namespace

void ConfigurationLines::Feed(std::string_view bytes) {
    std::size_t i = 0;
    if (!done_ && afterCR_ && !bytes.empty()) {
        afterCR_ = false;
        if (bytes.front() == LF) {
            i = 1;
        }
    }
    while (!done_ && i < bytes.size()) {
        // Take the run of ordinary bytes in one piece: lines may be megabytes long.
        const std::size_t stop = FindEither(bytes, i, CR, EndOfData);
        const std::size_t end = stop == std::string_view::npos ? bytes.size() : stop;
        lines_[current_].append(bytes.substr(i, end - i));
        i = end;
        if (i == bytes.size()) {
            break;
        }
        if (bytes[i] == EndOfData) {
            done_ = true;
            break;
        }
        ++i; // the CR
        done_ = ++current_ == Count;
        if (i == bytes.size()) {
            afterCR_ = true;
        } else if (bytes[i] == LF) {
            ++i;
        }
    }
}

} // namespace kelvor

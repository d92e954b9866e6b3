#include "platform/utf8.h"

namespace kelvor {
namespace {

constexpr char16_t Replacement = u'\uFFFD';

// The trail bytes a lead byte needs, and the range its first trail byte must lie in so that
// the character is neither overlong, a surrogate nor beyond U+10FFFF. Zero trail bytes: no lead.
struct Lead {
    int trailBytes;
    unsigned char firstLow;
    unsigned char firstHigh;
};

Lead LeadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return {1, 0x80, 0xBF};
    if (byte == 0xE0)
        return {2, 0xA0, 0xBF};
    if (byte == 0xED)
        return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {2, 0x80, 0xBF};
    if (byte == 0xF0)
        return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {3, 0x80, 0xBF};
    if (byte == 0xF4)
        return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

void AppendCodePoint(char32_t point, std::u16string& out) {
    if (point < 0x10000) {
        out += static_cast<char16_t>(point);
        return;
    }
    point -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (point >> 10));
    out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
}

void AppendUtf8(char32_t point, std::string& out) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

bool IsHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto first = static_cast<unsigned char>(text[i++]);
        if (first < 0x80) {
            out += static_cast<char16_t>(first);
            continue;
        }
        const Lead lead = LeadOf(first);
        char32_t point = first & (0x3F >> lead.trailBytes);
        unsigned char low = lead.firstLow;
        unsigned char high = lead.firstHigh;
        int missing = lead.trailBytes;
        for (; missing > 0 && i < text.size(); --missing) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < low || byte > high)
                break;
            point = (point << 6) | (byte & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++i;
        }
        if (lead.trailBytes == 0 || missing > 0)
            out += Replacement;
        else
            AppendCodePoint(point, out);
    }
    return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00), out);
        } else if (IsHigh(unit) || IsLow(unit)) {
            AppendUtf8(Replacement, out);
        } else {
            AppendUtf8(unit, out);
        }
    }
    return out;
}

} // namespace kelvor

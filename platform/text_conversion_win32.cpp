#include "platform/text_conversion.h"

#include <windows.h>

#include <algorithm>

namespace kelvor {
namespace {

// The system's conversion takes an int count; longer texts go in pieces that never split a
// surrogate pair.
constexpr std::size_t MaxPiece = 1u << 24;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

void AppendConverted(std::u16string_view piece, std::string& out) {
    const auto* wide = reinterpret_cast<const wchar_t*>(piece.data());
    const int length = static_cast<int>(piece.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data() + start, size, nullptr, nullptr);
}

} // namespace

std::string ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t piece = std::min(text.size(), MaxPiece);
        if (piece < text.size() && IsHighSurrogate(text[piece - 1])) {
            --piece;
        }
        AppendConverted(text.substr(0, piece), out);
        text.remove_prefix(piece);
    }
    return out;
}

} // namespace kelvor

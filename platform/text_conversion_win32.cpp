#include "platform/text_conversion.h"

#include "platform/error.h"

#include <windows.h>

#include <algorithm>
#include <climits>

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

bool IsAnsiLeadByte(char byte) noexcept {
    return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

std::string AnsiText(const Path& path) {
    const std::wstring& native = path.native();
    return ToAnsi(
        std::u16string_view(reinterpret_cast<const char16_t*>(native.data()), native.size()));
}

Path PathFromUtf16(std::u16string_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return Path(std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

Path PathFromAnsi(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        throw Error("A path of " + std::to_string(text.size()) + " bytes is too long");
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return Path(std::move(wide));
}

} // namespace kelvor

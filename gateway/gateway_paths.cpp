#include "gateway/gateway_paths.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_conversion.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace kelvor {
namespace {

constexpr std::int32_t LargestNumber = std::numeric_limits<std::int32_t>::max();
// Names read between two calls of the scan's `between`.
constexpr unsigned NamesBetweenCalls = 256;

// Joined as text: the gateway directory ends in its separator already, and whatever else it
// holds stays as the configuration file gave it.
Path InDirectory(const Path& gatewayDir, const char* directory, const std::string& name) {
    Path path = gatewayDir;
    path += PathFromAnsi(directory + (PathSeparator + name));
    return path;
}

// A name's characters when all of them are ASCII, as every name an export writes is.
std::optional<std::string> AsciiName(const Path& name) {
    std::string ascii;
    for (const auto c : name.native()) {
        if (c < 0x20 || c > 0x7E)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    return ascii;
}

// A number as exports write it: digits only, no leading zero, at most the largest 32-bit number.
std::optional<std::int32_t> Number(std::string_view digits) {
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > LargestNumber)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

bool SameLetters(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

enum class Folder { ApiIn, AttIn };

// The export number a file of that folder is named by, if it is one an export writes.
std::optional<std::int32_t> ExportNumberOf(Folder folder, const Path& name) {
    const std::optional<std::string> ascii = AsciiName(name);
    if (!ascii)
        return std::nullopt;
    const std::size_t dot = ascii->find('.');
    if (dot == std::string::npos)
        return std::nullopt;
    const std::string_view suffix = std::string_view(*ascii).substr(dot + 1);
    const bool ours = folder == Folder::ApiIn
                          ? SameLetters(suffix, "API") || SameLetters(suffix, "tmp")
                          : SameLetters(suffix, "MSG") || Number(suffix).has_value();
    return ours ? Number(std::string_view(*ascii).substr(0, dot)) : std::nullopt;
}

// The highest number among the folder's files; `names` counts the names read, for `between`.
std::int32_t LastNumberIn(Folder folder, const Path& directory, unsigned& names,
                          const std::function<void()>& between) {
    std::int32_t last = 0;
    VisitDirectory(directory, [&](const Path& name, bool isDirectory) {
        if (++names % NamesBetweenCalls == 0 && between)
            between();
        if (!isDirectory)
            last = std::max(last, ExportNumberOf(folder, name).value_or(0));
    });
    return last;
}

} // namespace

Path RequestFilePath(const Path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "API_IN", std::to_string(n) + ".API");
}

// A gateway takes only names that end in .API, so it never sees a request before it is whole;
// the number in the name claims the number for this export against every other writer.
Path RequestWritingPath(const Path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "API_IN", std::to_string(n) + ".tmp");
}

Path BodyFilePath(const Path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + ".MSG");
}

Path AttachmentCopyPath(const Path& gatewayDir, std::int32_t n, std::int32_t k) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + "." + std::to_string(k));
}

std::int32_t LastExportNumber(const Path& gatewayDir, const std::function<void()>& between) {
    unsigned names = 0;
    const std::int32_t requests =
        LastNumberIn(Folder::ApiIn, InDirectory(gatewayDir, "API_IN", ""), names, between);
    return std::max(requests, LastNumberIn(Folder::AttIn, InDirectory(gatewayDir, "ATT_IN", ""),
                                           names, between));
}

} // namespace kelvor

#include "platform/paths.h"

namespace kelvor {

std::string DirectoryOf(std::string_view filePath, char separator) {
    const bool drives = separator == '\\';
    const auto end =
        filePath.find_last_of(drives ? std::string_view("\\:") : std::string_view("/"));
    if (end == std::string_view::npos) {
        return std::string(1, separator);
    }
    std::string_view directory = filePath.substr(0, end + 1);
    // A directory keeps its final separator only when it is a root: "\", "/" or "C:\".
    const bool root = end == 0 || (drives && filePath[end - 1] == ':');
    if (filePath[end] == separator && !root) {
        directory.remove_suffix(1);
    }
    return WithTrailingSeparator(directory, separator);
}

std::string WithTrailingSeparator(std::string_view path, char separator) {
    std::string result(path);
    if (result.empty() || result.back() != separator) {
        result += separator;
    }
    return result;
}

} // namespace kelvor

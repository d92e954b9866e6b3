#include "platform/paths.h"

namespace kelvor {
namespace {

template <class Char>
std::basic_string<Char> WithTrailing(std::basic_string_view<Char> path, Char separator) {
    std::basic_string<Char> result(path);
    if (result.empty() || result.back() != separator) {
        result += separator;
    }
    return result;
}

template <class Char>
std::basic_string<Char> DirectoryPart(std::basic_string_view<Char> filePath, Char separator) {
    const bool drives = separator == Char('\\');
    const Char both[] = {Char('\\'), Char(':'), Char(0)};
    const Char alone[] = {separator, Char(0)};
    const auto end = filePath.find_last_of(drives ? both : alone);
    if (end == std::basic_string_view<Char>::npos) {
        return std::basic_string<Char>(1, separator);
    }
    std::basic_string_view<Char> directory = filePath.substr(0, end + 1);
    // A directory keeps its final separator only when it is a root: "\", "/" or "C:\".
    const bool root = end == 0 || (drives && filePath[end - 1] == Char(':'));
    if (filePath[end] == separator && !root) {
        directory.remove_suffix(1);
    }
    return WithTrailing(directory, separator);
}

} // namespace

std::string DirectoryOf(std::string_view filePath, char separator) {
    return DirectoryPart(filePath, separator);
}

Path DirectoryOfPath(const Path& filePath) {
    using Char = Path::value_type;
    return Path(
        DirectoryPart(std::basic_string_view<Char>(filePath.native()), Char(PathSeparator)));
}

Path WithTrailingSeparator(const Path& path) {
    using Char = Path::value_type;
    return Path(WithTrailing(std::basic_string_view<Char>(path.native()), Char(PathSeparator)));
}

} // namespace kelvor

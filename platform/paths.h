#pragma once

#include "platform/path.h"

#include <string>
#include <string_view>

namespace kelvor {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The directory of a file's path, ending in exactly one separator. With the backslash as
// separator a drive colon also ends the directory part, and the root of a drive ("C:\") keeps
// its backslash.
std::string DirectoryOf(std::string_view filePath, char separator = PathSeparator);
// The same for a path in the platform's own form, every character kept.
Path DirectoryOfPath(const Path& filePath);

// The path with one separator appended unless its last character already is one.
Path WithTrailingSeparator(const Path& path);

} // namespace kelvor

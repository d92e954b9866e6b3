#pragma once

#include "platform/files.h"
#include "platform/path.h"

#include <string>
#include <string_view>

namespace kelvor {

// Makes every lone CR, lone LF and CR LF pair one CR LF; the text ends before its first NUL.
std::string NormalizeLineEnds(std::string_view text);

// Creates the body file new with the text, line ends normalised and nothing added, and puts it on
// the disk; it is handed over open and not yet kept (see WriteNewFile). Throws NameTaken when the
// name exists, Error "Cannot create file %s" or "Stream write error".
[[nodiscard]] OutputFile SaveBodyFile(const Path& path, std::string_view text);

} // namespace kelvor

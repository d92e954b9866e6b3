#pragma once

#include "platform/path.h"

#include <string>
#include <string_view>

namespace kelvor {

// Makes every lone CR, lone LF and CR LF pair one CR LF; the text ends before its first NUL.
std::string NormalizeLineEnds(std::string_view text);

// Creates the body file new with the text, line ends normalised and nothing added. Throws
// NameTaken when the name exists, Error "Cannot create file %s" or "Stream write error".
void SaveBodyFile(const Path& path, std::string_view text);

} // namespace kelvor

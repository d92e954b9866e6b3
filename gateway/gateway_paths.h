#pragma once

#include "platform/path.h"

#include <cstdint>
#include <functional>

namespace kelvor {

// Paths of one export's files under the gateway directory, which ends in a separator.
Path RequestFilePath(const Path& gatewayDir, std::int32_t n);
// Where the request is written until it is whole: in API_IN, but not named as a request.
Path RequestWritingPath(const Path& gatewayDir, std::int32_t n);
Path BodyFilePath(const Path& gatewayDir, std::int32_t n);
Path AttachmentCopyPath(const Path& gatewayDir, std::int32_t n, std::int32_t k);

// The highest export number that the files in API_IN and ATT_IN are named by (requests, requests
// being written, body files, attachment copies); 0 when there is none, or neither directory
// exists. Where a run begins to count, not a number it may take: others may write meanwhile. A
// name counts only as an export would write it: a file (no folder), a number of 1 to the largest
// 32-bit number without leading zeros, a full stop, the suffix (its letters in either case, as
// Windows does not tell them apart). Calls `between` after every few hundred names. Throws
// ListingFailed when a directory that exists cannot be listed in full.
std::int32_t LastExportNumber(const Path& gatewayDir, const std::function<void()>& between);

} // namespace kelvor

#pragma once

#include "platform/path.h"

#include <cstdint>

namespace kelvor {

// Paths of one export's files under the gateway directory, which ends in a separator.
Path RequestFilePath(const Path& gatewayDir, std::int32_t n);
Path BodyFilePath(const Path& gatewayDir, std::int32_t n);
Path AttachmentCopyPath(const Path& gatewayDir, std::int32_t n, std::int32_t k);

} // namespace kelvor

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor {

// Paths of one export's files under the gateway directory, which ends in a separator.
std::string RequestFilePath(std::string_view gatewayDir, std::int32_t n);
std::string BodyFilePath(std::string_view gatewayDir, std::int32_t n);
std::string AttachmentCopyPath(std::string_view gatewayDir, std::int32_t n, std::int32_t k);

} // namespace kelvor

#pragma once

#include <cstdint>
#include <filesystem>

namespace kelvor {

// Paths of one export's files under the gateway directory, which ends in a separator.
std::filesystem::path RequestFilePath(const std::filesystem::path& gatewayDir, std::int32_t n);
std::filesystem::path BodyFilePath(const std::filesystem::path& gatewayDir, std::int32_t n);
std::filesystem::path AttachmentCopyPath(const std::filesystem::path& gatewayDir, std::int32_t n,
                                         std::int32_t k);

} // namespace kelvor

#include "gateway/gateway_paths.h"

#include "platform/paths.h"

#include <string>

namespace kelvor {
namespace {

// Joined as text: the gateway directory ends in its separator already, and whatever else it
// holds stays as the configuration file gave it.
std::filesystem::path InDirectory(const std::filesystem::path& gatewayDir, const char* directory,
                                  const std::string& name) {
    std::filesystem::path path = gatewayDir;
    path += directory;
    path += PathSeparator;
    path += name;
    return path;
}

} // namespace

std::filesystem::path RequestFilePath(const std::filesystem::path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "API_IN", std::to_string(n) + ".API");
}

std::filesystem::path BodyFilePath(const std::filesystem::path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + ".MSG");
}

std::filesystem::path AttachmentCopyPath(const std::filesystem::path& gatewayDir, std::int32_t n,
                                         std::int32_t k) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + "." + std::to_string(k));
}

} // namespace kelvor

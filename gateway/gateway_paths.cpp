#include "gateway/gateway_paths.h"

#include "platform/paths.h"
#include "platform/text_conversion.h"

#include <string>

namespace kelvor {
namespace {

// Joined as text: the gateway directory ends in its separator already, and whatever else it
// holds stays as the configuration file gave it.
Path InDirectory(const Path& gatewayDir, const char* directory, const std::string& name) {
    Path path = gatewayDir;
    path += PathFromAnsi(directory + (PathSeparator + name));
    return path;
}

} // namespace

Path RequestFilePath(const Path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "API_IN", std::to_string(n) + ".API");
}

Path BodyFilePath(const Path& gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + ".MSG");
}

Path AttachmentCopyPath(const Path& gatewayDir, std::int32_t n, std::int32_t k) {
    return InDirectory(gatewayDir, "ATT_IN", std::to_string(n) + "." + std::to_string(k));
}

} // namespace kelvor

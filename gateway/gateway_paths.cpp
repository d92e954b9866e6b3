#include "gateway/gateway_paths.h"

#include "platform/paths.h"

namespace kelvor {
namespace {

std::string InDirectory(std::string_view gatewayDir, std::string_view directory) {
    std::string path(gatewayDir);
    path += directory;
    path += PathSeparator;
    return path;
}

} // namespace

std::string RequestFilePath(std::string_view gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "API_IN") + std::to_string(n) + ".API";
}

std::string BodyFilePath(std::string_view gatewayDir, std::int32_t n) {
    return InDirectory(gatewayDir, "ATT_IN") + std::to_string(n) + ".MSG";
}

std::string AttachmentCopyPath(std::string_view gatewayDir, std::int32_t n, std::int32_t k) {
    return InDirectory(gatewayDir, "ATT_IN") + std::to_string(n) + "." + std::to_string(k);
}

} // namespace kelvor

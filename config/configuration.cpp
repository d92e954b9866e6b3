#include "config/configuration.h"

#include "config/configuration_lines.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_conversion.h"

#include <vector>

namespace kelvor {
namespace {

constexpr std::size_t ReadBufferSize = 1 << 16;

} // namespace

Configuration LoadConfiguration(const Path& executablePath) {
    Configuration configuration;
    configuration.ProgramDir = DirectoryOfPath(executablePath);

    InputFile file;
    Path filePath = configuration.ProgramDir;
    filePath += PathFromAnsi(ConfigurationFileName);
    if (!file.Open(filePath)) {
        throw NoConfigurationFile();
    }
    ConfigurationLines lines;
    std::vector<char> buffer(ReadBufferSize);
    while (!lines.Done()) {
        const std::size_t got = file.Read(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        lines.Feed(std::string_view(buffer.data(), got));
    }
    file.Close();
    lines.End();

    const Path gatewayDir = lines.PathValue(0);
    if (gatewayDir.empty()) {
        throw NoGatewayDirectory();
    }
    // Appended to the path's characters: in a two-byte code page the last byte of a line may be
    // the second half of a character and still read 5C.
    configuration.GatewayDir = WithTrailingSeparator(gatewayDir);
    configuration.RecipientQualifier1 = lines.Value(1);
    configuration.RecipientQualifier2 = lines.Value(2);
    return configuration;
}

} // namespace kelvor

#pragma once

#include "platform/error.h"
#include "platform/path.h"

#include <string>

namespace kelvor {

// The values read from "kelvor.prm" beside the executable. The qualifiers are the file's ANSI
// bytes; the gateway directory, ANSI bytes in the file, is a path here.
struct Configuration {
    Path ProgramDir;
    Path GatewayDir;
    std::string RecipientQualifier1;
    std::string RecipientQualifier2;
};

class NoConfigurationFile : public Error {
public:
    NoConfigurationFile() : Error("No configuration file found.") {}
};

class NoGatewayDirectory : public Error {
public:
    NoGatewayDirectory() : Error("No gateway directory in configuration file.") {}
};

inline constexpr const char* ConfigurationFileName = "kelvor.prm";

// Reads the configuration file in the directory of the given executable. Throws
// NoConfigurationFile when the file cannot be opened, NoGatewayDirectory when its first line is
// empty, and EInOutError when a read or the close fails.
Configuration LoadConfiguration(const Path& executablePath);

} // namespace kelvor

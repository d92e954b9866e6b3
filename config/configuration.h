#pragma once

#include "platform/error.h"
#include "platform/path.h"

#include <string>

namespace kelvor {

// The values read from "kelvor.prm" beside the executable. The qualifiers are ANSI text: the
// file's bytes, or its characters converted when it is UTF-8 or UTF-16; the gateway directory is
// a path here, every character of a UTF-8 or UTF-16 file kept.
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

#include "platform/files.h"

#include "platform/io_error.h"

namespace kelvor {

void WriteWholeFile(const Path& path, std::string_view text) {
    OutputFile file;
    if (!file.Create(path)) {
        throw Error("Cannot create file " + AnsiText(path));
    }
    try {
        file.Write(text);
        file.Close();
    } catch (const EInOutError&) {
        // The file is closed with what it holds.
        throw Error("Stream write error");
    }
}

} // namespace kelvor

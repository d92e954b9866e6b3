#include "platform/files.h"

#include "platform/io_error.h"

#include <utility>

namespace kelvor {

void WriteNewFile(const Path& path, std::string_view text) {
    OutputFile file;
    if (!file.CreateNew(path)) {
        throw Error("Cannot create file " + AnsiText(path));
    }
    try {
        file.Write(text);
        file.Close();
    } catch (const EInOutError&) {
        // A part of the text never passes for all of it. Closed first: Windows removes no file
        // that is open.
        { const OutputFile closing = std::move(file); }
        RemoveFile(path);
        throw Error("Stream write error");
    }
}

} // namespace kelvor

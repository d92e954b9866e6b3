#include "platform/files.h"

#include "platform/io_error.h"

namespace kelvor {

OutputFile WriteNewFile(const Path& path, std::string_view text) {
    OutputFile file;
    if (!file.CreateNew(path)) {
        throw Error("Cannot create file " + AnsiText(path));
    }
    try {
        file.Write(text);
        file.Flush();
    } catch (const EInOutError&) {
        // A part of the text never passes for all of it: the file goes with its owner.
        throw Error("Stream write error");
    }
    return file;
}

} // namespace kelvor

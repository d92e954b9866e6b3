#pragma once

#include "platform/error.h"
#include "platform/path.h"
#include "platform/text_conversion.h"
#include "platform/unique_handle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor {

// Paths are Path, UTF-16 on Windows: a path the system hands over keeps every
// character, which the ANSI code page need not have.

// The full path of the running executable, as the system reports it for the program's module.
Path ExecutablePath();

// An open file of the system's: a HANDLE on Windows, a descriptor elsewhere; -1 is none on both.
using FileHandle = std::intptr_t;
constexpr FileHandle NoFileHandle() noexcept {
    return -1;
}
// Closes and ignores a failure; the files' Close() is where a failure is reported.
void CloseFileHandle(FileHandle file) noexcept;
using UniqueFile = UniqueHandle<FileHandle, CloseFileHandle, NoFileHandle>;

// An existing file opened for reading; other programs may read it too but not write it.
class InputFile {
public:
    // False when the file cannot be opened for any reason (missing, a directory, access denied,
    // held open for writing by another program); the file is never created.
    bool Open(const Path& path);
    bool IsOpen() const noexcept;
    // Reads up to size bytes; 0 means the end of the file. Throws EInOutError.
    std::size_t Read(char* buffer, std::size_t size);
    // Throws EInOutError when the close fails; the file is closed either way.
    void Close();

private:
    UniqueFile file_;
};

// A file created for writing, replacing a file of the same name; others may read it meanwhile.
class OutputFile {
public:
    // False when the file cannot be created.
    bool Create(const Path& path);
    bool IsOpen() const noexcept;
    // Writes all of data. Throws EInOutError; a short write is DiskFull.
    void Write(std::string_view data);
    // Throws EInOutError when the close fails; the file is closed either way.
    void Close();

private:
    UniqueFile file_;
};

// Creates or replaces the file and writes the whole text into it. Throws Error "Cannot create
// file %s" when it cannot be created and "Stream write error" when the text cannot be written in
// full; the file is then closed holding what was written.
void WriteWholeFile(const Path& path, std::string_view text);

// A failed copy: the message names both files, in the ANSI code page, and the system's reason.
class CopyFailed : public Error {
public:
    CopyFailed(const Path& from, const Path& to, const std::string& reason)
        : Error("Cannot copy attachment " + AnsiText(from) + " to " + AnsiText(to) + ": " + reason),
          reason_(reason) {}
    const std::string& Reason() const noexcept { return reason_; }

private:
    std::string reason_;
};

// Copies a file byte for byte, replacing an existing target. Throws CopyFailed, whose message is
// "Cannot copy attachment %s to %s: %s" with the system's text for the reason.
void CopyFileReplacing(const Path& from, const Path& to);

// Removes a file; false when it could not be removed.
bool RemoveFile(const Path& path);

// Gives a closed file another name in the same directory in one step, replacing a file of that
// name; on Windows it returns once the new name is on the disk. Throws Error "Cannot rename %s to
// %s: %s" with the system's text for the reason; the file then keeps its old name.
void RenameReplacing(const Path& from, const Path& to);

// The names of the entries of a directory (files and directories, "." and ".." left out), in no
// particular order. The directory may end in its separator. None when it cannot be listed:
// missing, not a directory, or not to be read.
std::vector<Path> DirectoryNames(const Path& directory);

} // namespace kelvor

#pragma once

#include "platform/error.h"
#include "platform/path.h"
#include "platform/text_conversion.h"
#include "platform/unique_handle.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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

// A file was to be created, or a file given a name, under a name that exists already: nothing
// was written under it, and what holds the name is left as it is.
class NameTaken : public Error {
public:
    explicit NameTaken(const Path& path) : Error(AnsiText(path) + " exists already") {}
};

// A file created new for writing; others may read it meanwhile. No file of the same name is ever
// opened: creating one is how a writer claims a name that other writers, on this machine or
// another one sharing the folder, may want too.
class OutputFile {
public:
    // False when the file cannot be created; throws NameTaken when the name exists.
    bool CreateNew(const Path& path);
    bool IsOpen() const noexcept;
    // Writes all of data. Throws EInOutError; a short write is DiskFull.
    void Write(std::string_view data);
    // Throws EInOutError when the close fails; the file is closed either way.
    void Close();

private:
    UniqueFile file_;
};

// Creates a new file and writes the whole text into it. Throws NameTaken when the name exists,
// Error "Cannot create file %s" when it cannot be created and "Stream write error" when the text
// cannot be written in full; the file is then removed.
void WriteNewFile(const Path& path, std::string_view text);

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

// Copies a file byte for byte to a new file, calling `between` (when set) after every piece of
// at most 256 KiB. Throws NameTaken when the target's name exists, and CopyFailed, whose message
// is "Cannot copy attachment %s to %s: %s" with the system's text for the reason. Whatever ends
// it part-way, an exception of `between` too, removes the unfinished copy.
void CopyToNewFile(const Path& from, const Path& to, const std::function<void()>& between = {});

// Removes a file; false when it could not be removed.
bool RemoveFile(const Path& path);

// Gives a closed file another name in the same directory in one step, never replacing a file of
// that name; on Windows it returns once the new name is on the disk, though not necessarily the
// file's bytes. Throws NameTaken when the name exists, and Error "Cannot rename %s to %s: %s"
// with the system's text for the reason; the file then keeps its old name.
void RenameToNewName(const Path& from, const Path& to);

// A directory that exists but cannot be listed, in full or at all: the message names it, in the
// ANSI code page, and the system's reason.
class ListingFailed : public Error {
public:
    ListingFailed(const Path& directory, const std::string& reason)
        : Error("Cannot list " + AnsiText(directory) + ": " + reason) {}
};

// Calls `visit` with the name of every entry of a directory ("." and ".." left out), in no
// particular order, and whether it is a directory itself; the names are read a few at a time,
// never all at once. The directory may end in its separator. False when the system finds no such
// directory; throws ListingFailed when it cannot be listed otherwise or the listing fails part-way.
// An exception of `visit` ends the walk.
bool VisitDirectory(const Path& directory,
                    const std::function<void(const Path& name, bool isDirectory)>& visit);

} // namespace kelvor

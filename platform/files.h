#pragma once

#include "platform/error.h"
#include "platform/path.h"
#include "platform/text_conversion.h"
#include "platform/unique_handle.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

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
// was written under it, and what holds the name is left as it is. On Windows a name whose file is
// being deleted (another writer's unfinished file) or held by a scanner or a backup agent answers
// "access denied" or "sharing violation" rather than "exists": such a name is taken when a
// listing of its folder shows it, and tried again a few times when it does not (JudgeRefusal).
class NameTaken : public Error {
public:
    explicit NameTaken(const Path& path) : Error(AnsiText(path) + " exists already") {}
};

// A file of the gateway being written, created new: no file of the same name is ever opened, as
// creating one is how a writer claims a name that other writers, on this machine or another one
// sharing the folder, may want too. On Windows it is marked for deletion from its creation until
// Keep(), so that the system removes it whatever ends the process (a crash, Task Manager, the end
// of the session); meanwhile no other program can open it. The POSIX build has no such mark: there
// the owner removes it, and a killed process leaves it.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept
        : file_(std::move(other.file_)), keeper_(std::move(other.keeper_)),
          path_(std::exchange(other.path_, Path())) {}
    OutputFile& operator=(OutputFile&& other) = delete;
    // A file neither kept nor published is removed.
    ~OutputFile();

    // Discards a file still open first. False when the file cannot be created, or marked, with
    // the system's reason as the thread's last error; throws NameTaken when the name is taken.
    bool CreateNew(const Path& path);
    bool IsOpen() const noexcept;
    // Writes all of data. Throws EInOutError; a short write is DiskFull.
    void Write(std::string_view data);
    // Puts the bytes written so far on the disk, not only into the system's cache. Throws
    // EInOutError.
    void Flush();
    // Clears the mark and closes the file, which then stays under its name and is no longer the
    // owner's. Throws EInOutError.
    void Keep();
    // Gives this file, flushed, the name `name` in the same directory, never replacing a file of
    // that name, and keeps it and the files `named` (each flushed, in the same state): all of them
    // stay from then on, or, should this one not take its name, none. Then asks the system to put
    // the directory's names on the disk. No handle of ours that may write any of them is open when
    // the name appears, and those that keep them, which have the right to delete them, are closed
    // at once. Throws EInOutError, NameTaken when the name is taken, and Error
    // "Cannot rename %s to %s: %s" with the system's text for the reason; all are then left for
    // Discard().
    void Publish(const Path& name, std::span<OutputFile> named = {});
    // Removes the file: an open one as it is closed, one left closed by its name. False when that
    // one could not be removed; nothing is done for a file never created, kept or published.
    bool Discard() noexcept;

private:
    friend OutputFile CopyToNewFile(const Path& from, const Path& to,
                                    const std::function<void()>& between);

    UniqueFile file_;
    // On Windows: a handle without the right to write, which keeps the file, marked, once the
    // handle that wrote it is closed, for Publish to clear the mark and rename it.
    UniqueFile keeper_;
    // Until it is kept, published or discarded: the name to remove it by.
    Path path_;
};

// Creates a new file, writes the whole text into it and puts it on the disk; the file is handed
// over open and not yet kept. Throws NameTaken when the name exists, Error "Cannot create file %s"
// when it cannot be created and "Stream write error" when the text cannot be written in full; the
// file is then removed.
[[nodiscard]] OutputFile WriteNewFile(const Path& path, std::string_view text);

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
// at most 256 KiB, and puts the copy on the disk as it goes (every 32 MiB, so that its last flush
// is short); the copy is handed over open and not yet kept. Throws NameTaken when the target's
// name exists, and CopyFailed, whose message is "Cannot copy attachment %s to %s: %s" with the
// system's text for the reason. Whatever ends it part-way, an exception of `between` too, removes
// the unfinished copy.
[[nodiscard]] OutputFile CopyToNewFile(const Path& from, const Path& to,
                                       const std::function<void()>& between = {});
// The flush of a whole copy of 2 GiB at its end took most of a second in one call, which no stop
// can cut short; one every 32 MiB keeps each call a fraction of that.
inline constexpr std::uint64_t CopyFlushInterval = std::uint64_t{32} << 20;

// Removes a file; false when it could not be removed.
bool RemoveFile(const Path& path);

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

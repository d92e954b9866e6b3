#include "platform/files.h"

#include "platform/io_error.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kelvor {
namespace {

constexpr std::size_t CopyBufferSize = 1 << 16;
// What a copy inside the kernel moves between two calls of its `between`.
constexpr off_t KernelCopyPiece = 1 << 18;

int Fd(const UniqueFile& file) {
    return static_cast<int>(file.get());
}

[[noreturn]] void ThrowInOutError() {
    throw EInOutError(InOutErrorCodeFromErrno(errno));
}

void CloseChecked(UniqueFile& file) {
    const int fd = static_cast<int>(file.release());
    // After a failed close the descriptor is gone all the same (and EINTR is no failure).
    if (fd != -1 && ::close(fd) != 0 && errno != EINTR) {
        ThrowInOutError();
    }
}

// Writes all of data; false with errno set when it cannot.
bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

// Puts what was written to the file on the disk; false with errno set when it cannot.
bool Sync(int fd) {
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Puts a directory's names on the disk, as a rename made there; false with errno set when it
// cannot.
bool SyncDirectory(const Path& directory) {
    const UniqueFile folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder && Sync(Fd(folder));
}

// Counts what the copy writes and puts it on the disk every CopyFlushInterval bytes; false with
// errno set when it cannot.
class CopyFlusher {
public:
    explicit CopyFlusher(int out) : out_(out) {}
    bool Wrote(std::uint64_t bytes) {
        unflushed_ += bytes;
        if (unflushed_ < CopyFlushInterval)
            return true;
        unflushed_ = 0;
        return Sync(out_);
    }

private:
    int out_;
    std::uint64_t unflushed_ = 0;
};

// Copies the bytes of `in` to `out` through a user buffer, calling `between` after every piece.
// Returns 0 or the errno of the failure.
int CopyThroughBuffer(int in, int out, CopyFlusher& flusher, const std::function<void()>& between) {
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        const ssize_t got = ReadSome(in, buffer.data(), buffer.size());
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        if (!WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(got))) ||
            !flusher.Wrote(static_cast<std::uint64_t>(got)))
            return errno;
        if (between)
            between();
    }
}

// Copies a regular file of the size it had when opened inside the kernel, which spares two
// copies of every byte through user memory. Returns 0, the errno of the failure, or -1 when the
// system cannot copy these files that way and nothing was copied yet.
int CopyInKernel([[maybe_unused]] int in, [[maybe_unused]] int out, [[maybe_unused]] off_t size,
                 [[maybe_unused]] CopyFlusher& flusher,
                 [[maybe_unused]] const std::function<void()>& between) {
#ifdef __linux__
    off_t copied = 0;
    while (copied < size) {
        const ssize_t moved = ::copy_file_range(
            in, nullptr, out, nullptr,
            static_cast<std::size_t>(std::min(size - copied, KernelCopyPiece)), 0);
        if (moved > 0) {
            copied += moved;
            if (!flusher.Wrote(static_cast<std::uint64_t>(moved)))
                return errno;
            if (between)
                between();
        } else if (moved == 0) {
            break; // the file shrank meanwhile: it is copied as it now is
        } else if (errno != EINTR) {
            const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                     errno == EOPNOTSUPP || errno == EBADF;
            return unsupported && copied == 0 ? -1 : errno;
        }
    }
    return 0;
#else
    return -1;
#endif
}

void CloseDirectory(DIR* directory) noexcept {
    ::closedir(directory);
}
using UniqueDirectory = UniqueHandle<DIR*, CloseDirectory>;

bool IsDirectory(DIR* directory, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    // Some file systems do not say in the entry; an entry gone meanwhile is no directory.
    struct stat status {};
    return ::fstatat(::dirfd(directory), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(status.st_mode);
}

} // namespace

void CloseFileHandle(FileHandle file) noexcept {
    ::close(static_cast<int>(file));
}

Path ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            throw Error(std::string("Cannot determine the program's path: ") +
                        std::strerror(errno));
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return Path(std::string(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool InputFile::Open(const Path& path) {
    file_.reset();
    // POSIX has no share modes to keep writers out; opening a directory succeeds here and is
    // refused below.
    UniqueFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!file || ::fstat(Fd(file), &status) != 0 || S_ISDIR(status.st_mode)) {
        return false;
    }
    file_ = std::move(file);
    return true;
}

bool InputFile::IsOpen() const noexcept {
    return static_cast<bool>(file_);
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    const ssize_t got = ReadSome(Fd(file_), buffer, size);
    if (got < 0) {
        ThrowInOutError();
    }
    return static_cast<std::size_t>(got);
}

void InputFile::Close() {
    CloseChecked(file_);
}

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::CreateNew(const Path& path) {
    Discard();
    UniqueFile file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file) {
        if (errno == EEXIST)
            throw NameTaken(path);
        return false;
    }
    file_ = std::move(file);
    path_ = path;
    return true;
}

bool OutputFile::IsOpen() const noexcept {
    return static_cast<bool>(file_);
}

void OutputFile::Write(std::string_view data) {
    if (!WriteAll(Fd(file_), data)) {
        ThrowInOutError();
    }
}

void OutputFile::Flush() {
    if (!Sync(Fd(file_)))
        ThrowInOutError();
}

void OutputFile::Keep() {
    CloseChecked(file_);
    path_ = Path();
}

void OutputFile::Publish(const Path& name, std::span<OutputFile> named) {
    file_.reset();
#ifdef __linux__
    const bool renamed =
        ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0;
#else
    // Two steps where the system has no rename that refuses to replace: the file has both names
    // for a moment, never another file's.
    const bool renamed = ::link(path_.c_str(), name.c_str()) == 0 && ::unlink(path_.c_str()) == 0;
#endif
    if (!renamed) {
        const int error = errno;
        if (error == EEXIST) {
            throw NameTaken(name);
        }
        throw Error("Cannot rename " + AnsiText(path_) + " to " + AnsiText(name) + ": " +
                    std::strerror(error));
    }
    path_ = Path();
    // Here no mark: what the owner no longer removes stays.
    for (OutputFile& file : named) {
        file.file_.reset();
        file.path_ = Path();
    }
    // The name is given by then, whether or not its directory reaches the disk.
    SyncDirectory(DirectoryOfPath(name));
}

bool OutputFile::Discard() noexcept {
    const Path path = std::exchange(path_, Path());
    file_.reset();
    return path.empty() || RemoveFile(path);
}

OutputFile CopyToNewFile(const Path& from, const Path& to, const std::function<void()>& between) {
    const auto fail = [&](int error) { throw CopyFailed(from, to, std::strerror(error)); };
    const UniqueFile in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat sourceStatus {};
    if (!in || ::fstat(Fd(in), &sourceStatus) != 0) {
        fail(errno);
    }
    if (S_ISDIR(sourceStatus.st_mode)) {
        fail(EISDIR);
    }
    // Whatever ends the copy from here on removes it with its owner.
    OutputFile out;
    if (!out.CreateNew(to)) {
        fail(errno);
    }
    const int copy = Fd(out.file_);
    CopyFlusher flusher(copy);
    int error = S_ISREG(sourceStatus.st_mode) && sourceStatus.st_size > 0
                    ? CopyInKernel(Fd(in), copy, sourceStatus.st_size, flusher, between)
                    : -1;
    if (error == -1) {
        error = CopyThroughBuffer(Fd(in), copy, flusher, between);
    }
    if (error != 0) {
        fail(error);
    }
    if (!Sync(copy)) {
        fail(errno);
    }
    return out;
}

bool RemoveFile(const Path& path) {
    return ::unlink(path.c_str()) == 0;
}

bool VisitDirectory(const Path& directory,
                    const std::function<void(const Path& name, bool isDirectory)>& visit) {
    const auto fail = [&](int error) { throw ListingFailed(directory, std::strerror(error)); };
    const UniqueDirectory entries(::opendir(directory.c_str()));
    if (!entries) {
        const int error = errno;
        if (error == ENOENT) {
            return false;
        }
        fail(error);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries.get());
        if (!entry) {
            if (const int error = errno; error != 0) {
                fail(error);
            }
            return true;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            visit(Path(std::string(name)), IsDirectory(entries.get(), *entry));
        }
    }
}

} // namespace kelvor

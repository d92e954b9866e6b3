#include "platform/files.h"

#include "platform/io_error.h"
#include "platform/local_memory_win32.h"
#include "platform/name_refusal.h"
#include "platform/paths.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace kelvor {
namespace {

// ReadFile and WriteFile take a DWORD count.
constexpr std::size_t MaxTransfer = 1u << 30;
constexpr std::size_t CopyPiece = 1u << 18;

HANDLE Handle(const UniqueFile& file) {
    return reinterpret_cast<HANDLE>(file.get());
}
// CreateFileW's INVALID_HANDLE_VALUE is the owner's none.
UniqueFile Own(HANDLE file) {
    return UniqueFile(reinterpret_cast<FileHandle>(file));
}

[[noreturn]] void ThrowInOutError() {
    const DWORD code = GetLastError();
    // A full disk reads "Disk full" whichever way the system reports it.
    if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL)
        throw EInOutError(DiskFull);
    throw EInOutError(static_cast<int>(code));
}

void CloseChecked(UniqueFile& file) {
    const FileHandle closing = file.release();
    if (closing != NoFileHandle() && !CloseHandle(reinterpret_cast<HANDLE>(closing))) {
        ThrowInOutError();
    }
}

// The system's text for an error code, without the line end it comes with.
std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const UniqueLocal<char> owner(text);
    if (length == 0 || text == nullptr) {
        return "System error " + std::to_string(code);
    }
    std::string message(text, length);
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') {
        message.pop_back();
    }
    return message;
}

void CloseFind(HANDLE search) noexcept {
    FindClose(search);
}
HANDLE NoFind() noexcept {
    return INVALID_HANDLE_VALUE;
}
using UniqueFind = UniqueHandle<HANDLE, CloseFind, NoFind>;

// Whether the name a creation or a rename was refused is taken, to be tried again or a failure. A
// name whose file is being deleted, or that another program holds, is denied rather than said to
// exist, and only a listing shows it; the last error is left as the refusal set it.
Refusal JudgeRefused(DWORD code, const Path& path, int attempt) {
    const bool denied = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
    bool listed = false;
    if (denied) {
        WIN32_FIND_DATAW entry{};
        listed = static_cast<bool>(UniqueFind(FindFirstFileExW(
            path.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0)));
    }
    SetLastError(code);
    const Refusal refusal = JudgeRefusal(code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS,
                                         denied, listed, attempt);
    if (refusal == Refusal::TryAgain)
        Sleep(static_cast<DWORD>(RefusalPause(attempt).count()));
    return refusal;
}

// Sets whether the system removes the file once its last handle is closed, whatever ends the
// process; false when it cannot.
bool MarkForDeletion(const UniqueFile& file, bool marked) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = marked;
    return SetFileInformationByHandle(Handle(file), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

// Asks the system to put a directory's names on the disk: NTFS commits them with a flush of the
// directory. Other file systems and servers may refuse, which changes nothing of what was done.
void FlushDirectory(const Path& directory) {
    const UniqueFile folder = Own(CreateFileW(
        directory.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder)
        FlushFileBuffers(Handle(folder));
}

} // namespace

void CloseFileHandle(FileHandle file) noexcept {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

Path ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw Error("Cannot determine the program's path: " + SystemMessage(GetLastError()));
        }
        if (length < path.size()) {
            path.resize(length);
            return Path(std::move(path));
        }
        path.resize(path.size() * 2);
    }
}

bool InputFile::Open(const Path& path) {
    file_.reset();
    // A directory cannot be opened this way, and a file someone holds open for writing is
    // refused because writers are not shared with.
    file_ = Own(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return IsOpen();
}

bool InputFile::IsOpen() const noexcept {
    return static_cast<bool>(file_);
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(Handle(file_), buffer, static_cast<DWORD>(std::min(size, MaxTransfer)), &got,
                  nullptr)) {
        ThrowInOutError();
    }
    return got;
}

void InputFile::Close() {
    CloseChecked(file_);
}

// Closed marked, a file never kept is gone.
OutputFile::~OutputFile() = default;

bool OutputFile::CreateNew(const Path& path) {
    Discard();
    UniqueFile file;
    for (int attempt = 1; !file; ++attempt) {
        // Shared with readers, and with the handle that keeps it; whoever opens it must share its
        // deletion in turn.
        file = Own(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            break;
        switch (JudgeRefused(GetLastError(), path, attempt)) {
        case Refusal::Taken:
            throw NameTaken(path);
        case Refusal::TryAgain:
            continue;
        case Refusal::Failure:
            return false;
        }
    }
    // Opened before the mark, after which the system opens the file for no one. Every mark is set
    // and cleared through it: Wine keeps a mark with the handle that set it.
    UniqueFile keeper = Own(ReOpenFile(Handle(file), DELETE | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!keeper || !MarkForDeletion(keeper, true)) {
        const DWORD code = GetLastError();
        keeper.reset();
        file.reset();
        DeleteFileW(path.c_str());
        SetLastError(code);
        return false;
    }
    file_ = std::move(file);
    keeper_ = std::move(keeper);
    path_ = path;
    return true;
}

bool OutputFile::IsOpen() const noexcept {
    return static_cast<bool>(file_);
}

void OutputFile::Write(std::string_view data) {
    while (!data.empty()) {
        const DWORD size = static_cast<DWORD>(std::min(data.size(), MaxTransfer));
        DWORD written = 0;
        if (!WriteFile(Handle(file_), data.data(), size, &written, nullptr)) {
            ThrowInOutError();
        }
        if (written < size) {
            throw EInOutError(DiskFull);
        }
        data.remove_prefix(size);
    }
}

void OutputFile::Flush() {
    if (!FlushFileBuffers(Handle(file_)))
        ThrowInOutError();
}

void OutputFile::Keep() {
    if (!MarkForDeletion(keeper_, false))
        ThrowInOutError();
    file_.reset();
    keeper_.reset();
    path_ = Path();
}

void OutputFile::Publish(const Path& name, std::span<OutputFile> named) {
    std::vector<OutputFile*> files{this};
    for (OutputFile& file : named)
        files.push_back(&file);
    // Whole and on the disk: what closing could report changes nothing. Each lives on, marked,
    // through the handle that keeps it.
    for (OutputFile* file : files)
        file->file_.reset();
    // Back to where they were, should this one not take its name: Discard then removes them all.
    const auto undo = [&] {
        for (OutputFile* file : files)
            MarkForDeletion(file->keeper_, true);
    };
    for (OutputFile* file : files) {
        if (!MarkForDeletion(file->keeper_, false)) {
            const DWORD code = GetLastError();
            undo();
            SetLastError(code);
            ThrowInOutError();
        }
    }
    // Its keeper shares the deletion that renaming it takes. Not replacing: another writer's file
    // of that name stays as it is.
    for (int attempt = 1; !MoveFileExW(path_.c_str(), name.c_str(), 0); ++attempt) {
        const DWORD code = GetLastError();
        const Refusal refusal = JudgeRefused(code, name, attempt);
        if (refusal == Refusal::TryAgain)
            continue;
        undo();
        if (refusal == Refusal::Taken)
            throw NameTaken(name);
        throw Error("Cannot rename " + AnsiText(path_) + " to " + AnsiText(name) + ": " +
                    SystemMessage(code));
    }
    // Whoever opens them now must not be refused for a handle of ours.
    for (OutputFile* file : files) {
        file->keeper_.reset();
        file->path_ = Path();
    }
    FlushDirectory(DirectoryOfPath(name));
}

bool OutputFile::Discard() noexcept {
    const Path path = std::exchange(path_, Path());
    if (keeper_) {
        // Closed marked, the file is gone, as soon as whoever else holds it lets it go.
        const bool marked = MarkForDeletion(keeper_, true);
        file_.reset();
        keeper_.reset();
        if (marked)
            return true;
    }
    return path.empty() || RemoveFile(path);
}

OutputFile CopyToNewFile(const Path& from, const Path& to, const std::function<void()>& between) {
    // The bytes alone, copied here rather than by CopyFileW, which would give the copy the
    // source's read-only, hidden and system attributes and its encryption: a copy the gateway
    // could not delete or read.
    const auto fail = [&](DWORD error) { throw CopyFailed(from, to, SystemMessage(error)); };
    const UniqueFile in =
        Own(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        fail(GetLastError());
    }
    // Whatever ends the copy from here on removes it with its owner.
    OutputFile out;
    if (!out.CreateNew(to)) {
        fail(GetLastError());
    }
    const HANDLE copy = Handle(out.file_);
    std::vector<char> buffer(CopyPiece);
    std::uint64_t unflushed = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(Handle(in), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      nullptr)) {
            fail(GetLastError());
        }
        if (got == 0) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(copy, buffer.data(), got, &written, nullptr)) {
            fail(GetLastError());
        }
        if (written < got) {
            fail(ERROR_DISK_FULL);
        }
        unflushed += got;
        if (unflushed >= CopyFlushInterval) {
            if (!FlushFileBuffers(copy))
                fail(GetLastError());
            unflushed = 0;
        }
        if (between) {
            between();
        }
    }
    if (!FlushFileBuffers(copy)) {
        fail(GetLastError());
    }
    return out;
}

bool RemoveFile(const Path& path) {
    return DeleteFileW(path.c_str()) != 0;
}

bool VisitDirectory(const Path& directory,
                    const std::function<void(const Path& name, bool isDirectory)>& visit) {
    std::wstring pattern = directory.native();
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L'*';
    const auto fail = [&](DWORD code) { throw ListingFailed(directory, SystemMessage(code)); };
    WIN32_FIND_DATAW entry{};
    // The short names are not wanted, and a share hands over more names in each answer.
    const UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        const DWORD code = GetLastError();
        // Nothing to list: no such folder, or one that gives not even "." and "..".
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return false;
        }
        fail(code);
    }
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") {
            visit(Path(std::wstring(name)),
                  (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileW(search.get(), &entry));
    if (const DWORD code = GetLastError(); code != ERROR_NO_MORE_FILES) {
        fail(code);
    }
    return true;
}

} // namespace kelvor

#include "standin/attachment_files.h"

#include "standin/failure.h"
#include "standin/text.h"
#include "standin/unique_handle.h"

#include <windows.h>

#include <atomic>

namespace kelvor::standin {
namespace {

Failure WriteFailure(const std::wstring& path) {
    const DWORD error = GetLastError();
    return Failure{HRESULT_FROM_WIN32(error),
                   L"Cannot write the attachment file " + path + L": " + SystemMessage(error)};
}

// The attachment's own name, made safe as part of a file name.
std::wstring FileNamePart(const std::wstring& name) {
    std::wstring part = name.substr(0, 100);
    for (wchar_t& c : part)
        if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
            c = L'_';
    return part;
}

std::wstring NewFolder() {
    static std::atomic<unsigned> serial = 0;
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        throw WriteFailure(L"in the temp folder");
    for (;;) {
        const std::wstring folder = std::wstring(temp, length) + L"kelvor-standin-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++serial);
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder + L"\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw WriteFailure(folder);
    }
}

// Files go into subfolders of this many messages each: Wine creates a file in a crowded folder
// slowly.
constexpr std::size_t MessagesPerGroup = 100;

} // namespace

AttachmentFiles::TempFolder::~TempFolder() {
    for (const std::wstring& file : files_)
        DeleteFileW(file.c_str());
    for (const std::wstring& group : groups_)
        RemoveDirectoryW(group.c_str());
    if (!path_.empty())
        RemoveDirectoryW(path_.c_str());
}

std::wstring AttachmentFiles::TempFolder::Write(std::size_t group, const std::wstring& name,
                                                const std::string& bytes) {
    if (path_.empty())
        path_ = NewFolder();
    const std::wstring folder = path_ + std::to_wstring(group) + L"\\";
    if (groups_.empty() || groups_.back() != folder) {
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw WriteFailure(folder);
        groups_.push_back(folder);
    }
    const std::wstring path = folder + name;
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw WriteFailure(path);
    files_.push_back(path);
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw WriteFailure(path);
    return path;
}

AttachmentFiles::AttachmentFiles(const Mailbox& mailbox) {
    firstOfMessage_.reserve(mailbox.messages.size());
    for (std::size_t i = 0; i < mailbox.messages.size(); ++i) {
        firstOfMessage_.push_back(pathNames_.size());
        const auto& attachments = mailbox.messages[i].attachments;
        for (std::size_t k = 0; k < attachments.size(); ++k) {
            const Attachment& attachment = attachments[k];
            pathNames_.push_back(
                attachment.content ? folder_.Write(i / MessagesPerGroup,
                                                   std::to_wstring(i) + L"-" + std::to_wstring(k) +
                                                       L"-" + FileNamePart(attachment.name),
                                                   *attachment.content)
                                   : attachment.path);
        }
    }
}

} // namespace kelvor::standin

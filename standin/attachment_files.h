#pragma once

// The files behind AttachmentPathName for one fetched mailbox: `path` attachments name their
// own file; `content` attachments are written, as UTF-8, into a folder of the stand-in's own
// under the temp directory, which lives as long as this object.

#include "standin/mailbox_file.h"

#include <string>
#include <vector>

namespace kelvor::standin {

class AttachmentFiles {
public:
    // Throws Failure when a file cannot be written; nothing is left behind then.
    explicit AttachmentFiles(const Mailbox& mailbox);

    const std::wstring& PathName(std::size_t message, std::size_t attachment) const {
        return pathNames_[firstOfMessage_[message] + attachment];
    }

private:
    class TempFolder {
    public:
        TempFolder() = default;
        TempFolder(const TempFolder&) = delete;
        TempFolder& operator=(const TempFolder&) = delete;
        ~TempFolder();

        // Writes `bytes` into the file `name` in the subfolder `group`; creates the folders on
        // first use.
        std::wstring Write(std::size_t group, const std::wstring& name, const std::string& bytes);

    private:
        std::wstring path_;
        std::vector<std::wstring> groups_;
        std::vector<std::wstring> files_;
    };

    TempFolder folder_;
    std::vector<std::size_t> firstOfMessage_;
    std::vector<std::wstring> pathNames_;
};

} // namespace kelvor::standin

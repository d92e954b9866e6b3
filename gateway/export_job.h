#pragma once

#include "platform/path.h"

#include <string>
#include <vector>

namespace kelvor {

// An attachment as an export copies it: the file the mailbox names, and its original name.
struct AttachmentToCopy {
    Path source;
    std::string name;
};

// Everything one export writes, as the window read it: texts in the ANSI code page. The export's
// number is not among it: that is claimed when the files are written.
struct ExportJob {
    std::string subject;
    std::string qualifier1;
    std::string qualifier2;
    std::string targetUser;
    std::string sender;
    // The message text exactly as the message view holds it.
    std::string body;
    std::vector<AttachmentToCopy> attachments;
};

} // namespace kelvor

// Lists the subjects of the mailbox, one per line in the ANSI code page, making the program's
// start-up calls on the MAPI controls in the program's order, without a window.

#include "mailbox/com/mapi_controls.h"
#include "platform/text_conversion.h"
#include "tools/apartment.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

std::string ListSubjects(kelvor::MailboxSource& mailbox) {
    mailbox.SetLogonUI(true);
    mailbox.SetNewSession(true);
    mailbox.SignOn();
    mailbox.SetMessagesSessionID(mailbox.SessionID());
    mailbox.Fetch();
    const std::int32_t count = mailbox.MsgCount();
    std::string subjects;
    for (std::int32_t i = 0; i < count; ++i) {
        mailbox.SetMsgIndex(i);
        subjects += kelvor::ToAnsi(mailbox.MsgSubject());
        subjects += '\n';
    }
    if (count > 0) {
        mailbox.SetMsgIndex(0);
        kelvor::ToAnsi(mailbox.MsgNoteText());
        const std::int32_t attachments = mailbox.AttachmentCount();
        for (std::int32_t k = 0; k < attachments; ++k) {
            mailbox.SetAttachmentIndex(k);
            kelvor::ToAnsi(mailbox.AttachmentPathName());
        }
    }
    mailbox.SignOff();
    return subjects;
}

} // namespace

int main() {
    try {
        const kelvor::tools::Apartment apartment;
        kelvor::MapiControls mailbox;
        const std::string subjects = ListSubjects(mailbox);
        std::fwrite(subjects.data(), 1, subjects.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelvor_list_mailbox: %s\n", error.what());
        return 1;
    }
}

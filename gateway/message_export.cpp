#include "gateway/message_export.h"

#include "gateway/body_file.h"
#include "gateway/gateway_paths.h"
#include "platform/files.h"
#include "platform/text_conversion.h"

#include <exception>
#include <string>

namespace kelvor {

void ShowNoteText(MailboxSource& mailbox, MessageView& view) {
    view.SetText(NormalizeLineEnds(ToAnsi(mailbox.MsgNoteText())));
}

bool MessageExport::Begin() {
    views_.message.Clear();
    views_.attachments.Clear();
    return request_.Create(RequestWritingPath(settings_.gatewayDir, n_),
                           RequestFilePath(settings_.gatewayDir, n_));
}

void MessageExport::Write(std::int32_t position) {
    try {
        WriteRequest(position);
    } catch (const std::exception& error) {
        if (!request_.Discard())
            throw Error(std::string(error.what()) + "; the unfinished request file " +
                        AnsiText(RequestWritingPath(settings_.gatewayDir, n_)) +
                        " could not be removed");
        throw;
    }
}

void MessageExport::WriteRequest(std::int32_t position) {
    request_.WriteHeader();
    mailbox_.SetMsgIndex(position);
    request_.WriteSubject(ToAnsi(mailbox_.MsgSubject()));
    request_.WriteTo(settings_.recipientQualifier1, settings_.recipientQualifier2,
                     settings_.targetUser);
    request_.WriteFromText(ToAnsi(mailbox_.MsgOrigDisplayName()));
    ShowNoteText(mailbox_, views_.message);
    SaveBodyFile(BodyFilePath(settings_.gatewayDir, n_), views_.message.Text());
    request_.WriteMsgFile(n_);

    if (mailbox_.AttachmentCount() > 0) {
        request_.WriteAttachFile();
        const std::int32_t count = mailbox_.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            if (k > 0)
                request_.WriteEntrySeparator();
            mailbox_.SetAttachmentIndex(k);
            views_.attachments.Add(ToAnsi(mailbox_.AttachmentPathName()));
            CopyFileReplacing(PathFromUtf16(mailbox_.AttachmentPathName()),
                              AttachmentCopyPath(settings_.gatewayDir, n_, k));
            request_.WriteCurrentFile(n_, k);
            request_.WriteOriginalFile(ToAnsi(mailbox_.AttachmentName()));
        }
        request_.WriteAttachmentsEnd();
    }
    request_.WriteEnd();
    request_.Close();
}

} // namespace kelvor

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
    try {
        return request_.Create(RequestWritingPath(settings_.gatewayDir, n_),
                               RequestFilePath(settings_.gatewayDir, n_));
    } catch (const NameTaken&) {
        throw NumberTaken(n_);
    }
}

void MessageExport::Write(std::int32_t position) {
    try {
        WriteRequest(position);
    } catch (const NameTaken&) {
        Undo(std::make_exception_ptr(NumberTaken(n_)));
    } catch (...) {
        Undo(std::current_exception());
    }
}

void MessageExport::Undo(const std::exception_ptr& failure) {
    // Nothing refers to a body or copy left behind, and its number is used up: it is not
    // worth an error of its own. The request goes last: its name holds the number.
    for (OutputFile& file : written_)
        file.Discard();
    written_.clear();
    const bool requestRemoved = request_.Discard();
    if (requestRemoved)
        std::rethrow_exception(failure);
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        throw Error(std::string(error.what()) + "; the unfinished request file " +
                    AnsiText(RequestWritingPath(settings_.gatewayDir, n_)) +
                    " could not be removed");
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
    written_.push_back(SaveBodyFile(BodyFilePath(settings_.gatewayDir, n_), views_.message.Text()));
    request_.WriteMsgFile(n_);

    if (mailbox_.AttachmentCount() > 0) {
        request_.WriteAttachFile();
        const std::int32_t count = mailbox_.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            if (k > 0)
                request_.WriteEntrySeparator();
            mailbox_.SetAttachmentIndex(k);
            views_.attachments.Add(ToAnsi(mailbox_.AttachmentPathName()));
            written_.push_back(CopyToNewFile(PathFromUtf16(mailbox_.AttachmentPathName()),
                                             AttachmentCopyPath(settings_.gatewayDir, n_, k),
                                             between_));
            request_.WriteCurrentFile(n_, k);
            request_.WriteOriginalFile(ToAnsi(mailbox_.AttachmentName()));
        }
        request_.WriteAttachmentsEnd();
    }
    request_.WriteEnd();
    request_.Close(written_);
}

} // namespace kelvor

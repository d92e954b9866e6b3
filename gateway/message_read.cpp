#include "gateway/message_read.h"

#include "gateway/body_file.h"
#include "platform/text_conversion.h"

namespace kelvor {

void ShowNoteText(MailboxSource& mailbox, MessageView& view) {
    view.SetText(NormalizeLineEnds(ToAnsi(mailbox.MsgNoteText())));
}

ExportJob ReadForExport(MailboxSource& mailbox, ExportViews views, std::int32_t position,
                        const Recipient& recipient) {
    views.message.Clear();
    views.attachments.Clear();
    ExportJob job;
    job.qualifier1 = recipient.qualifier1;
    job.qualifier2 = recipient.qualifier2;
    job.targetUser = recipient.targetUser;
    mailbox.SetMsgIndex(position);
    job.subject = ToAnsi(mailbox.MsgSubject());
    job.sender = ToAnsi(mailbox.MsgOrigDisplayName());
    ShowNoteText(mailbox, views.message);
    // The body file holds what the view holds.
    job.body = views.message.Text();
    if (mailbox.AttachmentCount() > 0) {
        const std::int32_t count = mailbox.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            mailbox.SetAttachmentIndex(k);
            views.attachments.Add(ToAnsi(mailbox.AttachmentPathName()));
            AttachmentToCopy& attachment = job.attachments.emplace_back();
            attachment.source = PathFromUtf16(mailbox.AttachmentPathName());
            attachment.name = ToAnsi(mailbox.AttachmentName());
        }
    }
    return job;
}

} // namespace kelvor

#pragma once

#include "gateway/export_job.h"
#include "gateway/export_views.h"
#include "mailbox/mailbox_source.h"

#include <cstdint>
#include <string>

namespace kelvor {

// Gives the current message's text to the view, every line end made CR LF.
void ShowNoteText(MailboxSource& mailbox, MessageView& view);

// Whom an export's request addresses: "TO= qualifier1.qualifier2.targetUser;".
struct Recipient {
    std::string qualifier1;
    std::string qualifier2;
    std::string targetUser;
};

// Reads the message at the list position for its export, showing it in the views on the way: both
// emptied first, then the text and each attachment's path as they are read. Any failure of the
// mailbox or the views propagates.
ExportJob ReadForExport(MailboxSource& mailbox, ExportViews views, std::int32_t position,
                        const Recipient& recipient);

} // namespace kelvor

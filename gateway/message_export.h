#pragma once

#include "gateway/export_views.h"
#include "gateway/request_file.h"
#include "mailbox/mailbox_source.h"
#include "platform/path.h"

#include <cstdint>
#include <string_view>

namespace kelvor {

// Where exports write and whom their requests address.
struct GatewaySettings {
    // Ends in a separator.
    const Path& gatewayDir;
    std::string_view recipientQualifier1;
    std::string_view recipientQualifier2;
    std::string_view targetUser;
};

// Gives the current message's text to the view, every line end made CR LF.
void ShowNoteText(MailboxSource& mailbox, MessageView& view);

// The export of one message as number n: its request file, its body file and its attachment
// copies, each file written before the line that names it, the request given its name only after
// all of them, and the message shown in the views on the way.
class MessageExport {
public:
    MessageExport(MailboxSource& mailbox, ExportViews views, const GatewaySettings& settings,
                  std::int32_t n)
        : mailbox_(mailbox), views_(views), settings_(settings), n_(n) {}

    // Empties both views and creates the request file; false when it cannot be created, and
    // then nothing else is read or written.
    bool Begin();
    // Selects the message at the list position and writes the rest. Any failure propagates,
    // the unfinished request file removed.
    void Write(std::int32_t position);

private:
    void WriteRequest(std::int32_t position);

    MailboxSource& mailbox_;
    ExportViews views_;
    GatewaySettings settings_;
    std::int32_t n_;
    RequestFile request_;
};

} // namespace kelvor

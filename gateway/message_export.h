#pragma once

#include "gateway/export_views.h"
#include "gateway/request_file.h"
#include "mailbox/mailbox_source.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// One of the names of an export's number exists: another writer, on this machine or another
// one, holds the number, or a file that the gateway has not taken yet does. The export has
// removed what it wrote under the number; the next one may be tried.
class NumberTaken : public Error {
public:
    explicit NumberTaken(std::int32_t n)
        : Error("Export number " + std::to_string(n) + " is taken") {}
};

// The export of one message as number n: its request file, its body file and its attachment
// copies, each file written before the line that names it, the request given its name only after
// all of them are on the disk, and the message shown in the views on the way. Every file is created
// new, so that the number is this export's alone; none that exists is ever opened for writing.
// Until the request takes its name, the export's files are unfinished ones: whatever ends it, or on
// Windows the process, removes them.
class MessageExport {
public:
    // `between`, when set, is called after every piece of an attachment copied; what it throws
    // ends the export as any failure does.
    MessageExport(MailboxSource& mailbox, ExportViews views, const GatewaySettings& settings,
                  std::int32_t n, std::function<void()> between = {})
        : mailbox_(mailbox), views_(views), settings_(settings), n_(n),
          between_(std::move(between)) {}

    // Empties both views and creates the request file; false when it cannot be created, and
    // then nothing else is read or written. Throws NumberTaken.
    bool Begin();
    // Selects the message at the list position and writes the rest. Any failure propagates, and
    // every file the export wrote is removed first: NumberTaken when a name of its number exists.
    void Write(std::int32_t position);

private:
    void WriteRequest(std::int32_t position);
    // Removes what the export wrote and throws `failure`, which names the unfinished request file
    // when that cannot be removed.
    [[noreturn]] void Undo(const std::exception_ptr& failure);

    MailboxSource& mailbox_;
    ExportViews views_;
    GatewaySettings settings_;
    std::int32_t n_;
    std::function<void()> between_;
    RequestFile request_;
    // The body file and the copies made so far, each on the disk.
    std::vector<OutputFile> written_;
};

} // namespace kelvor

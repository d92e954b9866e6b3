#pragma once

#include "app/form_views.h"
#include "gateway/gateway_writer.h"
#include "gateway/message_read.h"
#include "mailbox/mailbox_source.h"
#include "platform/path.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kelvor {

// The values the whole program shares: set by the start-up sequence, the user name field and
// the exports, read by the exports.
struct ProgramValues {
    Path ProgramDir{};
    Path GatewayDir{};
    std::string RecipientQualifier1{};
    std::string RecipientQualifier2{};
    std::string TargetUser{};
    std::int32_t ExportCounter = 0;
};

// How an export of the selected subject ended, when no error ended it.
enum class ExportOutcome {
    Exported,
    NothingSelected,
    // The request file could not be created: the user has been told, and the window closes.
    NoRequestFile,
    // The user stopped it: nothing of it is left in the gateway, and the views show the last
    // message exported whole.
    Stopped,
};

// The main window's logic, free of any window system: its handlers and the program-wide values.
// The Win32 shell owns the real window and forwards each event to its handler here.
class MainForm {
public:
    MainForm(MainFormControls controls, FormHost& host, MailboxSource& mailbox,
             ProgramValues values = {});

    const ProgramValues& Values() const { return values_; }

    // The start-up sequence; the shell runs it once, on the first activation.
    void RunStartup();
    void OnClose();
    void OnUserNameChange();
    void OnExitClick();
    // Exports the message of the selected subject as work of its own, for the user name of its
    // start, under the next number whose names no other writer holds. Any failure but a request
    // file that cannot be created propagates.
    ExportOutcome ExportSelected();
    // Exports every subject in list order as one batch, for the user name of its start, stopping
    // at an export that did not happen or failed, or where the user stopped it, the last subject
    // exported whole shown then. The writer writes one message's files while the next one is read.
    void ConvertAll();
    void WarnUser(const std::string& text);
    // Windows ends the session: nothing more of the gateway's files is written.
    void OnEndSession();

private:
    // An export given to the writer, of the subject at `position`.
    struct InFlight {
        GatewayWriter::Ticket ticket;
        int position;
    };

    void Start(BusyWork& work);
    GatewayWriter& Writer();
    ExportJob Read(int position, const std::string& targetUser);
    void Give(BusyWork& work, ExportJob job, int position, std::optional<InFlight>& inFlight);
    // Waits for the export in flight and takes what became of it; the window closes after the
    // dialog for a request file that cannot be created, and a failure propagates.
    ExportOutcome Settle(BusyWork& work, std::optional<InFlight>& inFlight);
    // After a read of the next message failed: the export in flight is settled before the failure
    // propagates, since it came first.
    [[noreturn]] void FailAfter(BusyWork& work, std::optional<InFlight>& inFlight);
    // The user or Windows stopped the work: the writer gives up what it has not published.
    void Stopped(BusyWork& work, const WorkStopped& stopped, std::optional<InFlight>& inFlight);
    // The message at the list position in the message view and the attachment list.
    void ShowMessage(std::int32_t position);
    // The last subject exported whole selected and its message shown; nothing of either when
    // there is none.
    void ShowLastExported();
    // The mailbox block: false when any of its operations failed.
    bool SignOn();
    // False when the program cannot go on: the user has been told and the window closes.
    bool LoadProgramConfiguration(BusyWork& work);
    void TakeUserNameFromCommandLine();

    MainFormControls controls_;
    FormHost& host_;
    MailboxSource& mailbox_;
    ProgramValues values_;
    // The position of the last subject exported whole: by the batch, during a Convert.
    int lastExported_ = -1;
    // Made once the gateway is known; last, so gone first.
    std::unique_ptr<GatewayWriter> writer_;
};

} // namespace kelvor

#include "app/main_form.h"

#include "platform/error.h"

#include <limits>
#include <string>

namespace kelvor {

MainForm::MainForm(MainFormControls controls, FormHost& host, MailboxSource& mailbox,
                   ProgramValues values)
    : controls_(controls), host_(host), mailbox_(mailbox), values_(std::move(values)) {}

void MainForm::OnUserNameChange() {
    const std::string text = controls_.userName.Text();
    if (text.empty()) {
        // The last name typed stays the target until another one is typed.
        controls_.convertButton.SetEnabled(false);
        return;
    }
    controls_.convertButton.SetEnabled(true);
    values_.TargetUser = text;
}

void MainForm::OnExitClick() {
    host_.Close();
}

void MainForm::OnClose() {
    if (mailbox_.SessionID() > 0)
        mailbox_.SignOff();
}

void MainForm::WarnUser(const std::string& text) {
    host_.ShowErrorDialog(text);
    host_.Close();
}

ExportOutcome MainForm::ExportSelected() {
    const std::unique_ptr<BusyWork> work = host_.BeginWork(WorkKind::Export);
    try {
        return Export(*work, values_.TargetUser);
    } catch (const WorkStopped&) {
        return ExportOutcome::Stopped;
    }
}

ExportOutcome MainForm::Export(BusyWork& work, const std::string& targetUser) {
    const int position = controls_.subjectList.ItemIndex();
    if (position < 0)
        return ExportOutcome::NothingSelected;
    for (;;) {
        // The counter never wraps round to numbers the gateway has had already.
        if (values_.ExportCounter == std::numeric_limits<std::int32_t>::max())
            throw Error("No export number is left: the gateway has had every number up to " +
                        std::to_string(values_.ExportCounter));
        const std::int32_t n = ++values_.ExportCounter;
        // The window answers between two pieces of a copy, and a stop ends the export there.
        MessageExport message(mailbox_, {controls_.messageView, controls_.attachmentList},
                              {values_.GatewayDir, values_.RecipientQualifier1,
                               values_.RecipientQualifier2, targetUser},
                              n, [&work] { work.Step(); });
        try {
            if (!CreateRequestFile(message))
                return ExportOutcome::NoRequestFile;
            message.Write(position);
            return ExportOutcome::Exported;
        } catch (const NumberTaken&) {
            // Another writer holds the number: the export starts again under the next one,
            // however many are taken.
            work.Step();
        }
    }
}

bool MainForm::CreateRequestFile(MessageExport& message) {
    if (message.Begin())
        return true;
    host_.ShowErrorDialog("Unable to create API Gateway file!");
    mailbox_.SignOff();
    host_.Close();
    return false;
}

void MainForm::ConvertAll() {
    const int total = controls_.subjectList.Count();
    // The batch's own: a change of the field meanwhile changes no request of it.
    const std::string targetUser = values_.TargetUser;
    const std::unique_ptr<ExportBatch> batch = host_.BeginBatch(total);
    try {
        for (int i = 0; i < total; ++i) {
            controls_.subjectList.SetItemIndex(i);
            if (Export(*batch, targetUser) != ExportOutcome::Exported)
                break;
            batch->Progress(i + 1);
        }
    } catch (const WorkStopped&) {
        // The exports before stay whole; what closes or ends the session follows the batch.
    }
    batch->Finish();
}

} // namespace kelvor

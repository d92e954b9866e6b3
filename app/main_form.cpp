#include "app/main_form.h"

#include "platform/error.h"
#include "platform/text_conversion.h"

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
    // Not the field's value itself: the field may change while the export takes messages.
    const std::string targetUser = values_.TargetUser;
    return Export(*work, targetUser);
}

ExportOutcome MainForm::Export(BusyWork& work, const std::string& targetUser) {
    const int position = controls_.subjectList.ItemIndex();
    if (position < 0)
        return ExportOutcome::NothingSelected;
    try {
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
                lastExported_ = position;
                return ExportOutcome::Exported;
            } catch (const NumberTaken&) {
                // Another writer holds the number: the export starts again under the next one,
                // however many are taken.
                work.Step();
            }
        }
    } catch (const WorkStopped& stopped) {
        // The export under way was abandoned: the views go back to the last one exported whole,
        // where going on by hand misses no message.
        if (!stopped.ProgramEnds())
            ShowLastExported();
        return ExportOutcome::Stopped;
    }
}

void MainForm::ShowMessage(std::int32_t position) {
    mailbox_.SetMsgIndex(position);
    ShowNoteText(mailbox_, controls_.messageView);
    controls_.attachmentList.Clear();
    if (mailbox_.AttachmentCount() > 0) {
        const std::int32_t attachments = mailbox_.AttachmentCount();
        const ListUpdate update(controls_.attachmentList);
        for (std::int32_t k = 0; k < attachments; ++k) {
            mailbox_.SetAttachmentIndex(k);
            controls_.attachmentList.Add(ToAnsi(mailbox_.AttachmentPathName()));
        }
    }
}

void MainForm::ShowLastExported() {
    controls_.subjectList.SetItemIndex(lastExported_);
    if (lastExported_ >= 0) {
        ShowMessage(lastExported_);
        return;
    }
    controls_.messageView.Clear();
    controls_.attachmentList.Clear();
}

bool MainForm::CreateRequestFile(MessageExport& message) {
    if (message.Begin())
        return true;
    host_.ShowErrorDialog("Unable to create API Gateway file!");
    // Signs off, but not where the session ended while the dialog was up.
    host_.Close();
    return false;
}

void MainForm::ConvertAll() {
    const int total = controls_.subjectList.Count();
    // Convert starts again at the first subject: a stop within its first export leaves none.
    lastExported_ = -1;
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
        // Between two exports: the views show the last one, whole; a close follows the batch.
    }
    batch->Finish();
}

} // namespace kelvor

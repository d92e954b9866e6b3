#include "app/main_form.h"

#include "platform/error.h"
#include "platform/text_conversion.h"

#include <exception>
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

void MainForm::OnEndSession() {
    if (writer_)
        writer_->Abandon();
}

GatewayWriter& MainForm::Writer() {
    if (!writer_)
        writer_ =
            std::make_unique<GatewayWriter>(values_.GatewayDir, [&host = host_] { host.Wake(); });
    return *writer_;
}

ExportJob MainForm::Read(int position, const std::string& targetUser) {
    return ReadForExport(mailbox_, {controls_.messageView, controls_.attachmentList}, position,
                         {values_.RecipientQualifier1, values_.RecipientQualifier2, targetUser});
}

void MainForm::Give(BusyWork& work, ExportJob job, int position,
                    std::optional<InFlight>& inFlight) {
    // A stop asked for while the message was read: nothing of it is written.
    work.Step();
    inFlight = InFlight{Writer().Export(std::move(job), values_.ExportCounter), position};
}

ExportOutcome MainForm::ExportSelected() {
    const std::unique_ptr<BusyWork> work = host_.BeginWork(WorkKind::Export);
    // Not the field's value itself: the field may change while the export takes messages.
    const std::string targetUser = values_.TargetUser;
    const int position = controls_.subjectList.ItemIndex();
    if (position < 0)
        return ExportOutcome::NothingSelected;
    std::optional<InFlight> inFlight;
    try {
        Give(*work, Read(position, targetUser), position, inFlight);
        return Settle(*work, inFlight);
    } catch (const WorkStopped& stopped) {
        Stopped(*work, stopped, inFlight);
        return ExportOutcome::Stopped;
    }
}

ExportOutcome MainForm::Settle(BusyWork& work, std::optional<InFlight>& inFlight) {
    const InFlight settling = *inFlight;
    work.Wait([&] { return writer_->Done(settling.ticket); });
    inFlight.reset();
    const WriterResult result = writer_->Take(settling.ticket);
    values_.ExportCounter = result.number;
    switch (result.outcome) {
    case WriterResult::Outcome::Done:
        lastExported_ = settling.position;
        return ExportOutcome::Exported;
    case WriterResult::Outcome::NoRequestFile:
        // As when the export began by creating it: its subject selected, nothing of it shown.
        controls_.subjectList.SetItemIndex(settling.position);
        controls_.messageView.Clear();
        controls_.attachmentList.Clear();
        host_.ShowErrorDialog("Unable to create API Gateway file!");
        // Signs off, but not where the session ended while the dialog was up.
        host_.Close();
        return ExportOutcome::NoRequestFile;
    case WriterResult::Outcome::Failed:
        break;
    }
    std::rethrow_exception(result.failure);
}

void MainForm::FailAfter(BusyWork& work, std::optional<InFlight>& inFlight) {
    const std::exception_ptr failure = std::current_exception();
    if (inFlight)
        Settle(work, inFlight);
    std::rethrow_exception(failure);
}

void MainForm::Stopped(BusyWork& work, const WorkStopped& stopped,
                       std::optional<InFlight>& inFlight) {
    if (writer_) {
        // An export whose request is taking its name is whole in a moment, or not at all: the
        // views wait to know which, unless the program ends first. One written meanwhile counts.
        const bool publishing = writer_->Abandon();
        if (inFlight) {
            const GatewayWriter::Ticket ticket = inFlight->ticket;
            const bool settled =
                !publishing || work.WaitAfterStop([&] { return !writer_->Running(ticket); });
            if (settled && writer_->Done(ticket)) {
                const WriterResult result = writer_->Take(ticket);
                values_.ExportCounter = result.number;
                if (result.outcome == WriterResult::Outcome::Done)
                    lastExported_ = inFlight->position;
            }
        }
    }
    inFlight.reset();
    // The export under way was abandoned: the views go back to the last one exported whole,
    // where going on by hand misses no message.
    if (!stopped.ProgramEnds())
        ShowLastExported();
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

void MainForm::ConvertAll() {
    const int total = controls_.subjectList.Count();
    // Convert starts again at the first subject: a stop within its first export leaves none.
    lastExported_ = -1;
    // The batch's own: a change of the field meanwhile changes no request of it.
    const std::string targetUser = values_.TargetUser;
    const std::unique_ptr<ExportBatch> batch = host_.BeginBatch(total);
    // At most two exports at a time: one being written, the next one being read.
    std::optional<InFlight> inFlight;
    try {
        for (int i = 0; i < total; ++i) {
            controls_.subjectList.SetItemIndex(i);
            ExportJob job;
            try {
                job = Read(i, targetUser);
            } catch (const WorkStopped&) {
                throw;
            } catch (...) {
                FailAfter(*batch, inFlight);
            }
            if (inFlight && Settle(*batch, inFlight) != ExportOutcome::Exported)
                break;
            Give(*batch, std::move(job), i, inFlight);
            // The one before is whole; the writer writes this one meanwhile.
            if (i > 0)
                batch->Progress(i);
        }
        if (inFlight && Settle(*batch, inFlight) == ExportOutcome::Exported)
            batch->Progress(total);
    } catch (const WorkStopped& stopped) {
        // Between two exports, or while one was written: the views show the last one exported
        // whole; a close follows the batch.
        Stopped(*batch, stopped, inFlight);
    } catch (...) {
        // The batch had gone on past the export that failed: where going on by hand misses no
        // message.
        try {
            ShowLastExported();
        } catch (...) {
            // The export's own failure is the one to show.
        }
        throw;
    }
    batch->Finish();
}

} // namespace kelvor

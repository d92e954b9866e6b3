#include "app/command_line.h"
#include "app/main_form.h"
#include "config/configuration.h"
#include "platform/files.h"
#include "platform/text_conversion.h"

#include <exception>
#include <string>
#include <vector>

namespace kelvor {
namespace {

// No input for the life of the object.
class InputOff {
public:
    explicit InputOff(FormHost& host) : host_(host) { host_.SetInputEnabled(false); }
    ~InputOff() { host_.SetInputEnabled(true); }
    InputOff(const InputOff&) = delete;
    InputOff& operator=(const InputOff&) = delete;

private:
    FormHost& host_;
};

} // namespace

void MainForm::RunStartup() {
    values_.ExportCounter = 0;
    const std::unique_ptr<BusyWork> work = host_.BeginWork(WorkKind::Startup);
    try {
        Start(*work);
    } catch (const WorkStopped&) {
        // Closing the window or the end of the session takes over once the work has ended.
        if (writer_)
            writer_->Abandon();
    }
}

void MainForm::Start(BusyWork& work) {
    if (!SignOn()) {
        // Whatever went wrong, the user can do nothing here but try again later.
        WarnUser("Unable to establish MAPI session.");
        return;
    }

    // Closing signs off, but not where the session ended meanwhile.
    if (mailbox_.MsgCount() <= 0) {
        host_.Close();
        return;
    }

    // What was asked for while the mailbox had the thread.
    work.Step();
    if (!LoadProgramConfiguration(work))
        return;
    controls_.userName.SetFocus();
    TakeUserNameFromCommandLine();

    const std::int32_t count = mailbox_.MsgCount();
    {
        const ListUpdate update(controls_.subjectList);
        for (std::int32_t i = 0; i < count; ++i) {
            work.Step();
            mailbox_.SetMsgIndex(i);
            controls_.subjectList.Add(ToAnsi(mailbox_.MsgSubject()));
        }
    }

    ShowMessage(0);
}

bool MainForm::SignOn() {
    const InputOff noInput(host_);
    try {
        mailbox_.SetLogonUI(true);
        mailbox_.SetNewSession(true);
        mailbox_.SignOn();
        mailbox_.SetMessagesSessionID(mailbox_.SessionID());
        mailbox_.Fetch();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool MainForm::LoadProgramConfiguration(BusyWork& work) {
    try {
        Configuration configuration = LoadConfiguration(host_.ExecutablePath());
        values_.ProgramDir = std::move(configuration.ProgramDir);
        values_.GatewayDir = std::move(configuration.GatewayDir);
        values_.RecipientQualifier1 = std::move(configuration.RecipientQualifier1);
        values_.RecipientQualifier2 = std::move(configuration.RecipientQualifier2);
        // Where to begin counting; each export claims its number when it writes its files.
        const GatewayWriter::Ticket scan = Writer().Scan();
        work.Wait([&] { return writer_->Done(scan); });
        const WriterResult result = writer_->Take(scan);
        if (result.failure)
            std::rethrow_exception(result.failure);
        values_.ExportCounter = result.number;
        return true;
    } catch (const NoConfigurationFile& error) {
        WarnUser(error.what());
    } catch (const NoGatewayDirectory& error) {
        WarnUser(error.what());
    } catch (const ListingFailed& error) {
        // A gateway that cannot be read is not taken for an empty one: the user learns why
        // before anything is written.
        WarnUser(error.what());
    }
    return false;
}

void MainForm::TakeUserNameFromCommandLine() {
    const std::vector<std::string> arguments = SplitCommandLine(host_.CommandLine());
    if (arguments.size() < 2)
        return;
    values_.TargetUser = arguments[1];
    controls_.userName.SetText(arguments[1]);
    controls_.userName.SetReadOnly(true);
    controls_.userName.SetTabStop(false);
    controls_.convertButton.SetEnabled(true);
    controls_.convertButton.SetFocus();
}

} // namespace kelvor

#include "app/command_line.h"
#include "app/unit1.h"
#include "config/configuration.h"
#include "platform/text_conversion.h"

#include <exception>
#include <string>
#include <vector>

namespace kelvor {

void TForm1::FormActivate() {
    ExportCounter = 0;

    try {
        mapi_.SetLogonUI(true);
        mapi_.SetNewSession(true);
        mapi_.SignOn();
        mapi_.SetMessagesSessionID(mapi_.SessionID());
        mapi_.Fetch();
    } catch (const std::exception&) {
        // Whatever went wrong, the user can do nothing here but try again later.
        WarnUser("Unable to establish MAPI session.");
        return;
    }

    if (mapi_.MsgCount() <= 0) {
        mapi_.SignOff();
        host_.Close();
        return;
    }

    try {
        Configuration configuration = LoadConfiguration(host_.ExecutablePath());
        ProgramDir = std::move(configuration.ProgramDir);
        GatewayDir = std::move(configuration.GatewayDir);
        RecipientQualifier1 = std::move(configuration.RecipientQualifier1);
        RecipientQualifier2 = std::move(configuration.RecipientQualifier2);
    } catch (const NoConfigurationFile& error) {
        WarnUser(error.what());
        return;
    } catch (const NoGatewayDirectory& error) {
        WarnUser(error.what());
        return;
    }

    controls_.Edit1.SetFocus();
    const std::vector<std::string> arguments = SplitCommandLine(host_.CommandLine());
    if (arguments.size() > 1) {
        TargetUser = arguments[1];
        controls_.Edit1.SetText(arguments[1]);
        controls_.Edit1.SetReadOnly(true);
        controls_.Edit1.SetTabStop(false);
        controls_.BitBtn1.SetEnabled(true);
        controls_.BitBtn1.SetFocus();
    }

    const std::int32_t count = mapi_.MsgCount();
    for (std::int32_t i = 0; i < count; ++i) {
        mapi_.SetMsgIndex(i);
        controls_.ListBox1.Add(ToAnsi(mapi_.MsgSubject()));
    }

    mapi_.SetMsgIndex(0);
    ShowNoteText();
    if (mapi_.AttachmentCount() > 0) {
        const std::int32_t attachments = mapi_.AttachmentCount();
        for (std::int32_t k = 0; k < attachments; ++k) {
            mapi_.SetAttachmentIndex(k);
            controls_.ListBox2.Add(ToAnsi(mapi_.AttachmentPathName()));
        }
    }
}

} // namespace kelvor

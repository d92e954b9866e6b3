#pragma once

#include "app/form_views.h"
#include "gateway/request_file.h"
#include "mailbox/mailbox_source.h"

#include <cstdint>
#include <string>

namespace kelvor {

// The main window's logic, free of any window system: its handlers and the program-wide values.
// The Win32 shell owns the real window and forwards each event to the handler of the same name.
class TForm1 {
public:
    TForm1(FormControls controls, FormHost& host, MailboxSource& mapi);

    // Program-wide values.
    std::string ProgramDir;
    std::string GatewayDir;
    std::string RecipientQualifier1;
    std::string RecipientQualifier2;
    std::string TargetUser;
    std::int32_t ExportCounter = 0;
    // Open only while an export runs.
    kelvor::RequestFile RequestFile;

    // Start-up sequence; the shell runs it once, on the first activation.
    void FormActivate();
    void FormClose();
    void Edit1Change();
    void BitBtn2Click();
    // Exports the message of the selected subject; tells the batch whether the export created
    // its request file. Any other failure propagates, with the request file removed.
    bool ListBox1Click();
    // Exports every subject in list order, stopping at an export that could not create its
    // request file.
    void BitBtn1Click();
    void WarnUser(const std::string& text);
    // Opens RequestFile for export n; when it cannot, tells the user, signs off and closes.
    bool SetupAPIFile(std::int32_t n);

private:
    // Shows the current message's text in Memo1, line ends made CR LF.
    void ShowNoteText();
    // The export of the message at position once its request file is open: the request's lines,
    // the body file and the attachment copies, each file written before the line that names it.
    void WriteRequest(std::int32_t n, int position);

    FormControls controls_;
    FormHost& host_;
    MailboxSource& mapi_;
};

} // namespace kelvor

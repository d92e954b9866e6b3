#include "app/unit1.h"

#include "gateway/body_file.h"
#include "platform/text_conversion.h"

namespace kelvor {

TForm1::TForm1(FormControls controls, FormHost& host, MailboxSource& mapi)
    : controls_(controls), host_(host), mapi_(mapi) {}

void TForm1::Edit1Change() {
    const std::string text = controls_.Edit1.Text();
    if (text.empty()) {
        // The last name typed stays the target until another one is typed.
        controls_.BitBtn1.SetEnabled(false);
        return;
    }
    controls_.BitBtn1.SetEnabled(true);
    TargetUser = text;
}

void TForm1::BitBtn2Click() {
    host_.Close();
}

void TForm1::FormClose() {
    if (mapi_.SessionID() > 0)
        mapi_.SignOff();
}

void TForm1::WarnUser(const std::string& text) {
    host_.ShowErrorDialog(text);
    host_.Close();
}

void TForm1::ShowNoteText() {
    controls_.Memo1.SetText(NormalizeLineEnds(ToAnsi(mapi_.MsgNoteText())));
}

} // namespace kelvor

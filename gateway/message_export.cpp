#include "app/unit1.h"
#include "gateway/body_file.h"
#include "gateway/gateway_paths.h"
#include "platform/files.h"
#include "platform/text_conversion.h"

namespace kelvor {

bool TForm1::SetupAPIFile(std::int32_t n) {
    if (RequestFile.Create(RequestFilePath(GatewayDir, n)))
        return true;
    host_.ShowErrorDialog("Unable to create API Gateway file!");
    mapi_.SignOff();
    host_.Close();
    return false;
}

bool TForm1::ListBox1Click() {
    const int position = controls_.ListBox1.ItemIndex();
    if (position < 0)
        return false;

    const std::int32_t n = ++ExportCounter;
    controls_.Memo1.Clear();
    controls_.ListBox2.Clear();
    if (!SetupAPIFile(n))
        return false;
    try {
        WriteRequest(n, position);
    } catch (...) {
        // A request without its last lines must never reach the gateway.
        RequestFile.Discard();
        throw;
    }
    return true;
}

void TForm1::WriteRequest(std::int32_t n, int position) {
    RequestFile.WriteHeader();
    mapi_.SetMsgIndex(position);
    RequestFile.WriteSubject(ToAnsi(mapi_.MsgSubject()));
    RequestFile.WriteTo(RecipientQualifier1, RecipientQualifier2, TargetUser);
    RequestFile.WriteFromText(ToAnsi(mapi_.MsgOrigDisplayName()));
    ShowNoteText();
    SaveBodyFile(BodyFilePath(GatewayDir, n), controls_.Memo1.Text());
    RequestFile.WriteMsgFile(n);

    if (mapi_.AttachmentCount() > 0) {
        RequestFile.WriteAttachFile();
        const std::int32_t count = mapi_.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            if (k > 0)
                RequestFile.WriteEntrySeparator();
            mapi_.SetAttachmentIndex(k);
            controls_.ListBox2.Add(ToAnsi(mapi_.AttachmentPathName()));
            CopyFileReplacing(ToAnsi(mapi_.AttachmentPathName()),
                              AttachmentCopyPath(GatewayDir, n, k));
            RequestFile.WriteCurrentFile(n, k);
            RequestFile.WriteOriginalFile(ToAnsi(mapi_.AttachmentName()));
        }
        RequestFile.WriteAttachmentsEnd();
    }
    RequestFile.WriteEnd();
    RequestFile.Close();
}

void TForm1::BitBtn1Click() {
    const int total = controls_.ListBox1.Count();
    for (int i = 0; i < total; ++i) {
        controls_.ListBox1.SetItemIndex(i);
        if (!ListBox1Click())
            return;
        host_.BatchProgress(i + 1, total);
    }
}

} // namespace kelvor

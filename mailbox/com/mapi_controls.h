#pragma once

// The mailbox on Windows: the MAPI session control and the MAPI messages control.

#include "mailbox/com/hosted_control.h"
#include "mailbox/mailbox_source.h"

#include <windows.h>

namespace kelvor {

// Creates both controls by class id (in-process or local server), hosted on client sites of the
// container window, gives them their design-time defaults (IPersistStreamInit::InitNew where
// offered) and holds them for its whole life. Throws EOleSysError when a control cannot be
// created. Use it on the thread of the single-threaded apartment that created it.
class MapiControls : public MailboxSource {
public:
    explicit MapiControls(HWND container = nullptr);
    // Other classes in place of the MAPI controls; they must offer the same interfaces.
    MapiControls(const CLSID& sessionClass, const CLSID& messagesClass, HWND container = nullptr);

    void SetLogonUI(bool value) override;
    void SetNewSession(bool value) override;
    std::int32_t SessionID() override;
    void SignOn() override;
    void SignOff() override;

    void SetMessagesSessionID(std::int32_t value) override;
    void Fetch() override;
    std::int32_t MsgCount() override;
    void SetMsgIndex(std::int32_t value) override;
    std::u16string MsgSubject() override;
    std::u16string MsgOrigDisplayName() override;
    std::u16string MsgNoteText() override;
    std::int32_t AttachmentCount() override;
    void SetAttachmentIndex(std::int32_t value) override;
    std::u16string AttachmentName() override;
    std::u16string AttachmentPathName() override;

private:
    // Their dual interfaces: IDispatch for the properties, the function table for the methods.
    HostedControl session_;
    HostedControl messages_;
};

} // namespace kelvor

#pragma once

// The mailbox on Windows: the MAPI session control and the MAPI messages control.

#include "mailbox/com/hosted_control.h"
#include "mailbox/mailbox_source.h"

#include <windows.h>

#include <string>

namespace kelvor {

// The run-time licence keys of the two controls, as a licensed machine hands them out
// (IClassFactory2::RequestLicKey); an empty key is none.
struct MapiLicenseKeys {
    std::u16string session;
    std::u16string messages;
};

// Creates both controls by class id (in-process or local server), with their run-time licence
// keys where the classes are licensed, hosted on client sites of the container window, gives
// them their design-time defaults (IPersistStreamInit::InitNew, else IPersistStorage::InitNew)
// and holds them for its whole life. Throws EOleSysError, naming the control, when one cannot be
// created. Use it on the thread of the single-threaded apartment that created it.
class MapiControls : public MailboxSource {
public:
    explicit MapiControls(HWND container = nullptr, const MapiLicenseKeys& keys = {});
    // Other classes in place of the MAPI controls; they must offer the same interfaces.
    MapiControls(const CLSID& sessionClass, const CLSID& messagesClass, HWND container = nullptr,
                 const MapiLicenseKeys& keys = {});

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

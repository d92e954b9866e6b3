#pragma once

#include <cstdint>
#include <string>

namespace kelvor {

// The program's only road to the mail: the session control and the message set control.
// Texts come back as UTF-16 exactly as the controls hand them out; callers convert them.
// Every operation either succeeds or throws an Error (EOleSysError / EOleException on Windows).
class MailboxSource {
public:
    virtual ~MailboxSource() = default;

    // Session (mSession)
    virtual void SetLogonUI(bool value) = 0;
    virtual void SetNewSession(bool value) = 0;
    virtual std::int32_t SessionID() = 0;
    virtual void SignOn() = 0;
    virtual void SignOff() = 0;

    // Message set (mMessages)
    virtual void SetMessagesSessionID(std::int32_t value) = 0;
    virtual void Fetch() = 0;
    virtual std::int32_t MsgCount() = 0;
    virtual void SetMsgIndex(std::int32_t value) = 0;
    virtual std::u16string MsgSubject() = 0;
    virtual std::u16string MsgOrigDisplayName() = 0;
    virtual std::u16string MsgNoteText() = 0;
    virtual std::int32_t AttachmentCount() = 0;
    virtual void SetAttachmentIndex(std::int32_t value) = 0;
    virtual std::u16string AttachmentName() = 0;
    virtual std::u16string AttachmentPathName() = 0;
};

} // namespace kelvor

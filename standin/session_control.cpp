#include "standin/session_control.h"

#include "standin/logon_dialog.h"
#include "standin/stage.h"

namespace kelvor::standin {

SessionControl::SessionControl() {
    Stage::Instance().Reload();
}

SessionControl::~SessionControl() {
    if (sessionId_ > 0)
        Stage::Instance().CloseSession(sessionId_);
}

HRESULT SessionControl::get_LogonUI(VARIANT_BOOL* value) {
    return GetEntry(mapi::session::LogonUI, value);
}
HRESULT SessionControl::put_LogonUI(VARIANT_BOOL value) {
    return PutEntry(mapi::session::LogonUI, value);
}
HRESULT SessionControl::get_NewSession(VARIANT_BOOL* value) {
    return GetEntry(mapi::session::NewSession, value);
}
HRESULT SessionControl::put_NewSession(VARIANT_BOOL value) {
    return PutEntry(mapi::session::NewSession, value);
}
HRESULT SessionControl::get_SessionID(LONG* value) {
    return GetEntry(mapi::session::SessionID, value);
}
HRESULT SessionControl::put_SessionID(LONG value) {
    return PutEntry(mapi::session::SessionID, value);
}

HRESULT SessionControl::SignOn() {
    return MethodEntry("SignOn", [this] {
        if (sessionId_ > 0)
            throw Failure{IllegalMethodCall, L"The session is already signed on"};
        const auto mailbox = Stage::Instance().ServedMailbox();
        if (logonUI_ && mailbox->logonDialog)
            ShowLogonDialog(SiteWindow());
        sessionId_ = mailbox->sessionId;
        Stage::Instance().OpenSession(sessionId_);
    });
}

HRESULT SessionControl::SignOff() {
    return MethodEntry("SignOff", [this] {
        if (sessionId_ <= 0)
            throw Failure{IllegalMethodCall, L"The session is not signed on"};
        Stage::Instance().CloseSession(sessionId_);
        sessionId_ = 0;
    });
}

Value SessionControl::Read(const PropertySpec& property) {
    switch (property.dispid) {
    case mapi::session::LogonUI:
        return logonUI_;
    case mapi::session::NewSession:
        return newSession_;
    default:
        return sessionId_;
    }
}

void SessionControl::Write(const PropertySpec& property, const Value& value) {
    if (property.dispid == mapi::session::LogonUI)
        logonUI_ = std::get<bool>(value);
    else
        newSession_ = std::get<bool>(value);
}

void SessionControl::Reset() {
    logonUI_ = true;
    newSession_ = false;
}

} // namespace kelvor::standin

#include "mailbox/com/mapi_controls.h"

#include "mailbox/com/dispatch_call.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"

namespace kelvor {
namespace {

VARIANT Bool(bool value) {
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_BOOL;
    result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

VARIANT Int(std::int32_t value) {
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_I4;
    result.lVal = value;
    return result;
}

std::int32_t GetInt(IDispatch& control, DISPID dispid) {
    return (*GetProperty(control, dispid, VT_I4)).lVal;
}

std::u16string GetText(IDispatch& control, DISPID dispid) {
    return ToU16((*GetProperty(control, dispid, VT_BSTR)).bstrVal);
}

} // namespace

MapiControls::MapiControls(HWND container, const MapiLicenseKeys& keys)
    : MapiControls(mapi::SessionClass, mapi::MessagesClass, container, keys) {}

MapiControls::MapiControls(const CLSID& sessionClass, const CLSID& messagesClass, HWND container,
                           const MapiLicenseKeys& keys)
    : session_("MAPI session control", sessionClass, mapi::SessionInterface, keys.session,
               container),
      messages_("MAPI messages control", messagesClass, mapi::MessagesInterface, keys.messages,
                container) {}

void MapiControls::SetLogonUI(bool value) {
    PutProperty(session_.Dual(), mapi::session::LogonUI, Bool(value));
}

void MapiControls::SetNewSession(bool value) {
    PutProperty(session_.Dual(), mapi::session::NewSession, Bool(value));
}

std::int32_t MapiControls::SessionID() {
    return GetInt(session_.Dual(), mapi::session::SessionID);
}

void MapiControls::SignOn() {
    CallMethod(session_.Dual(), mapi::SignOnEntry);
}

void MapiControls::SignOff() {
    CallMethod(session_.Dual(), mapi::SignOffEntry);
}

void MapiControls::SetMessagesSessionID(std::int32_t value) {
    PutProperty(messages_.Dual(), mapi::messages::SessionID, Int(value));
}

void MapiControls::Fetch() {
    CallMethod(messages_.Dual(), mapi::FetchEntry);
}

std::int32_t MapiControls::MsgCount() {
    return GetInt(messages_.Dual(), mapi::messages::MsgCount);
}

void MapiControls::SetMsgIndex(std::int32_t value) {
    PutProperty(messages_.Dual(), mapi::messages::MsgIndex, Int(value));
}

std::u16string MapiControls::MsgSubject() {
    return GetText(messages_.Dual(), mapi::messages::MsgSubject);
}

std::u16string MapiControls::MsgOrigDisplayName() {
    return GetText(messages_.Dual(), mapi::messages::MsgOrigDisplayName);
}

std::u16string MapiControls::MsgNoteText() {
    return GetText(messages_.Dual(), mapi::messages::MsgNoteText);
}

std::int32_t MapiControls::AttachmentCount() {
    return GetInt(messages_.Dual(), mapi::messages::AttachmentCount);
}

void MapiControls::SetAttachmentIndex(std::int32_t value) {
    PutProperty(messages_.Dual(), mapi::messages::AttachmentIndex, Int(value));
}

std::u16string MapiControls::AttachmentName() {
    return GetText(messages_.Dual(), mapi::messages::AttachmentName);
}

std::u16string MapiControls::AttachmentPathName() {
    return GetText(messages_.Dual(), mapi::messages::AttachmentPathName);
}

} // namespace kelvor

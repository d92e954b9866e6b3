#include "mailbox/com/mapi_controls.h"

#include "mailbox/com/dispatch_call.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"

#include <ocidl.h>

namespace kelvor {
namespace {

using Microsoft::WRL::ComPtr;

ComPtr<IDispatch> CreateControl(const CLSID& controlClass, const IID& dualInterface) {
    ComPtr<IUnknown> control;
    HRESULT status =
        CoCreateInstance(controlClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IUnknown, reinterpret_cast<void**>(control.GetAddressOf()));
    if (FAILED(status))
        throw EOleSysError(status);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control.As(&persist))) {
        status = persist->InitNew();
        if (FAILED(status))
            throw EOleSysError(status);
    }
    ComPtr<IDispatch> dual;
    status = control->QueryInterface(dualInterface, reinterpret_cast<void**>(dual.GetAddressOf()));
    if (FAILED(status))
        throw EOleSysError(status);
    return dual;
}

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

MapiControls::MapiControls() : MapiControls(mapi::SessionClass, mapi::MessagesClass) {}

MapiControls::MapiControls(const CLSID& sessionClass, const CLSID& messagesClass)
    : session_(CreateControl(sessionClass, mapi::SessionInterface)),
      messages_(CreateControl(messagesClass, mapi::MessagesInterface)) {}

void MapiControls::SetLogonUI(bool value) {
    PutProperty(*session_.Get(), mapi::session::LogonUI, Bool(value));
}

void MapiControls::SetNewSession(bool value) {
    PutProperty(*session_.Get(), mapi::session::NewSession, Bool(value));
}

std::int32_t MapiControls::SessionID() {
    return GetInt(*session_.Get(), mapi::session::SessionID);
}

void MapiControls::SignOn() {
    CallMethod(*session_.Get(), mapi::SignOnEntry);
}

void MapiControls::SignOff() {
    CallMethod(*session_.Get(), mapi::SignOffEntry);
}

void MapiControls::SetMessagesSessionID(std::int32_t value) {
    PutProperty(*messages_.Get(), mapi::messages::SessionID, Int(value));
}

void MapiControls::Fetch() {
    CallMethod(*messages_.Get(), mapi::FetchEntry);
}

std::int32_t MapiControls::MsgCount() {
    return GetInt(*messages_.Get(), mapi::messages::MsgCount);
}

void MapiControls::SetMsgIndex(std::int32_t value) {
    PutProperty(*messages_.Get(), mapi::messages::MsgIndex, Int(value));
}

std::u16string MapiControls::MsgSubject() {
    return GetText(*messages_.Get(), mapi::messages::MsgSubject);
}

std::u16string MapiControls::MsgOrigDisplayName() {
    return GetText(*messages_.Get(), mapi::messages::MsgOrigDisplayName);
}

std::u16string MapiControls::MsgNoteText() {
    return GetText(*messages_.Get(), mapi::messages::MsgNoteText);
}

std::int32_t MapiControls::AttachmentCount() {
    return GetInt(*messages_.Get(), mapi::messages::AttachmentCount);
}

void MapiControls::SetAttachmentIndex(std::int32_t value) {
    PutProperty(*messages_.Get(), mapi::messages::AttachmentIndex, Int(value));
}

std::u16string MapiControls::AttachmentName() {
    return GetText(*messages_.Get(), mapi::messages::AttachmentName);
}

std::u16string MapiControls::AttachmentPathName() {
    return GetText(*messages_.Get(), mapi::messages::AttachmentPathName);
}

} // namespace kelvor

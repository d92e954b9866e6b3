#include "standin/class_factory.h"

#include "standin/messages_control.h"
#include "standin/module.h"
#include "standin/session_control.h"

namespace kelvor::standin {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG ClassFactory::AddRef() {
    ObjectCreated();
    return 2;
}

ULONG ClassFactory::Release() {
    ObjectDestroyed();
    return 1;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object)
        *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    standin::LockServer(lock != FALSE);
    return S_OK;
}

ClassFactory* FactoryFor(REFCLSID classId) {
    static ClassFactory session(&CreateControl<SessionControl>);
    static ClassFactory messages(&CreateControl<MessagesControl>);
    if (IsEqualCLSID(classId, mapi::SessionClass))
        return &session;
    if (IsEqualCLSID(classId, mapi::MessagesClass))
        return &messages;
    return nullptr;
}

} // namespace kelvor::standin

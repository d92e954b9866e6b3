#include "standin/class_factory.h"

#include "standin/messages_control.h"
#include "standin/module.h"
#include "standin/session_control.h"
#include "standin/text.h"

#include <string_view>

namespace kelvor::standin {
namespace {

bool MachineLicensed() {
    return Environment(L"KELVOR_STANDIN_LICENSED") == L"1";
}

// A licensed machine hands out the run-time keys unless told that the classes give none.
bool RunTimeKeysHandedOut() {
    return MachineLicensed() && Environment(L"KELVOR_STANDIN_RUNTIME_KEYS") != L"0";
}

} // namespace

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory) &&
        !(IsEqualIID(riid, IID_IClassFactory2) && RequiredKey())) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory2*>(this);
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
    if (RequiredKey() && !MachineLicensed())
        return CLASS_E_NOTLICENSED;
    return Create(outer, riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    standin::LockServer(lock != FALSE);
    return S_OK;
}

HRESULT ClassFactory::GetLicInfo(LICINFO* info) {
    if (!info)
        return E_POINTER;
    *info = {sizeof *info, RunTimeKeysHandedOut() ? TRUE : FALSE, MachineLicensed() ? TRUE : FALSE};
    return S_OK;
}

HRESULT ClassFactory::RequestLicKey(DWORD, BSTR* key) {
    if (!key)
        return E_POINTER;
    *key = nullptr;
    const auto required = RequiredKey();
    if (!required || !RunTimeKeysHandedOut())
        return CLASS_E_NOTLICENSED;
    *key = SysAllocStringLen(required->data(), static_cast<UINT>(required->size()));
    return *key ? S_OK : E_OUTOFMEMORY;
}

// Without a key, as CreateInstance.
HRESULT ClassFactory::CreateInstanceLic(IUnknown* outer, IUnknown*, REFIID riid, BSTR key,
                                        void** object) {
    if (!key)
        return CreateInstance(outer, riid, object);
    if (object)
        *object = nullptr;
    const auto required = RequiredKey();
    if (required && std::wstring_view(key, SysStringLen(key)) != *required)
        return CLASS_E_NOTLICENSED;
    return Create(outer, riid, object);
}

std::optional<std::wstring> ClassFactory::RequiredKey() const {
    auto key = Environment(keyVariable_);
    if (key && key->empty())
        key.reset();
    return key;
}

HRESULT ClassFactory::Create(IUnknown* outer, REFIID riid, void** object) const {
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
}

ClassFactory* FactoryFor(REFCLSID classId) {
    static ClassFactory session(&CreateControl<SessionControl>,
                                L"KELVOR_STANDIN_SESSION_LICENSE_KEY");
    static ClassFactory messages(&CreateControl<MessagesControl>,
                                 L"KELVOR_STANDIN_MESSAGES_LICENSE_KEY");
    if (IsEqualCLSID(classId, mapi::SessionClass))
        return &session;
    if (IsEqualCLSID(classId, mapi::MessagesClass))
        return &messages;
    return nullptr;
}

} // namespace kelvor::standin

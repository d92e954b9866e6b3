#include "mailbox/com/hosted_control.h"

#include "mailbox/com/com_text.h"
#include "mailbox/com/control_site.h"
#include "mailbox/com/ole_error.h"

#include <ocidl.h>

namespace kelvor {
namespace {

using Microsoft::WRL::ComPtr;

void Check(HRESULT status) {
    if (FAILED(status))
        throw EOleSysError(status);
}

// As containers do: a key saved at build time goes to IClassFactory2::CreateInstanceLic; without
// one, the control is created as any object, which a licensed control allows only where its
// design-time licence is installed.
ComPtr<IUnknown> CreateControl(const CLSID& controlClass, const std::u16string& licenseKey) {
    ComPtr<IClassFactory> factory;
    Check(CoGetClassObject(controlClass, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr,
                           IID_PPV_ARGS(&factory)));
    ComPtr<IClassFactory2> licensed;
    const bool withKey = !licenseKey.empty() && SUCCEEDED(factory.As(&licensed));
    ComPtr<IUnknown> control;
    HRESULT status = S_OK;
    if (withKey) {
        const UniqueBstr key = MakeBstr(licenseKey);
        status = licensed->CreateInstanceLic(nullptr, nullptr, IID_IUnknown, key.get(),
                                             reinterpret_cast<void**>(control.GetAddressOf()));
    } else {
        status = factory->CreateInstance(nullptr, IID_PPV_ARGS(&control));
    }
    if (status == CLASS_E_NOTLICENSED)
        throw EOleSysError(OleErrorMessage(status) +
                               (withKey ? " (the run-time licence key built in was refused)"
                                        : " (no licence on this computer and no run-time "
                                          "licence key built in)"),
                           status);
    Check(status);
    return control;
}

// A storage in memory, for a control that takes its defaults only from a storage.
ComPtr<IStorage> ScratchStorage() {
    ComPtr<ILockBytes> bytes;
    Check(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
    ComPtr<IStorage> storage;
    Check(StgCreateDocfileOnILockBytes(
        bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage));
    return storage;
}

void Unsite(IOleObject& object) noexcept {
    object.Close(OLECLOSE_NOSAVE);
    object.SetClientSite(nullptr);
}

} // namespace

HostedControl::HostedControl(std::string_view name, const CLSID& controlClass,
                             const IID& dualInterface, const std::u16string& licenseKey,
                             HWND container) try {
    const ComPtr<IUnknown> control = CreateControl(controlClass, licenseKey);
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    DWORD status = 0;
    if (SUCCEEDED(control.As(&object))) {
        site = MakeControlSite(container);
        if (FAILED(object->GetMiscStatus(DVASPECT_CONTENT, &status)))
            status = 0;
    }
    const bool siteFirst = object && (status & OLEMISC_SETCLIENTSITEFIRST);
    try {
        if (siteFirst)
            Check(object->SetClientSite(site.Get()));
        ComPtr<IPersistStreamInit> stream;
        ComPtr<IPersistStorage> storage;
        if (SUCCEEDED(control.As(&stream))) {
            Check(stream->InitNew());
        } else if (SUCCEEDED(control.As(&storage))) {
            storage_ = ScratchStorage();
            Check(storage->InitNew(storage_.Get()));
        } else {
            throw EOleSysError("it offers neither IPersistStreamInit nor IPersistStorage to take "
                               "its design-time defaults",
                               E_NOINTERFACE);
        }
        if (object && !siteFirst)
            Check(object->SetClientSite(site.Get()));
        Check(
            control->QueryInterface(dualInterface, reinterpret_cast<void**>(dual_.GetAddressOf())));
    } catch (...) {
        if (object)
            Unsite(*object.Get());
        throw;
    }
    object_ = object;
} catch (const EOleSysError& error) {
    throw EOleSysError("Cannot create the " + std::string(name) + ": " + error.what(),
                       error.ErrorCode());
}

HostedControl::~HostedControl() {
    if (object_)
        Unsite(*object_.Get());
}

} // namespace kelvor

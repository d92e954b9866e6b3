#include "mailbox/com/hosted_control.h"

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

void Unsite(IOleObject& object) noexcept {
    object.Close(OLECLOSE_NOSAVE);
    object.SetClientSite(nullptr);
}

} // namespace

HostedControl::HostedControl(const CLSID& controlClass, const IID& dualInterface, HWND container) {
    ComPtr<IUnknown> control;
    Check(CoCreateInstance(controlClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                           IID_IUnknown, reinterpret_cast<void**>(control.GetAddressOf())));
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
        ComPtr<IPersistStreamInit> persist;
        if (SUCCEEDED(control.As(&persist)))
            Check(persist->InitNew());
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
}

HostedControl::~HostedControl() {
    if (object_)
        Unsite(*object_.Get());
}

} // namespace kelvor

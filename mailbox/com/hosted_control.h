#pragma once

// One MAPI control, created and hosted as an ActiveX container hosts a control: made by its
// class object, with the run-time licence key saved at build time where the class is licensed,
// sited on a client site of the container's window, before or after it takes its design-time
// defaults as the control asks, and closed and unsited when it goes. A control without
// IOleObject is used without a site.

#include <windows.h>

#include <oaidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

namespace kelvor {

class HostedControl {
public:
    // `name` ("MAPI session control") goes into the message of every creation failure;
    // `licenseKey` is empty when the build carries none for the class. Throws EOleSysError when
    // the control cannot be created or take its defaults.
    HostedControl(std::string_view name, const CLSID& controlClass, const IID& dualInterface,
                  const std::u16string& licenseKey, HWND container);
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    IDispatch& Dual() const { return *dual_.Get(); }

private:
    // The scratch storage a control without IPersistStreamInit took its defaults from: such a
    // control may use it for as long as it lives.
    Microsoft::WRL::ComPtr<IStorage> storage_;
    Microsoft::WRL::ComPtr<IOleObject> object_;
    Microsoft::WRL::ComPtr<IDispatch> dual_;
};

} // namespace kelvor

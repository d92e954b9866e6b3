#pragma once

// One MAPI control, created and hosted as an ActiveX container hosts a control: sited on a
// client site of the container's window, before or after it takes its design-time defaults as
// the control asks, and closed and unsited when it goes. A control without IOleObject is used
// without a site.

#include <windows.h>

#include <oaidl.h>
#include <ole2.h>
#include <wrl/client.h>

namespace kelvor {

class HostedControl {
public:
    // Throws EOleSysError when the control cannot be created or take its defaults.
    HostedControl(const CLSID& controlClass, const IID& dualInterface, HWND container);
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    IDispatch& Dual() const { return *dual_.Get(); }

private:
    Microsoft::WRL::ComPtr<IOleObject> object_;
    Microsoft::WRL::ComPtr<IDispatch> dual_;
};

} // namespace kelvor

#pragma once

// What an ActiveX control asks of its container: a client site whose window, the main window,
// owns the dialogs the control shows (the MAPI logon dialog), and the ambient properties.

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

namespace kelvor {

// The site of one control; `window` may be null when there is no container window.
Microsoft::WRL::ComPtr<IOleClientSite> MakeControlSite(HWND window);

} // namespace kelvor

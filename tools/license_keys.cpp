// Prints the run-time licence keys of the two MAPI controls as the lines a build takes them from:
//   KELVOR_SESSION_LICENSE_KEY=...
//   KELVOR_MESSAGES_LICENSE_KEY=...
// in the ANSI code page. Run it where the controls' design-time licence is installed: only there
// does a licensed class hand out its key (IClassFactory2::RequestLicKey). A class that is not
// licensed needs no key, and its line stays empty after the "=".

#include "mailbox/com/com_text.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"
#include "platform/error.h"
#include "platform/text_conversion.h"
#include "tools/apartment.h"

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

using Microsoft::WRL::ComPtr;

struct Control {
    const char* name;
    const CLSID& id;
    const char* variable;
};

const Control Controls[] = {
    {"MAPI session control", kelvor::mapi::SessionClass, "KELVOR_SESSION_LICENSE_KEY"},
    {"MAPI messages control", kelvor::mapi::MessagesClass, "KELVOR_MESSAGES_LICENSE_KEY"},
};

void Check(HRESULT status) {
    if (FAILED(status))
        throw kelvor::EOleSysError(status);
}

std::u16string RunTimeKey(const CLSID& id) {
    ComPtr<IClassFactory> factory;
    Check(CoGetClassObject(id, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr,
                           IID_PPV_ARGS(&factory)));
    ComPtr<IClassFactory2> licensed;
    if (FAILED(factory.As(&licensed)))
        return {};
    LICINFO info{sizeof info, FALSE, FALSE};
    Check(licensed->GetLicInfo(&info));
    if (!info.fRuntimeKeyAvail)
        throw kelvor::Error("it hands out no run-time licence key here: its design-time licence "
                            "is not installed on this computer");
    BSTR raw = nullptr;
    const HRESULT status = licensed->RequestLicKey(0, &raw);
    const kelvor::UniqueBstr key(raw);
    Check(status);
    return kelvor::ToU16(key.get());
}

} // namespace

int main() {
    try {
        const kelvor::tools::Apartment apartment;
        int exitCode = 0;
        for (const Control& control : Controls) {
            try {
                const std::string line =
                    control.variable + ("=" + kelvor::ToAnsi(RunTimeKey(control.id))) + "\n";
                std::fwrite(line.data(), 1, line.size(), stdout);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "kelvor_license_keys: the %s: %s\n", control.name,
                             error.what());
                exitCode = 1;
            }
        }
        return std::fflush(stdout) == 0 ? exitCode : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelvor_license_keys: %s\n", error.what());
        return 1;
    }
}

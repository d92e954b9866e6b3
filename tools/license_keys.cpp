// Prints the run-time licence keys of the two MAPI controls as the lines a build takes them from:
//   KELVOR_SESSION_LICENSE_KEY=...
//   KELVOR_MESSAGES_LICENSE_KEY=...
// Run it where the controls' design-time licence is installed: only there does a licensed class
// hand out its key (IClassFactory2::RequestLicKey). A class that is not licensed needs no key, and
// its line stays empty after the "=".
//
// A key is printed in ASCII alone, so that neither a console's code page nor a shell's double
// quotes change it: a UTF-16 unit of printable ASCII stands for itself, but for " \ $ % ! and `;
// those six and every other unit are written \uXXXX, four hex digits. The build reads it back the
// same way (cmake/LicenseKey.cmake).

#include "mailbox/com/com_text.h"
#include "mailbox/com/mapi_ids.h"
#include "mailbox/com/ole_error.h"
#include "platform/error.h"
#include "tools/apartment.h"

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

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

// What LICINFO says is missing before the class hands out its key here; empty when nothing is.
std::string Missing(const LICINFO& info) {
    std::string missing;
    if (!info.fLicVerified)
        missing = "its design-time licence is not installed on this computer (LICINFO."
                  "fLicVerified is FALSE)";
    if (!info.fRuntimeKeyAvail) {
        missing += missing.empty() ? "it" : ", and it";
        missing += " hands out no run-time licence key (LICINFO.fRuntimeKeyAvail is FALSE)";
    }
    return missing;
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
    if (const std::string missing = Missing(info); !missing.empty())
        throw kelvor::Error(missing);
    BSTR raw = nullptr;
    const HRESULT status = licensed->RequestLicKey(0, &raw);
    const kelvor::UniqueBstr key(raw);
    Check(status);
    return kelvor::ToU16(key.get());
}

std::string Printed(std::u16string_view key) {
    constexpr std::string_view Quoted = "\"\\$%!`";
    constexpr std::string_view Digits = "0123456789abcdef";
    std::string text;
    for (const char16_t unit : key) {
        if (unit >= 0x20 && unit < 0x7f && Quoted.find(static_cast<char>(unit)) == Quoted.npos) {
            text += static_cast<char>(unit);
            continue;
        }
        text += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            text += Digits[(unit >> shift) & 0xf];
    }
    return text;
}

} // namespace

int main() {
    try {
        const kelvor::tools::Apartment apartment;
        int exitCode = 0;
        for (const Control& control : Controls) {
            try {
                const std::string line =
                    control.variable + ("=" + Printed(RunTimeKey(control.id))) + "\n";
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

#pragma once

// The stand-in DLL loaded into a test, its registration entry points called as regsvr32 calls
// them. The test program defines KELVOR_STANDIN_DLL.

#include "platform/unique_handle.h"
#include "support/native_path.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

namespace kelvor::testing_support {

inline void UnloadLibrary(HMODULE module) noexcept {
    FreeLibrary(module);
}

class StandinDll {
public:
    StandinDll()
        : module_(LoadLibraryW(std::filesystem::path(NativePath(KELVOR_STANDIN_DLL)).c_str())) {
        if (!module_)
            throw std::runtime_error("cannot load the stand-in");
    }

    HRESULT Register() const { return Call("DllRegisterServer"); }
    HRESULT Unregister() const { return Call("DllUnregisterServer"); }

private:
    HRESULT Call(const char* name) const {
        // Through a plain function pointer: the exports are HRESULT functions, not FARPROCs.
        const auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), name)));
        return entry ? entry() : E_NOTIMPL;
    }

    UniqueHandle<HMODULE, UnloadLibrary> module_;
};

} // namespace kelvor::testing_support

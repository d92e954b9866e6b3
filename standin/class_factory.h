#pragma once

// The class objects DllGetClassObject hands out: one static factory per control class.
//
// A class is licensed while the environment variable named for it holds the run-time key it
// requires; its factory then offers IClassFactory2. CreateInstance works only on a machine with
// the design-time licence (KELVOR_STANDIN_LICENSED=1), which also hands out the key;
// CreateInstanceLic works anywhere with the class's own key. KELVOR_STANDIN_RUNTIME_KEYS=0 makes
// the classes hand out no key even there. The variables are read at each call.

#include <windows.h>

#include <ocidl.h>

#include <optional>
#include <string>

namespace kelvor::standin {

class ClassFactory final : public IClassFactory2 {
public:
    using Creator = HRESULT (*)(REFIID riid, void** object);
    constexpr ClassFactory(Creator create, const wchar_t* keyVariable)
        : create_(create), keyVariable_(keyVariable) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    // The factories are static objects; counting references only keeps the DLL loaded.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
    HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) override;
    HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD reserved, BSTR* key) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown* reserved, REFIID riid,
                                                BSTR key, void** object) override;

private:
    // The key the class requires; none while it is not licensed.
    std::optional<std::wstring> RequiredKey() const;
    HRESULT Create(IUnknown* outer, REFIID riid, void** object) const;

    Creator create_;
    const wchar_t* keyVariable_;
};

// The factory for `classId`, or null when the DLL serves no such class.
ClassFactory* FactoryFor(REFCLSID classId);

} // namespace kelvor::standin

#pragma once

// The class objects DllGetClassObject hands out: one static factory per control class.

#include <windows.h>

#include <unknwn.h>

namespace kelvor::standin {

class ClassFactory final : public IClassFactory {
public:
    using Creator = HRESULT (*)(REFIID riid, void** object);
    explicit constexpr ClassFactory(Creator create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    // The factories are static objects; counting references only keeps the DLL loaded.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    Creator create_;
};

// The factory for `classId`, or null when the DLL serves no such class.
ClassFactory* FactoryFor(REFCLSID classId);

} // namespace kelvor::standin

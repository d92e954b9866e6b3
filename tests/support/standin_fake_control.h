#pragma once

// A small in-process fake of a MAPI control, registered for a class id of its own in the test
// process, that records every call the COM client makes on it: InitNew, each IDispatch::Invoke
// with its arguments as they arrive, each call through the dual interface's function table by
// entry number, and, when it offers IOleObject, the hosting calls with what the site tells.

#include <windows.h>

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kelvor::testing_support {

struct RecordedCall {
    enum class Kind { InitNew, Invoke, Entry, MiscStatus, SetSite, ClearSite, Close } kind;
    // SetSite: the site's window and ambient properties; Close: its option.
    HWND siteWindow = nullptr;
    VARIANT_BOOL userMode = VARIANT_FALSE;
    LONG siteLocale = 0;
    DWORD closeOption = 0;
    // Invoke
    DISPID dispid = 0;
    bool nullIid = false;
    LCID locale = 0;
    WORD flags = 0;
    UINT argumentCount = 0;
    UINT namedCount = 0;
    DISPID named = 0;
    VARTYPE type = VT_EMPTY;
    LONG number = 0;
    bool resultWanted = false;
    // Entry
    int entry = 0;
};

class FakeControl final : public IPersistStreamInit, public IOleObject {
public:
    static constexpr int Entries = 79;

    FakeControl(const CLSID& classId, const IID& dualInterface)
        : dualInterface_(dualInterface), dual_{Table(), this} {
        if (FAILED(CoRegisterClassObject(classId, &factory_, CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie_)))
            throw std::runtime_error("cannot register the fake control");
    }
    FakeControl(const FakeControl&) = delete;
    FakeControl& operator=(const FakeControl&) = delete;
    ~FakeControl() { CoRevokeClassObject(cookie_); }

    std::vector<RecordedCall> calls;
    // References the client holds on the control.
    long references = 0;
    bool offerOleObject = false;
    DWORD miscStatus = 0;
    HRESULT initNewResult = S_OK;
    // Answers an Invoke after it has been recorded; by default a VT_I4 0.
    std::function<HRESULT(VARIANT* result, EXCEPINFO* exception)> answer = [](VARIANT* result,
                                                                              EXCEPINFO*) {
        if (result) {
            result->vt = VT_I4;
            result->lVal = 0;
        }
        return S_OK;
    };
    // Answers a call through the function table after it has been recorded.
    std::function<HRESULT()> entryAnswer = [] { return S_OK; };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPersist) ||
            IsEqualIID(riid, IID_IPersistStreamInit))
            *object = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, dualInterface_))
            *object = &dual_;
        else if (offerOleObject && IsEqualIID(riid, IID_IOleObject))
            *object = static_cast<IOleObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        calls.push_back({RecordedCall::Kind::InitNew});
        return initNewResult;
    }

    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        if (!site) {
            calls.push_back({RecordedCall::Kind::ClearSite});
            site_.Reset();
            return S_OK;
        }
        RecordedCall call{RecordedCall::Kind::SetSite};
        Microsoft::WRL::ComPtr<IOleWindow> window;
        if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&window))))
            window->GetWindow(&call.siteWindow);
        Microsoft::WRL::ComPtr<IDispatch> ambient;
        if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&ambient)))) {
            call.userMode = Ambient(*ambient.Get(), DISPID_AMBIENT_USERMODE).boolVal;
            call.siteLocale = Ambient(*ambient.Get(), DISPID_AMBIENT_LOCALEID).lVal;
        }
        calls.push_back(call);
        site_ = site;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
        *site = site_.Get();
        if (*site)
            (*site)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        calls.push_back({RecordedCall::Kind::MiscStatus});
        *status = miscStatus;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(DWORD option) override {
        RecordedCall call{RecordedCall::Kind::Close};
        call.closeOption = option;
        calls.push_back(call);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
    using Entry = void (*)();

    static VARIANT Ambient(IDispatch& site, DISPID dispid) {
        DISPPARAMS none{};
        VARIANT value;
        VariantInit(&value);
        site.Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        return value;
    }

    // The dual interface: a function table laid out by hand, so that every entry number can be
    // told apart.
    struct Dual {
        const Entry* table;
        FakeControl* owner;
    };

    static FakeControl& Owner(IDispatch* self) { return *reinterpret_cast<Dual*>(self)->owner; }

    static HRESULT STDMETHODCALLTYPE DualQueryInterface(IDispatch* self, REFIID riid,
                                                        void** object) {
        return Owner(self).QueryInterface(riid, object);
    }
    static ULONG STDMETHODCALLTYPE DualAddRef(IDispatch* self) { return Owner(self).AddRef(); }
    static ULONG STDMETHODCALLTYPE DualRelease(IDispatch* self) { return Owner(self).Release(); }
    static HRESULT STDMETHODCALLTYPE NotImplemented(IDispatch*) { return E_NOTIMPL; }
    static HRESULT STDMETHODCALLTYPE GetTypeInfoCount(IDispatch*, UINT* count) {
        *count = 0;
        return S_OK;
    }

    static HRESULT STDMETHODCALLTYPE Invoke(IDispatch* self, DISPID dispid, REFIID riid,
                                            LCID locale, WORD flags, DISPPARAMS* params,
                                            VARIANT* result, EXCEPINFO* exception, UINT*) {
        FakeControl& owner = Owner(self);
        RecordedCall call{RecordedCall::Kind::Invoke};
        call.dispid = dispid;
        call.nullIid = IsEqualIID(riid, IID_NULL) != FALSE;
        call.locale = locale;
        call.flags = flags;
        call.argumentCount = params->cArgs;
        call.namedCount = params->cNamedArgs;
        call.named = params->cNamedArgs ? params->rgdispidNamedArgs[0] : 0;
        if (params->cArgs) {
            call.type = params->rgvarg[0].vt;
            call.number = params->rgvarg[0].vt == VT_BOOL ? params->rgvarg[0].boolVal
                                                          : params->rgvarg[0].lVal;
        }
        call.resultWanted = result != nullptr;
        owner.calls.push_back(call);
        return owner.answer(result, exception);
    }

    template <int N> static HRESULT STDMETHODCALLTYPE TableEntry(IDispatch* self) {
        FakeControl& owner = Owner(self);
        RecordedCall call{RecordedCall::Kind::Entry};
        call.entry = N;
        owner.calls.push_back(call);
        return owner.entryAnswer();
    }

    template <class Function> static Entry AsEntry(Function function) {
        return reinterpret_cast<Entry>(function);
    }

    template <std::size_t... Index>
    static std::array<Entry, Entries> MakeTable(std::index_sequence<Index...>) {
        return {AsEntry(&DualQueryInterface),
                AsEntry(&DualAddRef),
                AsEntry(&DualRelease),
                AsEntry(&GetTypeInfoCount),
                AsEntry(&NotImplemented),
                AsEntry(&NotImplemented),
                AsEntry(&Invoke),
                AsEntry(&TableEntry<static_cast<int>(Index) + 7>)...};
    }

    static const Entry* Table() {
        static const std::array<Entry, Entries> table =
            MakeTable(std::make_index_sequence<Entries - 7>());
        return table.data();
    }

    class Factory final : public IClassFactory {
    public:
        explicit Factory(FakeControl& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
                *object = nullptr;
                return E_NOINTERFACE;
            }
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** object) override {
            return owner_.QueryInterface(riid, object);
        }
        HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

    private:
        FakeControl& owner_;
    };

    IID dualInterface_;
    Dual dual_;
    Microsoft::WRL::ComPtr<IOleClientSite> site_;
    Factory factory_{*this};
    DWORD cookie_ = 0;
};

} // namespace kelvor::testing_support

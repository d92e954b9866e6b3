#pragma once

// COM's part of a stand-in control: reference counting, QueryInterface, IDispatch,
// IPersistStreamInit or IPersistStorage (as the mailbox file asks), IOleObject and
// ISupportErrorInfo around a ControlLogic.

#include "standin/control_logic.h"
#include "standin/module.h"
#include "standin/ole_object.h"
#include "standin/stage.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>
#include <string>

namespace kelvor::standin {

template <class Dual>
class DispatchControl : public Dual,
                        public IPersistStreamInit,
                        public IPersistStorage,
                        public OleObject,
                        public ISupportErrorInfo,
                        protected ControlLogic {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        const Persistence persistence = Stage::Instance().OfferedPersistence();
        const bool persist = IsEqualIID(riid, IID_IPersist) != FALSE;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, Interface()))
            *object = static_cast<Dual*>(this);
        else if ((persist || IsEqualIID(riid, IID_IPersistStreamInit)) &&
                 persistence == Persistence::StreamInit)
            *object = static_cast<IPersistStreamInit*>(this);
        else if ((persist || IsEqualIID(riid, IID_IPersistStorage)) &&
                 persistence == Persistence::Storage)
            *object = static_cast<IPersistStorage*>(this);
        else if (IsEqualIID(riid, IID_IOleObject))
            *object = static_cast<IOleObject*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *object = static_cast<ISupportErrorInfo*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            std::unique_ptr<DispatchControl> ending(this);
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!names || !ids)
            return E_POINTER;
        HRESULT status = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i > 0) {
                status = DISP_E_UNKNOWNNAME;
                continue;
            }
            for (const PropertySpec& property : Properties())
                if (std::wstring(property.name.begin(), property.name.end()) == names[i])
                    ids[i] = property.dispid;
            if (ids[i] == DISPID_UNKNOWN)
                status = DISP_E_UNKNOWNNAME;
        }
        return status;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return ControlLogic::Invoke(dispid, riid, flags, params, result, exception, argumentError);
    }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override {
        if (!classId)
            return E_POINTER;
        *classId = ClassId();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override {
        return GetClassID(classId);
    }

    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE InitNew() override {
        Reset();
        LogQuietly("InitNew");
        return S_OK;
    }

    // A control that persists to a storage may keep the container's storage until it takes it
    // back (HandsOffStorage).
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override {
        STATSTG about{};
        if (!storage || FAILED(storage->Stat(&about, STATFLAG_NONAME)))
            return E_INVALIDARG;
        storage_ = storage;
        Reset();
        LogQuietly("InitNew storage");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(IStorage*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStorage*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override {
        storage_.Reset();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, Interface()) ? S_OK : S_FALSE;
    }

protected:
    DispatchControl() = default;

    // Gives the control its design-time defaults.
    virtual void Reset() = 0;
    virtual const CLSID& ClassId() const = 0;

private:
    Microsoft::WRL::ComPtr<IStorage> storage_;
    std::atomic<ULONG> references_ = 1;
    ModuleReference module_;
    StageReference stage_;
};

// Creates a control and hands out `riid` on it.
template <class Control> HRESULT CreateControl(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    try {
        Control* control = std::make_unique<Control>().release();
        const HRESULT status = control->QueryInterface(riid, object);
        control->Release();
        return status;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace kelvor::standin

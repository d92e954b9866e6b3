#pragma once

// Raw COM calls on the stand-in controls, for tests of what they answer on the wire.

#include "mailbox/com/com_text.h"

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <stdexcept>
#include <string>

namespace kelvor::testing_support {

// A stand-in control created by class id, seen through `dualInterface`.
inline Microsoft::WRL::ComPtr<IDispatch> CreateStandin(const CLSID& classId,
                                                       const IID& dualInterface) {
    Microsoft::WRL::ComPtr<IDispatch> control;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, dualInterface,
                                reinterpret_cast<void**>(control.GetAddressOf()))))
        throw std::runtime_error("the stand-in control cannot be created; is it registered?");
    return control;
}

struct InvokeResult {
    HRESULT status = S_OK;
    UniqueVariant value;
    SCODE scode = 0;
    std::wstring description;
    std::wstring source;
    UINT argumentError = ~0u;
};

inline InvokeResult RawInvoke(IDispatch& control, DISPID dispid, WORD flags, DISPPARAMS params,
                              const IID& riid = IID_NULL) {
    InvokeResult result;
    EXCEPINFO info = {};
    result.status = control.Invoke(dispid, riid, 0, flags, &params,
                                   flags == DISPATCH_PROPERTYPUT ? nullptr : result.value.get(),
                                   &info, &result.argumentError);
    const UniqueBstr description(info.bstrDescription);
    const UniqueBstr source(info.bstrSource);
    const UniqueBstr helpFile(info.bstrHelpFile);
    result.scode = info.scode;
    result.description.assign(description.get() ? description.get() : L"");
    result.source.assign(source.get() ? source.get() : L"");
    return result;
}

inline InvokeResult InvokeGet(IDispatch& control, DISPID dispid) {
    return RawInvoke(control, dispid, DISPATCH_PROPERTYGET, {nullptr, nullptr, 0, 0});
}

inline InvokeResult InvokePut(IDispatch& control, DISPID dispid, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    return RawInvoke(control, dispid, DISPATCH_PROPERTYPUT, {&value, &named, 1, 1});
}

inline VARIANT Variant(VARTYPE type, LONG number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    if (type == VT_BOOL)
        value.boolVal = number ? VARIANT_TRUE : VARIANT_FALSE;
    else if (type == VT_I2)
        value.iVal = static_cast<SHORT>(number);
    else
        value.lVal = number;
    return value;
}

// Calls entry `entry` of the control's function table with `arguments`, the COM way.
template <class... Arguments>
HRESULT CallEntry(IDispatch& control, int entry, Arguments... arguments) {
    using Function = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, Arguments...);
    Function const* table = *reinterpret_cast<Function const* const*>(&control);
    return table[entry](&control, arguments...);
}

} // namespace kelvor::testing_support

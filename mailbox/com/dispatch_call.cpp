#include "mailbox/com/dispatch_call.h"

#include "mailbox/com/ole_error.h"

namespace kelvor {

UniqueVariant GetProperty(IDispatch& control, DISPID dispid, VARTYPE type) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    UniqueVariant result;
    EXCEPINFO info = {};
    UINT argumentError = 0;
    const HRESULT status = control.Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                          result.get(), &info, &argumentError);
    if (FAILED(status))
        ThrowInvokeError(status, info);
    // A text the control does not have reads as empty: a null BSTR is the empty text.
    if (type == VT_BSTR && (result.get()->vt == VT_NULL || result.get()->vt == VT_EMPTY)) {
        result.get()->vt = VT_BSTR;
        result.get()->bstrVal = nullptr;
    }
    if (result.get()->vt != type) {
        const HRESULT changed = VariantChangeType(result.get(), result.get(), 0, type);
        if (FAILED(changed))
            throw EOleSysError(changed);
    }
    return result;
}

void PutProperty(IDispatch& control, DISPID dispid, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS arguments = {&value, &named, 1, 1};
    EXCEPINFO info = {};
    UINT argumentError = 0;
    const HRESULT status = control.Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &arguments,
                                          nullptr, &info, &argumentError);
    if (FAILED(status))
        ThrowInvokeError(status, info);
}

void CallMethod(IDispatch& control, int entry) {
    // The function table of a dual interface, read as COM lays it out; STDMETHODCALLTYPE is
    // what makes the 32-bit call match the control's.
    using Method = HRESULT(STDMETHODCALLTYPE*)(IDispatch*);
    Method const* table = *reinterpret_cast<Method const* const*>(&control);
    // Error information left over from an earlier call must not be taken for this one's.
    SetErrorInfo(0, nullptr);
    CheckMethodResult(table[entry](&control));
}

} // namespace kelvor

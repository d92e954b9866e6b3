#include "standin/control_logic.h"

#include "standin/stage.h"

#include <wrl/client.h>

#include <new>
#include <string>

namespace kelvor::standin {
namespace {

// Runs one operation: an injected fault makes it fail before it does anything; a failure of
// either kind is logged in place of the operation's own line, which the caller writes.
template <class Body>
auto RunOperation(const std::string& op, std::optional<std::int32_t> message, Body body) {
    Stage& stage = Stage::Instance();
    try {
        if (auto fault = stage.InjectedFault(op, message))
            throw *fault;
        return body();
    } catch (const Failure& failure) {
        stage.Log("FAIL " + op + " " + StatusForm(failure.code));
        throw;
    }
}

std::string OperationName(const char* verb, const PropertySpec& property) {
    return verb + std::string(property.name);
}

void LogSuccess(const std::string& op, const Value& value) {
    Stage& stage = Stage::Instance();
    if (stage.Logging())
        stage.Log(op + " " + LogForm(value));
}

// COM calls must not let exceptions out.
template <class Call> HRESULT Guarded(Call call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

VARTYPE TypeOf(Kind kind) {
    switch (kind) {
    case Kind::Bool:
        return VT_BOOL;
    case Kind::Int:
        return VT_I4;
    case Kind::Text:
        return VT_BSTR;
    }
    return VT_EMPTY;
}

Value ValueOf(const VARIANT& argument) {
    switch (argument.vt) {
    case VT_BOOL:
        return argument.boolVal != VARIANT_FALSE;
    case VT_I4:
        return static_cast<std::int32_t>(argument.lVal);
    default:
        return std::wstring_view(argument.bstrVal, SysStringLen(argument.bstrVal));
    }
}

BSTR AllocateText(const Value& value) {
    const auto text = std::get<std::wstring_view>(value);
    BSTR result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!result)
        throw std::bad_alloc();
    return result;
}

void Store(const Value& value, VARIANT* result) {
    if (const bool* flag = std::get_if<bool>(&value)) {
        result->vt = VT_BOOL;
        result->boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const std::int32_t* number = std::get_if<std::int32_t>(&value)) {
        result->vt = VT_I4;
        result->lVal = *number;
    } else {
        result->bstrVal = AllocateText(value);
        result->vt = VT_BSTR;
    }
}

void Store(const Value& value, VARIANT_BOOL* out) {
    *out = std::get<bool>(value) ? VARIANT_TRUE : VARIANT_FALSE;
}
void Store(const Value& value, LONG* out) {
    *out = std::get<std::int32_t>(value);
}
void Store(const Value& value, BSTR* out) {
    *out = AllocateText(value);
}

} // namespace

Value ControlLogic::Get(const PropertySpec& property) {
    const std::string op = OperationName("get ", property);
    Value value = RunOperation(op, CurrentMessage(), [&] { return Read(property); });
    LogSuccess(op, value);
    return value;
}

void ControlLogic::Put(const PropertySpec& property, const Value& value) {
    const std::string op = OperationName("put ", property);
    RunOperation(op, CurrentMessage(), [&] {
        if (!property.writable)
            throw Failure{ReadOnlyProperty,
                          std::wstring(property.name.begin(), property.name.end()) +
                              L" is read-only"};
        Write(property, value);
    });
    LogSuccess(op, value);
}

HRESULT ControlLogic::Invoke(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    return Guarded([&]() -> HRESULT {
        if (!IsEqualIID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        const PropertySpec* property = FindProperty(Properties(), dispid);
        if (!property)
            return DISP_E_MEMBERNOTFOUND;
        if (!params)
            return E_INVALIDARG;
        try {
            if (flags & DISPATCH_PROPERTYPUT) {
                if (params->cArgs != 1)
                    return DISP_E_BADPARAMCOUNT;
                if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
                    params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                    return DISP_E_PARAMNOTOPTIONAL;
                const VARIANT& argument = params->rgvarg[0];
                if (argument.vt != TypeOf(property->kind)) {
                    if (argumentError)
                        *argumentError = 0;
                    Stage::Instance().Log("FAIL " + OperationName("put ", *property) + " " +
                                          StatusForm(DISP_E_TYPEMISMATCH));
                    return DISP_E_TYPEMISMATCH;
                }
                Put(*property, ValueOf(argument));
                return S_OK;
            }
            if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
                if (params->cArgs != 0)
                    return DISP_E_BADPARAMCOUNT;
                const Value value = Get(*property);
                if (result)
                    Store(value, result);
                return S_OK;
            }
            return DISP_E_MEMBERNOTFOUND;
        } catch (const Failure& failure) {
            if (failure.viaStatus)
                return failure.code;
            if (exception) {
                *exception = EXCEPINFO{};
                exception->scode = failure.code;
                exception->bstrDescription = SysAllocStringLen(
                    failure.description.data(), static_cast<UINT>(failure.description.size()));
                exception->bstrSource = SysAllocString(SourceName());
            }
            return DISP_E_EXCEPTION;
        }
    });
}

HRESULT ControlLogic::Report(const Failure& failure) {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (!failure.viaStatus && SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetDescription(const_cast<LPOLESTR>(failure.description.c_str()));
        create->SetSource(const_cast<LPOLESTR>(SourceName()));
        create->SetGUID(Interface());
        create.As(&info);
    }
    SetErrorInfo(0, info.Get());
    return failure.code;
}

template <class Out> HRESULT ControlLogic::GetAs(DISPID dispid, Out* value) {
    return Guarded([&]() -> HRESULT {
        if (!value)
            return E_POINTER;
        const PropertySpec* property = FindProperty(Properties(), dispid);
        if (!property)
            return E_NOTIMPL;
        try {
            Store(Get(*property), value);
            return S_OK;
        } catch (const Failure& failure) {
            return Report(failure);
        }
    });
}

HRESULT ControlLogic::PutAs(DISPID dispid, const Value& value) {
    return Guarded([&]() -> HRESULT {
        const PropertySpec* property = FindProperty(Properties(), dispid);
        if (!property)
            return E_NOTIMPL;
        try {
            Put(*property, value);
            return S_OK;
        } catch (const Failure& failure) {
            return Report(failure);
        }
    });
}

HRESULT ControlLogic::GetEntry(DISPID dispid, VARIANT_BOOL* value) {
    return GetAs(dispid, value);
}
HRESULT ControlLogic::GetEntry(DISPID dispid, LONG* value) {
    return GetAs(dispid, value);
}
HRESULT ControlLogic::GetEntry(DISPID dispid, BSTR* value) {
    return GetAs(dispid, value);
}

HRESULT ControlLogic::PutEntry(DISPID dispid, VARIANT_BOOL value) {
    return PutAs(dispid, Value(value != VARIANT_FALSE));
}

HRESULT ControlLogic::PutEntry(DISPID dispid, LONG value) {
    return PutAs(dispid, Value(static_cast<std::int32_t>(value)));
}

HRESULT ControlLogic::PutEntry(DISPID dispid, BSTR value) {
    return PutAs(dispid, Value(std::wstring_view(value, SysStringLen(value))));
}

HRESULT ControlLogic::MethodEntry(std::string_view name, const std::function<void()>& body) {
    return Guarded([&]() -> HRESULT {
        const std::string op(name);
        try {
            RunOperation(op, CurrentMessage(), body);
        } catch (const Failure& failure) {
            return Report(failure);
        }
        Stage::Instance().Log(op);
        return S_OK;
    });
}

} // namespace kelvor::standin

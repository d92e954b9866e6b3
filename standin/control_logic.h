#pragma once

// What a stand-in control does, apart from COM's boilerplate: its properties and methods, each
// run as one operation that an injected fault can make fail and that the call log records.

#include "standin/failure.h"
#include "standin/properties.h"
#include "standin/value.h"

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace kelvor::standin {

class ControlLogic {
public:
    virtual ~ControlLogic() = default;

    // IDispatch::Invoke for a property: DISPATCH_PROPERTYGET into `result`, or
    // DISPATCH_PROPERTYPUT with one argument named DISPID_PROPERTYPUT of the property's exact
    // type. A failure described by the control comes back as DISP_E_EXCEPTION.
    HRESULT Invoke(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError);

    // The function table's entries of the used properties and the methods. A failure sets the
    // thread's error information, unless it is a bare status.
    HRESULT GetEntry(DISPID dispid, VARIANT_BOOL* value);
    HRESULT GetEntry(DISPID dispid, LONG* value);
    HRESULT GetEntry(DISPID dispid, BSTR* value);
    HRESULT PutEntry(DISPID dispid, VARIANT_BOOL value);
    HRESULT PutEntry(DISPID dispid, LONG value);
    HRESULT PutEntry(DISPID dispid, BSTR value);
    HRESULT MethodEntry(std::string_view name, const std::function<void()>& body);

protected:
    virtual std::span<const PropertySpec> Properties() const = 0;
    // The current message index for matching faults; none for the session.
    virtual std::optional<std::int32_t> CurrentMessage() const = 0;
    // Both throw Failure.
    virtual Value Read(const PropertySpec& property) = 0;
    virtual void Write(const PropertySpec& property, const Value& value) = 0;
    // Where the error information of a failing method says it comes from.
    virtual const IID& Interface() const = 0;
    virtual const wchar_t* SourceName() const = 0;

private:
    // Both throw Failure, logged as a failed operation.
    Value Get(const PropertySpec& property);
    void Put(const PropertySpec& property, const Value& value);
    HRESULT Report(const Failure& failure);
    template <class Out> HRESULT GetAs(DISPID dispid, Out* value);
    HRESULT PutAs(DISPID dispid, const Value& value);
};

} // namespace kelvor::standin

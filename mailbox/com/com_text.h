#pragma once

// Owners of COM's text and VARIANT values, and the step between BSTR and std::u16string.

#include "platform/unique_handle.h"

#include <windows.h>

#include <oleauto.h>

#include <cstring>
#include <string>
#include <string_view>

namespace kelvor {

inline void FreeBstr(BSTR text) noexcept {
    SysFreeString(text);
}
using UniqueBstr = UniqueHandle<BSTR, FreeBstr>;

// A VARIANT is a value that COM fills in through its address, not a handle: it has an owner of
// its own.
class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) {
        VariantInit(&other.value_);
    }
    UniqueVariant& operator=(UniqueVariant&&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT& operator*() const noexcept { return value_; }

private:
    VARIANT value_;
};

// A BSTR's text; a null BSTR is the empty text.
inline std::u16string ToU16(BSTR text) {
    std::u16string result(SysStringLen(text), u'\0');
    if (!result.empty())
        std::memcpy(result.data(), text, result.size() * sizeof(char16_t));
    return result;
}

// Throws std::bad_alloc when the system has no memory for the copy.
inline UniqueBstr MakeBstr(std::u16string_view text) {
    static_assert(sizeof(OLECHAR) == sizeof(char16_t));
    UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())));
    if (!result.get())
        throw std::bad_alloc();
    if (!text.empty())
        std::memcpy(result.get(), text.data(), text.size() * sizeof(char16_t));
    return result;
}

} // namespace kelvor

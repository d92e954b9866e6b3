#pragma once

// Owners of COM's text and VARIANT values, and the step between BSTR and std::u16string.

#include <windows.h>

#include <oleauto.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace kelvor {

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR text) noexcept : text_(text) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : text_(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueBstr() { reset(); }

    BSTR get() const noexcept { return text_; }
    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    void reset(BSTR text = nullptr) noexcept { SysFreeString(std::exchange(text_, text)); }

private:
    BSTR text_ = nullptr;
};

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

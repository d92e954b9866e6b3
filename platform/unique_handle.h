#pragma once

// The one owner of the system's handles: files, windows, device contexts, GDI objects, hooks,
// COM strings. It closes what it holds when it goes or takes another, and moves but never
// copies.

#include <utility>

namespace kelvor {

// The null value of a handle type: no handle, for the types whose null is none.
template <class Handle> constexpr Handle NullHandle() noexcept {
    return Handle{};
}

// Close is called once for each handle held, never with None(). None is a function rather than
// a value: a handle such as INVALID_HANDLE_VALUE is no constant expression.
template <class Handle, auto Close, auto None = NullHandle<Handle>> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != None(); }
    Handle release() noexcept { return std::exchange(handle_, None()); }
    void reset(Handle handle = None()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != None())
            Close(old);
    }

private:
    Handle handle_ = None();
};

} // namespace kelvor

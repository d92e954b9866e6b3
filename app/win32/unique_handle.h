#pragma once

// Move-only owners for the handles the shell creates.

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace kelvor::win32 {

template <class Handle, auto Release> class UniqueHandle {
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
    explicit operator bool() const noexcept { return handle_ != Handle{}; }
    Handle release() noexcept { return std::exchange(handle_, Handle{}); }
    void reset(Handle handle = Handle{}) noexcept {
        if (handle_ != Handle{})
            Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_{};
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    ::DeleteObject(object);
}
inline void DestroyIconHandle(HICON icon) noexcept {
    ::DestroyIcon(icon);
}
inline void UnhookHook(HHOOK hook) noexcept {
    ::UnhookWindowsHookEx(hook);
}
inline void DestroyImageListHandle(HIMAGELIST list) noexcept {
    ::ImageList_Destroy(list);
}
inline void DeleteDeviceContext(HDC dc) noexcept {
    ::DeleteDC(dc);
}
inline void CloseKernelHandle(HANDLE handle) noexcept {
    ::CloseHandle(handle);
}

using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueHook = UniqueHandle<HHOOK, UnhookHook>;
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageListHandle>;
using UniqueDC = UniqueHandle<HDC, DeleteDeviceContext>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

// A screen device context for measuring text, released on scope exit.
class ScreenDC {
public:
    ScreenDC() noexcept : dc_(::GetDC(nullptr)) {}
    ~ScreenDC() { ::ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() { ::SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace kelvor::win32

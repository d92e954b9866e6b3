#pragma once

// Owners of the handles the shell creates.

#include "platform/unique_handle.h"

#include <windows.h>

#include <commctrl.h>

namespace kelvor::win32 {

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
// A device context from GetDC goes back to the window it came from.
inline void ReleaseWindowDC(HDC dc) noexcept {
    ::ReleaseDC(::WindowFromDC(dc), dc);
}

using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueHook = UniqueHandle<HHOOK, UnhookHook>;
using UniqueImageList = UniqueHandle<HIMAGELIST, DestroyImageListHandle>;
using UniqueDC = UniqueHandle<HDC, DeleteDeviceContext>;
using UniqueEvent = UniqueHandle<HANDLE, CloseKernelHandle>;
using UniqueWindowDC = UniqueHandle<HDC, ReleaseWindowDC>;

// The screen's device context, for measuring text.
class ScreenDC : public UniqueWindowDC {
public:
    ScreenDC() noexcept : UniqueWindowDC(::GetDC(nullptr)) {}
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

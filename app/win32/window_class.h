#pragma once

// A window as a C++ object: the system's window procedure finds the object through
// GWLP_USERDATA, set at WM_NCCREATE and cleared at WM_NCDESTROY, and no exception ever leaves
// it. The object hands its `this` as the creation parameter and answers HandleMessage.

#include "app/win32/ansi_text.h"
#include "platform/error.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <exception>

namespace kelvor::win32 {

// For a debugger or a tool that collects a program's debug output.
inline void TraceEscapedError(const char* what) noexcept {
    try {
        OutputDebugStringW(
            (L"Kelvor: an error reached a window procedure: " + FromAnsi(what) + L"\n").c_str());
    } catch (...) {
        OutputDebugStringW(L"Kelvor: an error reached a window procedure\n");
    }
}

template <class Window>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    bool handled = false;
    if (self) {
        try {
            handled = self->HandleMessage(window, message, wParam, lParam, result);
        } catch (const std::exception& error) {
            // Handlers stop their own errors; whatever still comes here ends the message as
            // handled, so the system's code above never sees an exception, and leaves a trace.
            TraceEscapedError(error.what());
            handled = true;
            result = 0;
        } catch (...) {
            TraceEscapedError("an unknown error");
            handled = true;
            result = 0;
        }
    }
    if (!handled)
        result = DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return result;
}

// Registers a class of this module once; later calls find it registered.
template <class Window>
void RegisterObjectClass(const wchar_t* name, HBRUSH background, UINT style = 0) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing))
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = ObjectWindowProc<Window>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass))
        throw Error("Cannot register a window class");
}

// The window procedure stops finding the object first: the messages of the window's destruction
// never reach an object that is itself on its way out.
inline void DestroyObjectWindow(HWND window) noexcept {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

using ObjectWindow = UniqueHandle<HWND, DestroyObjectWindow>;

// For an object's HandleMessage: the object owns its window from WM_NCCREATE, before
// CreateWindowExW returns, and gives it up at WM_NCDESTROY should anything else destroy it.
inline void OwnObjectWindow(ObjectWindow& owner, HWND window, UINT message) noexcept {
    if (message == WM_NCCREATE)
        owner.reset(window);
    else if (message == WM_NCDESTROY)
        owner.release();
}

} // namespace kelvor::win32

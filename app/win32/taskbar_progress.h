#pragma once

// Progress of a long Convert on the task-bar button, where the system offers it.

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

namespace kelvor::win32 {

class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND buttonWindow) : window_(buttonWindow) {}

    void Show(int done, int total) noexcept;
    void Clear() noexcept;

private:
    HWND window_;
    bool tried_ = false;
    Microsoft::WRL::ComPtr<ITaskbarList3> taskbar_;
};

} // namespace kelvor::win32

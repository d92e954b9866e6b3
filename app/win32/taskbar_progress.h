#pragma once

// Progress of a Convert on the task-bar button, where the system offers it.

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

namespace kelvor::win32 {

class TaskbarProgress {
public:
    // The shell's task-bar list is made with the window, not in the first Convert, which would
    // wait for it: Wine loads it in milliseconds, as long as a few exports take.
    explicit TaskbarProgress(HWND buttonWindow) noexcept;

    void Show(int done, int total) noexcept;
    void Clear() noexcept;

private:
    HWND window_;
    Microsoft::WRL::ComPtr<ITaskbarList3> taskbar_;
};

} // namespace kelvor::win32

#include "app/win32/taskbar_progress.h"

namespace kelvor::win32 {

TaskbarProgress::TaskbarProgress(HWND buttonWindow) noexcept : window_(buttonWindow) {
    Microsoft::WRL::ComPtr<ITaskbarList3> taskbar;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&taskbar))) &&
        SUCCEEDED(taskbar->HrInit()))
        taskbar_ = taskbar;
}

void TaskbarProgress::Show(int done, int total) noexcept {
    if (taskbar_ && total > 0)
        taskbar_->SetProgressValue(window_, static_cast<ULONGLONG>(done),
                                   static_cast<ULONGLONG>(total));
}

void TaskbarProgress::Clear() noexcept {
    if (taskbar_)
        taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
}

} // namespace kelvor::win32

#pragma once

// While it holds a reason, Windows is asked to wait before it ends the session and shows the
// reason to the user; the reason goes with the object.

#include <windows.h>

#include <string>
#include <utility>

namespace kelvor::win32 {

class ShutdownBlock {
public:
    explicit ShutdownBlock(HWND window) : window_(window) {}
    ~ShutdownBlock() {
        if (!reason_.empty())
            ShutdownBlockReasonDestroy(window_);
    }
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

    void SetReason(std::wstring reason) {
        if (reason.empty() || reason == reason_)
            return;
        // Where the system cannot show one, the answer to its question still counts.
        ShutdownBlockReasonCreate(window_, reason.c_str());
        reason_ = std::move(reason);
    }

private:
    HWND window_;
    std::wstring reason_;
};

} // namespace kelvor::win32

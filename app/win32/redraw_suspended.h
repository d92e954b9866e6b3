#pragma once

#include <windows.h>

namespace kelvor::win32 {

// A control that is filled item by item repaints and rescales its scroll bar once, when the
// object goes, not once per item: a mailbox of thousands of subjects would otherwise take
// minutes to list.
class RedrawSuspended {
public:
    explicit RedrawSuspended(HWND control) : control_(control) {
        SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawSuspended() {
        SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    HWND control_;
};

} // namespace kelvor::win32

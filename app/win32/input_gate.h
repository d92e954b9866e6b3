#pragma once

// While the mailbox signs on and fetches, neither the main window nor its task-bar button takes
// input. Disabling them is not enough: a control's dialog enables its owner again when it ends,
// as Windows' dialog manager does, and the mailbox may pump messages after that; and input that
// still waits in the queue when the windows are enabled again must not be taken then.

#include "app/win32/unique_handle.h"

#include <windows.h>

namespace kelvor::win32 {

class InputGate {
public:
    // Disables both windows and keeps them disabled; keys, clicks and the task-bar button's
    // commands that reach them are dropped, whoever takes them from the queue. One gate to a
    // thread; it watches the queue for as long as it lives.
    InputGate(HWND buttonWindow, HWND mainWindow);
    ~InputGate();
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

    // Enables both windows. Input made before this moment is still dropped when it is taken.
    void Open();

private:
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK OnWindowProcReturn(int code, WPARAM wParam, LPARAM lParam) noexcept;
    bool Drops(const MSG& message) const;

    HWND button_;
    HWND main_;
    bool open_ = false;
    // Messages carry the tick count of when they were made.
    DWORD openedAt_ = 0;
    UniqueHook getMessage_;
    UniqueHook windowProcReturn_;
};

} // namespace kelvor::win32

#pragma once

// The one way the program is busy: work the user waits for (the start-up, an export, a Convert)
// runs on the window's thread, and between two of its steps the thread takes what has arrived
// every fraction of a second, so that the system never counts the window hung. One filter
// decides what a message does meanwhile: paints, messages of other programs and the system's
// own are handled; the user's keys and clicks do nothing and are not kept, but Esc and the ways of
// closing the window, which stop the work. The stop itself is the application's.

#include "app/form_views.h"
#include "app/win32/application.h"
#include "app/win32/busy_cursor.h"
#include "app/win32/unique_handle.h"

#include <windows.h>

#include <chrono>

namespace kelvor::win32 {

class Work final : public BusyWork {
public:
    Work(Application& application, WorkKind kind);
    // Drops the input the last moments of the work left in the queue.
    ~Work() override;
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    void Step() override;

    // The filter: whether the program's windows take the message while the work runs. A way to
    // stop the work is taken as the stop request, and not otherwise.
    bool Admit(const MSG& message);

    // While calls into the mailbox may take messages themselves (its logon dialog, a fetch that
    // waits), the filter applies to whichever loop takes them.
    void FilterForeignLoops(bool filter);
    bool InMailboxCall() const { return static_cast<bool>(hook_); }
    // The message being handled came through the work's own pump, between two of its steps:
    // not from within a call into the mailbox.
    bool Pumping() const { return pumping_; }

private:
    void Pump();
    bool IsProgramWindow(HWND window) const;
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) noexcept;

    Application& application_;
    HWND main_;
    WorkKind kind_;
    // Also what the window shows under the pointer while the work runs.
    BusyCursor busy_;
    std::chrono::steady_clock::time_point lastPump_;
    bool pumped_ = false;
    bool pumping_ = false;
    UniqueHook hook_;
};

} // namespace kelvor::win32

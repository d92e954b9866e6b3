#pragma once

// The one way the program is busy: work the user waits for (the start-up, the export of a selected
// subject, a Convert) runs on the window's thread, and between two of its steps the thread takes
// what has arrived every fraction of a second, so that the system never counts the window hung
// (but where a single step takes long itself: a call into the mailbox that does not return, a
// message text of many megabytes).
// One filter decides what a message does meanwhile: paints, the window's frame, messages of other
// programs and the system's own are handled; the user's keys and clicks do nothing and are not
// kept, but the ways to stop the work: Esc (not the start-up), and closing the window, Exit or a
// quit from outside, which then close it. The stop is the work's own and ends with it; Windows
// is asked to wait for work that writes the gateway.

#include "app/form_views.h"
#include "app/win32/application.h"
#include "app/win32/busy_cursor.h"
#include "app/win32/shutdown_block.h"
#include "app/win32/unique_handle.h"
#include "app/win32/work_input.h"

#include <windows.h>

#include <chrono>
#include <functional>

namespace kelvor::win32 {

class Work final : public BusyWork {
public:
    // A batch of `total` exports, for a Convert.
    Work(Application& application, WorkKind kind, int total = 0);
    // Drops the input the last moments of the work left in the queue; a close asked for follows
    // once the handler that ran the work has ended.
    ~Work() override;
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    void Step() override;
    void Wait(const std::function<bool()>& done) override;
    bool WaitAfterStop(const std::function<bool()>& done) override;
    // How far a batch is, for the reason Windows shows while it waits for the work.
    void SetDone(int done) { done_ = done; }

    // The filter: whether the program's windows take the message while the work runs. A way to
    // stop the work is taken as its stop, and not otherwise.
    bool Admit(const MSG& message);
    // Windows asks whether the session may end: the work goes on either way.
    bool MayEndSession(LPARAM flags);

    // While calls into the mailbox may take messages themselves (its logon dialog, a fetch that
    // waits), the filter applies to whichever loop takes them.
    void FilterForeignLoops(bool filter);
    bool InMailboxCall() const { return static_cast<bool>(hook_); }

private:
    void Pump();
    // Until the application is woken, or it is time to take messages again.
    void WaitForWake();
    void ShowReason();
    WindowRole RoleOf(HWND window) const;
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) noexcept;

    Application& application_;
    HWND main_;
    WorkKind kind_;
    WorkStop stop_ = WorkStop::None;
    int done_ = 0;
    int total_;
    ShutdownBlock shutdownBlock_;
    // Also what the window shows under the pointer while the work runs.
    BusyCursor busy_;
    std::chrono::steady_clock::time_point lastPump_;
    bool pumped_ = false;
    UniqueHook hook_;
};

} // namespace kelvor::win32

#pragma once

// The one way the program is busy: work of its own that the user waits for (the start-up, a
// Convert) runs on the window's thread, and between two of its steps the thread takes what has
// arrived every fraction of a second, so that the system never counts the window hung. Paints,
// messages sent by other threads and programs and the system's own are handled then; the user's
// keys and clicks start nothing: they are kept for after the work, or dropped while the mailbox
// signs on. In a Convert, Esc and closing the window stop the work between two steps.

#include "app/form_views.h"
#include "app/win32/application.h"
#include "app/win32/busy_cursor.h"
#include "app/win32/unique_handle.h"

#include <windows.h>

#include <chrono>

namespace kelvor::win32 {

class Work final : public BusyWork {
public:
    // `stoppable`: Esc stops the work, and closing the window stops it before the window closes.
    // Otherwise a close waits until the work has ended.
    Work(Application& application, bool stoppable);
    ~Work() override;
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    void Step() override;

    // While input is dropped, the main window and its task-bar button are disabled, and keys,
    // clicks and window commands that reach them are dropped, whoever takes them from the queue:
    // a mailbox dialog enables its owner when it ends, and the mailbox may take messages itself.
    // When it ends, what is still queued is dropped too.
    void DropInput(bool drop);
    bool DroppingInput() const { return static_cast<bool>(dropHook_); }

    // The main window was asked to close: the work stops, or the close waits for its end.
    void RequestClose();
    // Windows is ending the session.
    void RequestEndSession();
    WorkStop Stopping() const { return stop_; }
    bool Stoppable() const { return stoppable_; }

private:
    void Pump();
    // Keys and clicks: true when the message was one, and it has been dealt with.
    bool TakeInput(const MSG& message);
    void Request(WorkStop stop);
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept;

    Application& application_;
    HWND main_;
    bool stoppable_;
    // Also what the window shows under the pointer while the work runs.
    BusyCursor busy_;
    WorkStop stop_ = WorkStop::None;
    std::chrono::steady_clock::time_point lastPump_;
    UniqueHook dropHook_;
};

} // namespace kelvor::win32

#pragma once

// Convert as the user sees it: the work that the user waits for, the views held and brought up to
// date first a second into the batch, then at most four times a second and for at most a fortieth
// of the time, the window answering within and between exports, the ways to stop it ending the
// batch there, and the progress on the task-bar button and in the reason Windows shows while it
// waits for the batch; all of it ends with the batch.

#include "app/form_views.h"
#include "app/win32/busy_work.h"
#include "app/win32/held_views.h"
#include "app/win32/taskbar_progress.h"

#include <windows.h>

namespace kelvor::win32 {

class ConvertBatch final : public ExportBatch {
public:
    ConvertBatch(Application& application, HWND window, HeldViews& views, TaskbarProgress& taskbar,
                 int total);
    // A batch an error ended: the views show what they can, and the error is the one to show.
    ~ConvertBatch() override;
    ConvertBatch(const ConvertBatch&) = delete;
    ConvertBatch& operator=(const ConvertBatch&) = delete;

    void Step() override;
    void Wait(const std::function<bool()>& done) override { work_.Wait(done); }
    bool WaitAfterStop(const std::function<bool()>& done) override {
        return work_.WaitAfterStop(done);
    }
    void Progress(int done) override;
    void Finish() override;

private:
    HWND window_;
    HeldViews& views_;
    TaskbarProgress& taskbar_;
    int total_;
    bool finished_ = false;
    Work work_;
};

} // namespace kelvor::win32

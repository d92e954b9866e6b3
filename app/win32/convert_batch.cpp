#include "app/win32/convert_batch.h"

namespace kelvor::win32 {

ConvertBatch::ConvertBatch(Application& application, HWND window, HeldViews& views,
                           TaskbarProgress& taskbar, int total)
    : window_(window), views_(views), taskbar_(taskbar), total_(total),
      work_(application, WorkKind::Convert, total) {
    views_.HoldForBatch();
}

ConvertBatch::~ConvertBatch() {
    if (!finished_) {
        try {
            views_.Release();
        } catch (...) {
            // The error that ended the batch comes first.
        }
    }
    taskbar_.Clear();
}

void ConvertBatch::Step() {
    work_.Step();
}

void ConvertBatch::Progress(int done) {
    // What else is pending is painted with the views.
    if (views_.RefreshIfDue())
        RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    taskbar_.Show(done, total_);
    work_.SetDone(done);
    work_.Step();
}

void ConvertBatch::Finish() {
    finished_ = true;
    views_.Release();
}

} // namespace kelvor::win32

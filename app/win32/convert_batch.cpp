#include "app/win32/convert_batch.h"

namespace kelvor::win32 {

ConvertBatch::ConvertBatch(HWND window, HeldViews& views, TaskbarProgress& taskbar, int total)
    : window_(window), views_(views), taskbar_(taskbar), total_(total) {
    views_.Hold();
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

void ConvertBatch::Progress(int done) {
    views_.RefreshIfDue();
    // Paints what is pending and nothing else: no input is taken during a batch.
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    taskbar_.Show(done, total_);
}

void ConvertBatch::Finish() {
    finished_ = true;
    views_.Release();
}

} // namespace kelvor::win32

#include "app/win32/export_views.h"

#include <windows.h>

#include <exception>

namespace kelvor::win32 {

void ExportViews::Hold() {
    SetHeld(true);
}

bool ExportViews::Pending() const {
    return subjects_.Pending() || message_.Pending() || attachments_.Pending();
}

void ExportViews::RefreshIfDue(std::chrono::milliseconds minimumGap) {
    if (Pending() && pacer_.Due(RefreshPacer::Clock::now(), minimumGap))
        Refresh();
}

void ExportViews::Release() {
    SetHeld(false);
    if (Pending())
        Refresh();
}

void ExportViews::ReleaseIfDue() {
    if (!Pending() || pacer_.Due(RefreshPacer::Clock::now(), std::chrono::milliseconds(0)))
        Release();
}

void ExportViews::SetHeld(bool held) {
    subjects_.SetHeld(held);
    message_.SetHeld(held);
    attachments_.SetHeld(held);
}

void ExportViews::Refresh() {
    const auto start = RefreshPacer::Clock::now();
    std::exception_ptr failure;
    const auto attempt = [&failure](auto& view) {
        try {
            view.Refresh();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
        UpdateWindow(view.Handle());
    };
    attempt(subjects_);
    attempt(message_);
    attempt(attachments_);
    pacer_.Refreshed(start, RefreshPacer::Clock::now());
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kelvor::win32

#include "app/win32/held_views.h"

#include <windows.h>

#include <exception>

namespace kelvor::win32 {

void HeldViews::Hold() {
    SetHeld(true);
}

bool HeldViews::Pending() const {
    return subjects_.Pending() || message_.Pending() || attachments_.Pending();
}

void HeldViews::RefreshIfDue(std::chrono::milliseconds minimumGap) {
    if (Pending() && pacer_.Due(RefreshPacer::Clock::now(), minimumGap))
        Refresh();
}

void HeldViews::Release() {
    SetHeld(false);
    if (Pending())
        Refresh();
}

void HeldViews::ReleaseIfDue() {
    if (!Pending() || pacer_.Due(RefreshPacer::Clock::now(), std::chrono::milliseconds(0)))
        Release();
}

void HeldViews::SetHeld(bool held) {
    subjects_.SetHeld(held);
    message_.SetHeld(held);
    attachments_.SetHeld(held);
}

void HeldViews::Refresh() {
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

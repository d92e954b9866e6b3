#include "app/win32/held_views.h"

#include <windows.h>

#include <chrono>
#include <utility>

namespace kelvor::win32 {
namespace {

// A few times a second.
constexpr std::chrono::milliseconds RefreshGap(250);

} // namespace

void HeldViews::HoldForBatch() {
    batch_ = true;
    SetHeld(true);
    pacer_.BeginBatch(RefreshPacer::Clock::now());
}

void HeldViews::HoldForRepeat() {
    SetHeld(true);
}

void HeldViews::EndRepeat() {
    if (!batch_)
        Release();
}

bool HeldViews::Pending() const {
    return subjects_.Pending() || message_.Pending() || attachments_.Pending();
}

bool HeldViews::RefreshIfDue() {
    const auto now = RefreshPacer::Clock::now();
    if (!pacer_.Due(now, RefreshGap))
        return false;
    if (Pending())
        Refresh();
    else
        pacer_.Refreshed(now, now);
    return true;
}

void HeldViews::Release() {
    batch_ = false;
    SetHeld(false);
    if (Pending())
        Refresh();
    if (const std::exception_ptr failure = std::exchange(failure_, nullptr))
        std::rethrow_exception(failure);
}

void HeldViews::SetHeld(bool held) {
    subjects_.SetHeld(held);
    message_.SetHeld(held);
    attachments_.SetHeld(held);
}

void HeldViews::Refresh() {
    const auto start = RefreshPacer::Clock::now();
    const auto attempt = [this](auto& view) {
        try {
            view.Refresh();
        } catch (...) {
            if (!failure_)
                failure_ = std::current_exception();
        }
        UpdateWindow(view.Handle());
    };
    attempt(subjects_);
    attempt(message_);
    attempt(attachments_);
    pacer_.Refreshed(start, RefreshPacer::Clock::now());
}

} // namespace kelvor::win32

#pragma once

// The three views that exports fill, the subject list's selection, the message view and the
// attachment list, held while exports follow each other faster than the controls can show
// them, and brought up to date a few times a second.

#include "app/refresh_pacer.h"
#include "app/win32/controls.h"

#include <chrono>

namespace kelvor::win32 {

class HeldViews {
public:
    HeldViews(ListControl& subjects, MemoControl& message, ListControl& attachments)
        : subjects_(subjects), message_(message), attachments_(attachments) {}

    void Hold();
    bool Pending() const;
    // Brings the controls up to date, and paints them, when the last time was at least
    // `minimumGap` ago and doing it now keeps the time it takes to a small share.
    void RefreshIfDue(std::chrono::milliseconds minimumGap);
    // Brings the controls up to date and lets them go. When a control cannot take its new
    // content, the others still get theirs, and the error follows.
    void Release();
    // Releases them when doing it now keeps its share; otherwise they stay held.
    void ReleaseIfDue();

private:
    void SetHeld(bool held);
    void Refresh();

    ListControl& subjects_;
    MemoControl& message_;
    ListControl& attachments_;
    RefreshPacer pacer_;
};

} // namespace kelvor::win32

#pragma once

// The three views that exports fill, the subject list's selection, the message view and the
// attachment list, held while exports follow each other faster than the controls can show them
// (Convert, a key held down on the subject list), and brought up to date a few times a second.

#include "app/refresh_pacer.h"
#include "app/win32/controls.h"

#include <exception>

namespace kelvor::win32 {

class HeldViews {
public:
    HeldViews(ListControl& subjects, MemoControl& message, ListControl& attachments)
        : subjects_(subjects), message_(message), attachments_(attachments) {}

    // Held for a batch, they follow the batch alone: nothing else lets them go before its end.
    void HoldForBatch();
    // Held while a key repeats on the subject list, until it comes up or the list loses the focus.
    void HoldForRepeat();
    void EndRepeat();
    bool Pending() const;
    // Brings the controls up to date, and paints them, when the last time was a moment ago and
    // doing it now keeps the time it takes to a small share. What a control cannot take is kept
    // for Release: the exports whose views they are have written their files whole. True when
    // it was time, whether or not anything was pending.
    bool RefreshIfDue();
    // Brings the controls up to date and lets them go, whoever held them: the batch at its end,
    // a dialog before it shows. When a control cannot take its content, the others still get
    // theirs, and the first such error since the views were held follows.
    void Release();

private:
    void SetHeld(bool held);
    void Refresh();

    ListControl& subjects_;
    MemoControl& message_;
    ListControl& attachments_;
    RefreshPacer pacer_;
    std::exception_ptr failure_;
    bool batch_ = false;
};

} // namespace kelvor::win32

#pragma once

// The three views that exports fill, the subject list's selection, the message view and the
// attachment list, held while exports follow each other faster than the controls can show them
// (Convert, a key held down on the subject list), and brought up to date at most four times a
// second, each time no sooner than 39 times as long as the last took; in a batch, first a second
// into it.

#include "app/refresh_pacer.h"
#include "app/win32/controls.h"

#include <exception>

namespace kelvor::win32 {

class HeldViews {
public:
    HeldViews(ListControl& subjects, MemoControl& message, ListControl& attachments)
        : subjects_(subjects), message_(message), attachments_(attachments) {}

    // Held for a batch, they follow the batch: nothing but a dialog lets them go before its end.
    void HoldForBatch();
    // Held while a key repeats on the subject list, until it comes up, the list loses the focus or
    // is clicked.
    void HoldForRepeat();
    void EndRepeat();
    bool Pending() const;
    // Brings the controls up to date, and paints them, when the pacer says it is time: a quarter
    // of a second after the last time at the soonest, and 39 times as long as the last took. What
    // a control cannot take is kept for Release: the exports whose
    // views they are have written their files whole. True when it was time, whether or not
    // anything was pending.
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

#include "app/win32/busy_work.h"

#include "app/win32/busy_property.h"
#include "app/win32/layout.h"
#include "platform/error.h"

#include <algorithm>

namespace kelvor::win32 {
namespace {

// Well within the quarter of a second the window is meant to answer in (the system counts it hung
// only after five), and seldom enough to cost the work nothing.
constexpr std::chrono::milliseconds PumpGap(100);
// A flood of messages cannot hold the work up for longer than this at a time.
constexpr std::chrono::milliseconds PumpLimit(50);

// The work whose filter the hook applies.
Work* filtering = nullptr;

} // namespace

Work::Work(Application& application, WorkKind kind, int total)
    : application_(application), main_(application.MainWindow()), kind_(kind), total_(total),
      shutdownBlock_(main_), lastPump_(std::chrono::steady_clock::now()) {
    application_.SetWork(this);
    SetPropW(main_, BusyProperty, main_);
    ShowReason();
}

Work::~Work() {
    FilterForeignLoops(false);
    // An export over in a moment leaves the queue to the loop, as any handler does; what the
    // user did during longer work is not taken afterwards.
    if (kind_ != WorkKind::Export || pumped_)
        Pump();
    RemovePropW(main_, BusyProperty);
    application_.SetWork(nullptr);
    if (stop_ == WorkStop::Close)
        application_.CloseAfterHandler();
}

void Work::Step() {
    if (std::chrono::steady_clock::now() - lastPump_ >= PumpGap)
        Pump();
    if (application_.Terminated() || stop_ != WorkStop::None)
        throw WorkStopped(application_.Terminated() || stop_ == WorkStop::Close);
}

void Work::Wait(const std::function<bool()>& done) {
    while (!done()) {
        WaitForWake();
        Step();
    }
}

bool Work::WaitAfterStop(const std::function<bool()>& done) {
    while (!done()) {
        if (application_.Terminated() || stop_ == WorkStop::Close)
            return false;
        WaitForWake();
        if (std::chrono::steady_clock::now() - lastPump_ >= PumpGap)
            Pump();
    }
    return true;
}

void Work::WaitForWake() {
    // Rounded up: a wait of no time in the pump's last millisecond would only spin.
    const auto due = std::chrono::ceil<std::chrono::milliseconds>(lastPump_ + PumpGap -
                                                                  std::chrono::steady_clock::now());
    WaitForSingleObject(
        application_.WakeEvent(),
        static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(due.count(), 0)));
}

void Work::Pump() {
    pumped_ = true;
    ShowReason();
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    while (std::chrono::steady_clock::now() - start < PumpLimit &&
           PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT && application_.Terminated())
            application_.TakeQuit();
        else
            application_.ProcessMessage(message);
    }
    lastPump_ = std::chrono::steady_clock::now();
}

void Work::ShowReason() {
    shutdownBlock_.SetReason(ShutdownReason(kind_, done_, total_));
}

WindowRole Work::RoleOf(HWND window) const {
    if (window && window == main_)
        return WindowRole::Main;
    if (window && window == application_.Window())
        return WindowRole::Application;
    if (!window || !IsChild(main_, window))
        return WindowRole::Other;
    return GetDlgCtrlID(window) == ExitButtonId ? WindowRole::ExitButton : WindowRole::Control;
}

bool Work::Admit(const MSG& message) {
    // The program's own quit reaches whichever loop takes it.
    if (message.message == WM_QUIT && application_.Terminated())
        return true;
    const WorkInput input = DecideWorkInput(message, RoleOf(message.hwnd), kind_, InMailboxCall());
    stop_ = std::max(stop_, input.stop);
    return input.admit;
}

bool Work::MayEndSession(LPARAM flags) {
    ShowReason();
    return SessionMayEnd(kind_, flags);
}

void Work::FilterForeignLoops(bool filter) {
    if (filter == InMailboxCall())
        return;
    if (!filter) {
        hook_.reset();
        filtering = nullptr;
        // What arrived while the mailbox had the thread is taken before the work goes on.
        lastPump_ = {};
        return;
    }
    hook_.reset(
        SetWindowsHookExW(WH_GETMESSAGE, &Work::OnGetMessage, nullptr, GetCurrentThreadId()));
    if (!hook_)
        throw Error("Cannot keep the window from taking input");
    filtering = this;
}

LRESULT CALLBACK Work::OnGetMessage(int code, WPARAM removal, LPARAM lParam) noexcept {
    // Whichever loop takes the message, the mailbox dialog's included; once, as it is taken.
    if (code == HC_ACTION && removal == PM_REMOVE && filtering) {
        auto& message = *reinterpret_cast<MSG*>(lParam);
        if (!filtering->Admit(message))
            message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace kelvor::win32

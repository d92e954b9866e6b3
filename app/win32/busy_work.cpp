#include "app/win32/busy_work.h"

#include "app/win32/busy_property.h"
#include "platform/error.h"

namespace kelvor::win32 {
namespace {

// Well within the quarter of a second a window has to answer in, and seldom enough to cost the
// work nothing.
constexpr std::chrono::milliseconds PumpGap(100);
// A flood of messages cannot hold the work up for longer than this at a time.
constexpr std::chrono::milliseconds PumpLimit(50);

// The work whose filter the hook applies.
Work* filtering = nullptr;

bool InRange(UINT message, UINT first, UINT last) {
    return message >= first && message <= last;
}

bool IsKeyOrClick(UINT message) {
    return InRange(message, WM_KEYFIRST, WM_KEYLAST) ||
           InRange(message, WM_MOUSEFIRST, WM_MOUSELAST) ||
           InRange(message, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK);
}

bool IsCloseGesture(const MSG& message) {
    return (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) ||
           (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE);
}

} // namespace

Work::Work(Application& application, WorkKind kind)
    : application_(application), main_(application.MainWindow()), kind_(kind),
      lastPump_(std::chrono::steady_clock::now()) {
    application_.SetWork(this);
    SetPropW(main_, BusyProperty, main_);
}

Work::~Work() {
    FilterForeignLoops(false);
    // An export over in a moment leaves the queue to the loop, as any handler does; what the
    // user did during longer work is not taken afterwards.
    if (kind_ != WorkKind::Export || pumped_)
        Pump();
    RemovePropW(main_, BusyProperty);
    application_.SetWork(nullptr);
}

void Work::Step() {
    if (std::chrono::steady_clock::now() - lastPump_ >= PumpGap)
        Pump();
    if (application_.Terminated() || application_.StopRequested() != WorkStop::None)
        throw WorkStopped();
}

void Work::Pump() {
    pumped_ = true;
    pumping_ = true;
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    while (std::chrono::steady_clock::now() - start < PumpLimit &&
           PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            application_.TakeQuit();
        else
            application_.ProcessMessage(message);
    }
    pumping_ = false;
    lastPump_ = std::chrono::steady_clock::now();
}

bool Work::IsProgramWindow(HWND window) const {
    return window && (window == main_ || window == application_.Window() || IsChild(main_, window));
}

bool Work::Admit(const MSG& message) {
    if (!IsProgramWindow(message.hwnd))
        return true;
    if (IsKeyOrClick(message.message)) {
        if (IsCloseGesture(message))
            application_.RequestStop(WorkStop::Close);
        else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
                 kind_ != WorkKind::Startup)
            application_.RequestStop(WorkStop::Stop);
        return false;
    }
    switch (message.message) {
    case WM_CLOSE:
        application_.RequestStop(WorkStop::Close);
        return false;
    case WM_SYSCOMMAND:
        if ((message.wParam & 0xFFF0) == SC_CLOSE) {
            application_.RequestStop(WorkStop::Close);
            return false;
        }
        // Moving, minimizing, restoring are the window's, not the work's; but not while a
        // dialog of the mailbox may be up.
        return !InMailboxCall();
    case WM_COMMAND:
        // A button pressed or a subject selected from outside starts nothing; the user name
        // field follows what is set in it, and the batch keeps the name it began with.
        return HIWORD(message.wParam) == EN_CHANGE;
    default:
        return true;
    }
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

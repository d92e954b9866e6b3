#include "app/win32/busy_work.h"

#include "app/win32/busy_property.h"
#include "platform/error.h"

#include <algorithm>

namespace kelvor::win32 {
namespace {

// Well within the five seconds after which the system counts a window hung, and seldom enough
// to cost the work nothing.
constexpr std::chrono::milliseconds PumpGap(100);
// A flood of messages cannot hold the work up for longer than this at a time.
constexpr std::chrono::milliseconds PumpLimit(50);

Work* dropping = nullptr;

bool InRange(UINT message, UINT first, UINT last) {
    return message >= first && message <= last;
}

bool IsKeyOrClick(UINT message) {
    return InRange(message, WM_KEYFIRST, WM_KEYLAST) ||
           InRange(message, WM_MOUSEFIRST, WM_MOUSELAST) ||
           InRange(message, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK);
}

// Where the pointer is says nothing worth keeping; the system sends the next move anyway.
bool IsPointerMove(UINT message) {
    return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

bool IsCloseGesture(const MSG& message) {
    return (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) ||
           (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE);
}

} // namespace

Work::Work(Application& application, bool stoppable)
    : application_(application), main_(application.MainWindow()), stoppable_(stoppable),
      lastPump_(std::chrono::steady_clock::now()) {
    application_.SetWork(this);
    SetPropW(main_, BusyProperty, main_);
}

Work::~Work() {
    DropInput(false);
    RemovePropW(main_, BusyProperty);
    application_.SetWork(nullptr);
    application_.SetWorkEnd(stop_);
}

void Work::Step() {
    if (std::chrono::steady_clock::now() - lastPump_ >= PumpGap)
        Pump();
}

void Work::Pump() {
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    while (std::chrono::steady_clock::now() - start < PumpLimit &&
           PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the message loop, once the work has ended.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!TakeInput(message))
            DispatchMessageW(&message);
    }
    lastPump_ = std::chrono::steady_clock::now();
}

bool Work::TakeInput(const MSG& message) {
    const bool command = message.message == WM_SYSCOMMAND || message.message == WM_CLOSE;
    if (!IsKeyOrClick(message.message) && !(command && DroppingInput()))
        return false;
    if (DroppingInput() || IsPointerMove(message.message))
        return true;
    if (IsCloseGesture(message)) {
        RequestClose();
        return true;
    }
    if (stoppable_ && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        Request(WorkStop::Stop);
        return true;
    }
    application_.HoldInput(message);
    return true;
}

void Work::DropInput(bool drop) {
    if (drop == DroppingInput())
        return;
    const HWND button = application_.Window();
    if (drop) {
        dropHook_.reset(
            SetWindowsHookExW(WH_GETMESSAGE, &Work::OnGetMessage, nullptr, GetCurrentThreadId()));
        if (!dropHook_)
            throw Error("Cannot keep the window from taking input");
        dropping = this;
        EnableWindow(button, FALSE);
        EnableWindow(main_, FALSE);
        return;
    }
    // What the user did meanwhile is not taken later either.
    Pump();
    dropping = nullptr;
    dropHook_.reset();
    EnableWindow(button, TRUE);
    EnableWindow(main_, TRUE);
}

void Work::RequestClose() {
    if (!DroppingInput())
        Request(WorkStop::Close);
}

void Work::RequestEndSession() {
    Request(WorkStop::EndSession);
}

void Work::Request(WorkStop stop) {
    stop_ = std::max(stop_, stop);
}

LRESULT CALLBACK Work::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    // Whichever loop takes the message, the mailbox dialog's included.
    if (code == HC_ACTION && dropping) {
        auto& message = *reinterpret_cast<MSG*>(lParam);
        const bool ours = message.hwnd == dropping->application_.Window() ||
                          message.hwnd == dropping->application_.MainWindow() ||
                          IsChild(dropping->application_.MainWindow(), message.hwnd);
        if (ours && (IsKeyOrClick(message.message) || message.message == WM_SYSCOMMAND))
            message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace kelvor::win32

#include "app/win32/input_gate.h"

#include "platform/error.h"

namespace kelvor::win32 {
namespace {

InputGate* current = nullptr;

struct MessageRange {
    UINT first;
    UINT last;
};

// Keys, clicks on the client area and on the frame, and the system commands that the task-bar
// button and the system menu post.
constexpr MessageRange UserInput[] = {{WM_KEYFIRST, WM_KEYLAST},
                                      {WM_MOUSEFIRST, WM_MOUSELAST},
                                      {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
                                      {WM_SYSCOMMAND, WM_SYSCOMMAND}};

bool IsUserInput(UINT message) {
    for (const MessageRange& range : UserInput)
        if (message >= range.first && message <= range.last)
            return true;
    return false;
}

UniqueHook Hook(int kind, HOOKPROC procedure) {
    UniqueHook hook(SetWindowsHookExW(kind, procedure, nullptr, GetCurrentThreadId()));
    if (!hook)
        throw Error("Cannot keep the window from taking input");
    return hook;
}

} // namespace

InputGate::InputGate(HWND buttonWindow, HWND mainWindow)
    : button_(buttonWindow), main_(mainWindow),
      getMessage_(Hook(WH_GETMESSAGE, &InputGate::OnGetMessage)),
      windowProcReturn_(Hook(WH_CALLWNDPROCRET, &InputGate::OnWindowProcReturn)) {
    current = this;
    EnableWindow(button_, FALSE);
    EnableWindow(main_, FALSE);
}

InputGate::~InputGate() {
    current = nullptr;
}

void InputGate::Open() {
    // Every window procedure's return passes the hook, and nothing needs it any more.
    windowProcReturn_.reset();
    open_ = true;
    openedAt_ = GetTickCount();
    EnableWindow(button_, TRUE);
    EnableWindow(main_, TRUE);
}

bool InputGate::Drops(const MSG& message) const {
    if (!IsUserInput(message.message) ||
        (message.hwnd != button_ && message.hwnd != main_ && !IsChild(main_, message.hwnd)))
        return false;
    // The difference, so that the tick count may wrap round meanwhile.
    return !open_ || static_cast<LONG>(message.time - openedAt_) <= 0;
}

LRESULT CALLBACK InputGate::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && current) {
        auto& message = *reinterpret_cast<MSG*>(lParam);
        if (current->Drops(message))
            message.message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK InputGate::OnWindowProcReturn(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && current && !current->open_) {
        const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (call.message == WM_ENABLE && call.wParam &&
            (call.hwnd == current->button_ || call.hwnd == current->main_))
            EnableWindow(call.hwnd, FALSE);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace kelvor::win32

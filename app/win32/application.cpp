#include "app/win32/application.h"

#include "app/general_error.h"
#include "app/win32/ansi_text.h"
#include "app/win32/artwork.h"
#include "app/win32/modal_scope.h"
#include "app/win32/window_class.h"

namespace kelvor::win32 {
namespace {

constexpr wchar_t ClassName[] = L"KelvorApplication";

// Longer than a key's repeat interval: a held key does not count as a pause.
constexpr ULONGLONG IdleDelayMs = 100;

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

} // namespace

Application::Application() : icon_(CreateArtIcon(CogIcon)) {
    RegisterObjectClass<Application>(ClassName, nullptr);
    // Zero size in the middle of the screen: only its task-bar button shows.
    if (!CreateWindowExW(0, ClassName, ApplicationTitle,
                         WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                         GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                         nullptr, nullptr, GetModuleHandleW(nullptr), this))
        throw Error("Cannot create the application window");
    SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
}

void Application::SetMainWindow(HWND main, std::function<bool(const MSG&)> preTranslate) {
    main_ = main;
    preTranslate_ = std::move(preTranslate);
}

void Application::ShowButton() {
    // Not by ShowWindow: its first call in a process may take the show state the process was
    // started with, which is the main window's.
    SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void Application::Minimize() {
    if (main_ && IsWindowVisible(main_)) {
        ShowWindow(main_, SW_HIDE);
        mainHidden_ = true;
    }
    ShowWindow(window_.get(), SW_MINIMIZE);
}

void Application::Restore() {
    ShowWindow(window_.get(), SW_RESTORE);
    if (mainHidden_ && main_)
        ShowWindow(main_, IsIconic(main_) ? SW_RESTORE : SW_SHOW);
    mainHidden_ = false;
    ActivateMainWindow();
}

void Application::Terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::EndSession() {
    sessionEnding_ = true;
    Terminate();
}

void Application::SetIdleWork(std::function<bool()> pending, std::function<void()> run) {
    idlePending_ = std::move(pending);
    idleRun_ = std::move(run);
}

int Application::Run() {
    MSG message;
    for (;;) {
        RunIdleWorkWhenDue();
        if (GetMessageW(&message, nullptr, 0, 0) <= 0)
            return 0;
        ProcessMessage(message);
    }
}

void Application::ProcessMessage(MSG& message) {
    if (IsInput(message.message))
        lastInput_ = GetTickCount64();
    if (preTranslate_ && preTranslate_(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::RunIdleWorkWhenDue() {
    if (!idlePending_ || !idlePending_())
        return;
    const auto queued = [] { return HIWORD(GetQueueStatus(QS_ALLINPUT)); };
    const UINT waiting = queued();
    // More input first: it may change what the work is to show.
    if (waiting & QS_INPUT)
        return;
    if (!(waiting & QS_SENDMESSAGE)) {
        if (waiting)
            return;
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG due = lastInput_ + IdleDelayMs;
        if (now < due &&
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(due - now), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT &&
            (queued() & (QS_INPUT | QS_SENDMESSAGE)) != QS_SENDMESSAGE)
            return;
    }
    idleRun_();
}

void Application::ShowGeneralError(std::string_view message) noexcept {
    if (terminated_)
        return;
    try {
        const std::wstring text = FromAnsi(GeneralErrorText(message));
        ModalScope scope(window_.get());
        MessageBoxW(window_.get(), text.c_str(), ApplicationTitle, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing is left to show an error with.
    }
}

void Application::ActivateMainWindow() {
    if (main_ && IsWindowVisible(main_) && IsWindowEnabled(main_) && !IsIconic(window_.get()))
        SetActiveWindow(main_);
}

bool Application::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    OwnObjectWindow(window_, window, message);
    switch (message) {
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return true;
        case SC_RESTORE:
            Restore();
            return true;
        default:
            return false;
        }
    case WM_CLOSE:
        // The task-bar button's close command closes the main window like its close box.
        if (main_)
            SendMessageW(main_, WM_CLOSE, 0, 0);
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            ActivateMainWindow();
        return true;
    case WM_QUERYENDSESSION:
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        return true;
    default:
        return false;
    }
}

} // namespace kelvor::win32

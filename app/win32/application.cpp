#include "app/win32/application.h"

#include "app/general_error.h"
#include "app/win32/ansi_text.h"
#include "app/win32/artwork.h"
#include "app/win32/busy_work.h"
#include "app/win32/modal_scope.h"
#include "app/win32/window_class.h"

#include <utility>

namespace kelvor::win32 {
namespace {

constexpr wchar_t ClassName[] = L"KelvorApplication";

} // namespace

Application::Application()
    : icon_(CreateArtIcon(CogIcon)), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!wake_)
        throw Error("Cannot create the application's event");
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
    // Also before the main window was ever shown: restoring shows it.
    if (main_) {
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

void Application::CloseAfterHandler() {
    if (handlerRunning_ || showingError_) {
        closeAfterHandler_ = true;
        return;
    }
    // The main window closes as by its close box, now that no work runs.
    if (main_ && !terminated_)
        SendMessageW(main_, WM_CLOSE, 0, 0);
}

bool Application::Admit(const MSG& message) {
    return !work_ || work_->Admit(message);
}

int Application::Run() {
    MSG message;
    while (!quitTaken_ && GetMessageW(&message, nullptr, 0, 0) > 0)
        ProcessMessage(message);
    return 0;
}

void Application::ProcessMessage(MSG& message) {
    if (!Admit(message))
        return;
    if (preTranslate_ && preTranslate_(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::SetBeforeErrorDisplay(std::function<void()> before) {
    beforeErrorDisplay_ = std::move(before);
}

void Application::ShowHandlerError(const std::exception_ptr& error) noexcept {
    const bool showing = std::exchange(showingError_, true);
    if (beforeErrorDisplay_) {
        try {
            beforeErrorDisplay_();
        } catch (...) {
            // The error that is being shown comes first.
        }
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ShowGeneralError(e.what());
    } catch (...) {
        ShowGeneralError("Unknown error");
    }
    showingError_ = showing;
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

bool Application::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) {
    OwnObjectWindow(window_, window, message);
    // Sent messages pass the work's filter here, as queued ones pass it in the loop.
    if (!Admit(MSG{window, message, wParam, lParam, 0, {}}))
        return true;
    bool handled = false;
    Guarded([&] { handled = Handle(message, wParam, result); });
    return handled;
}

bool Application::Handle(UINT message, WPARAM wParam, LRESULT& result) {
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
        // The main window, which gets it too, answers for the work.
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        // The main window, which gets it first, has dealt with it.
        return true;
    default:
        return false;
    }
}

} // namespace kelvor::win32

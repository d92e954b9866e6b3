#pragma once

// The application: the window that carries the task-bar button, the message loop, and the
// state that outlives a single handler (a pending quit, a close that follows the work).

#include "app/win32/unique_handle.h"
#include "app/win32/window_class.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace kelvor::win32 {

class Work;

// The task-bar button's text and the general error display's caption.
inline constexpr wchar_t ApplicationTitle[] = L"Kelvor";

class Application final {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HWND Window() const { return window_.get(); }
    HWND MainWindow() const { return main_; }
    HICON Icon() const { return icon_.get(); }

    // The main window: the task-bar button's commands reach it, and it sees every queued
    // message first (returning true when it took the message).
    void SetMainWindow(HWND main, std::function<bool(const MSG&)> preTranslate);

    // Shows the task-bar button.
    void ShowButton();
    // Minimizes to the task-bar button, hiding the main window, and back.
    void Minimize();
    void Restore();

    // Asks for the quit. From now on the program's dialogs close at once.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Windows is ending the session: quit without closing the main window; work that runs stops
    // at its next step.
    void EndSession();
    bool SessionEnding() const { return sessionEnding_; }

    // From any thread: what the work waits for may have come about.
    void Wake() const noexcept { SetEvent(wake_.get()); }
    HANDLE WakeEvent() const { return wake_.get(); }

    // The work the user waits for, while it runs (null otherwise).
    void SetWork(Work* work) { work_ = work; }
    Work* CurrentWork() const { return work_; }
    // Closes the main window once the handler under way has ended and its error, if any, has
    // been shown; at once when none runs.
    void CloseAfterHandler();
    // Whether the program's windows take the message: always, but while work runs, where its
    // filter decides. Every message passes it, queued or sent.
    bool Admit(const MSG& message);

    // The quit request came out of the queue while work ran: the loop ends once it has.
    void TakeQuit() { quitTaken_ = true; }
    bool QuitTaken() const { return quitTaken_; }
    // The message loop; returns the exit code once the quit request is taken.
    int Run();
    // One queued message: the filter, the main window's look, then translation and dispatch.
    void ProcessMessage(MSG& message);

    // Runs a handler of the program's windows. An error that escapes it ends it and goes to the
    // general error display. One that escapes a handler of a message sent while another handler
    // runs cannot end that one, nor be shown in the middle of it: it is shown when that one ends.
    template <class Handler> void Guarded(Handler&& handler) noexcept;
    // Runs before the general error display shows an error of a handler.
    void SetBeforeErrorDisplay(std::function<void()> before);
    // The general error display for an error of a handler.
    void ShowHandlerError(const std::exception_ptr& error) noexcept;
    // The general error display: `message` (8-bit text) in a message box of the application.
    // Skipped while a quit is pending. Never throws.
    void ShowGeneralError(std::string_view message) noexcept;

    bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    bool Handle(UINT message, WPARAM wParam, LRESULT& result);
    void ActivateMainWindow();

    UniqueIcon icon_;
    UniqueEvent wake_;
    // Declared after the icon it shows, so destroyed before it.
    ObjectWindow window_;
    HWND main_ = nullptr;
    std::function<bool(const MSG&)> preTranslate_;
    std::function<void()> beforeErrorDisplay_;
    bool handlerRunning_ = false;
    bool showingError_ = false;
    bool closeAfterHandler_ = false;
    std::exception_ptr deferredError_;
    Work* work_ = nullptr;
    bool mainHidden_ = false;
    bool terminated_ = false;
    bool sessionEnding_ = false;
    bool quitTaken_ = false;
};

template <class Handler> void Application::Guarded(Handler&& handler) noexcept {
    if (handlerRunning_) {
        try {
            handler();
        } catch (...) {
            if (!deferredError_)
                deferredError_ = std::current_exception();
        }
        return;
    }
    handlerRunning_ = true;
    std::exception_ptr error;
    try {
        handler();
    } catch (...) {
        error = std::current_exception();
    }
    handlerRunning_ = false;
    if (const std::exception_ptr deferred = std::exchange(deferredError_, nullptr); !error)
        error = deferred;
    if (error)
        ShowHandlerError(error);
    // Not for a handler that the error display runs: its error comes first.
    if (!showingError_ && std::exchange(closeAfterHandler_, false))
        CloseAfterHandler();
}

} // namespace kelvor::win32

#pragma once

// The application: the window that carries the task-bar button, the message loop, and the
// state that outlives a single handler (a pending quit, a stop asked for while work runs).

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

// What the user or the system asked of work the user waits for while it ran. Later ones weigh
// more. Esc stops it; a close stops it and closes the window; Windows asking whether the session
// may end stops it and waits for the answer; a session that ends stops it and signs off.
enum class WorkStop { None, Stop, Close, EndSession, SessionEnded };

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
    // Windows is ending the session: quit without closing the main window; work that runs stops.
    void EndSession();
    bool SessionEnding() const { return stop_ == WorkStop::SessionEnded; }

    // The work the user waits for, while it runs (null otherwise).
    void SetWork(Work* work) { work_ = work; }
    Work* CurrentWork() const { return work_; }
    // The one owner of the stop: kept until it has taken effect, after the work and whatever
    // error ended it has been shown.
    void RequestStop(WorkStop stop);
    WorkStop StopRequested() const { return stop_; }
    void ClearStop() { stop_ = WorkStop::None; }
    // Runs, once a handler has ended, while a stop is pending and no work runs.
    void SetAfterWork(std::function<void()> afterWork);
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
    // Declared after the icon it shows, so destroyed before it.
    ObjectWindow window_;
    HWND main_ = nullptr;
    std::function<bool(const MSG&)> preTranslate_;
    std::function<void()> beforeErrorDisplay_;
    std::function<void()> afterWork_;
    bool handlerRunning_ = false;
    std::exception_ptr deferredError_;
    Work* work_ = nullptr;
    WorkStop stop_ = WorkStop::None;
    bool mainHidden_ = false;
    bool terminated_ = false;
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
    if (afterWork_ && !work_ && stop_ != WorkStop::None) {
        try {
            afterWork_();
        } catch (...) {
            // It closes or ends the program; nothing is left to tell.
        }
    }
}

} // namespace kelvor::win32

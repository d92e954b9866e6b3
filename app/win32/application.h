#pragma once

// The application: the window that carries the task-bar button, the message loop, and the
// state that outlives a single handler (a pending quit, an ending Windows session).

#include "app/win32/unique_handle.h"
#include "app/win32/window_class.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace kelvor::win32 {

// The task-bar button's text and the general error display's caption.
inline constexpr wchar_t ApplicationTitle[] = L"Kelvor";

class Application final {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HWND Window() const { return window_.get(); }
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
    // Windows is ending the session: quit without closing the main window.
    void EndSession();
    bool SessionEnding() const { return sessionEnding_; }

    // Work that waits for the user to pause: the loop runs it while it is pending, once no
    // input has come for a moment, or at once when another thread or program sends a message,
    // which may look at the window.
    void SetIdleWork(std::function<bool()> pending, std::function<void()> run);

    // The message loop; returns the exit code once the quit request is taken.
    int Run();
    // One queued message: the main window's look first, then translation and dispatch.
    void ProcessMessage(MSG& message);
    // Runs the idle work when it is pending and due, waiting for it as long as nothing else
    // is to be handled.
    void RunIdleWorkWhenDue();

    // The general error display: `message` (8-bit text) in a message box of the application.
    // Skipped while a quit is pending. Never throws.
    void ShowGeneralError(std::string_view message) noexcept;

    bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void ActivateMainWindow();

    UniqueIcon icon_;
    // Declared after the icon it shows, so destroyed before it.
    ObjectWindow window_;
    HWND main_ = nullptr;
    std::function<bool(const MSG&)> preTranslate_;
    std::function<bool()> idlePending_;
    std::function<void()> idleRun_;
    ULONGLONG lastInput_ = 0;
    bool mainHidden_ = false;
    bool terminated_ = false;
    bool sessionEnding_ = false;
};

} // namespace kelvor::win32

#pragma once

// The real main window in the test process: the application, the window with its controls
// and a scripted mailbox, a program folder with kelvor.prm and a gateway tree. Messages are
// pumped through the application as its own loop would.

#include "app/win32/application.h"
#include "app/win32/main_window.h"
#include "support/memory_controls.h"
#include "support/program_folder.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace kelvor::testing_support {

class ShellHarness {
public:
    ShellHarness() {
        folder.MakeGatewayTree();
        folder.WriteConfiguration("kelvor", "mail");
        mailbox.messages = {
            {u"First subject", u"Ann", u"Text one\r\nline two", {}},
            {u"Second subject", u"Bob", u"Text two", {}},
            {u"Third subject", u"Cy", u"Text three", {}},
        };
    }
    ShellHarness(const ShellHarness&) = delete;
    ShellHarness& operator=(const ShellHarness&) = delete;
    ~ShellHarness() {
        window.reset();
        application.reset();
        Pump(); // takes a pending quit, which would otherwise reach the next test
    }

    // Builds the window, hidden.
    win32::MainWindow& Build(const std::string& commandLine = "kelvor.exe") {
        application = std::make_unique<win32::Application>();
        window = std::make_unique<win32::MainWindow>(
            *application, mailbox, win32::ProcessInfo{folder.ExecutablePath(), commandLine});
        return *window;
    }

    // Builds and shows the window, which runs the start-up sequence.
    win32::MainWindow& Start(const std::string& commandLine = "kelvor.exe") {
        Build(commandLine);
        window->Show(SW_SHOWNORMAL);
        Pump();
        return *window;
    }

    HWND Control(win32::ControlId id) const { return window->Control(id); }

    // Runs what is queued through the application's message handling; true once the quit
    // request came out of the queue (then and on every later call).
    bool Pump(std::chrono::milliseconds settle = std::chrono::milliseconds(50)) {
        const auto end = std::chrono::steady_clock::now() + settle;
        do {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit_ = true;
                    continue;
                }
                if (application)
                    application->ProcessMessage(message);
                else
                    DispatchMessageW(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (std::chrono::steady_clock::now() < end);
        // Work that ran took the quit request out of the queue for the application.
        return quit_ || (application && application->QuitTaken());
    }

    // Pumps until `condition` holds; false when it did not within the time.
    bool PumpUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Pump(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Posts a message to a window and pumps it through.
    void Post(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        PostMessageW(target, message, wParam, lParam);
        Pump();
    }

    void PressKey(HWND target, WPARAM key) {
        Post(target, WM_KEYDOWN, key, 1);
        Post(target, WM_KEYUP, key, 0xC0000001);
    }
    // Alt with a character key, as TranslateMessage turns it into WM_SYSCHAR.
    void PressAltKey(HWND target, wchar_t character) {
        Post(target, WM_SYSCHAR, character, 0x20000001);
    }

    int LogCount(const std::string& entry) const {
        int count = 0;
        for (const auto& line : mailbox.log)
            count += line == entry;
        return count;
    }

    ProgramFolder folder;
    ScriptedMailbox mailbox;
    std::unique_ptr<win32::Application> application;
    std::unique_ptr<win32::MainWindow> window;

private:
    bool quit_ = false;
};

} // namespace kelvor::testing_support

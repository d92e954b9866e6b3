#pragma once

// A program started from another one, for a test, a benchmark or the demo, and its windows.

#include <windows.h>

#include <chrono>
#include <string>

namespace kelvor::driver {

using namespace std::chrono_literals;

// `program` in double quotes, then the arguments: a command line as a shell would make it.
std::wstring CommandLineOf(const std::wstring& program, const std::wstring& arguments);

// Waits until a window of kelvor.exe answers and no work the user waits for runs in it (the
// start-up, a Convert): it answers during that work too. False when the time ran out.
bool WaitIdle(HWND window, std::chrono::milliseconds timeout = 20s);

// Ended by force should its owner leave it running.
class ChildProcess {
public:
    // With `quiet`, the program's standard output and error go to NUL.
    ChildProcess(const std::wstring& executable, const std::wstring& commandLine,
                 int showCommand = SW_SHOWNORMAL, bool quiet = false);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once the program has ended; throws when it runs on past the timeout.
    DWORD WaitForExit(std::chrono::milliseconds timeout = 30s) const;

    // A visible top-level window of the program with exactly this caption (and class, when
    // given), waited for; nullptr when none came.
    HWND FindWindowByCaption(const std::wstring& caption, const wchar_t* windowClass = nullptr,
                             std::chrono::milliseconds timeout = 20s) const;
    // The same, shown or hidden, looked for once.
    HWND FindAnyWindow(const std::wstring& caption) const;

private:
    HWND FindOwnWindow(const std::wstring& caption, const wchar_t* windowClass,
                       bool visibleOnly) const;

    PROCESS_INFORMATION info_{};
};

} // namespace kelvor::driver

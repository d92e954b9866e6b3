#include "driver/child_process.h"

#include "app/win32/busy_property.h"
#include "driver/wait.h"

#include <stdexcept>

namespace kelvor::driver {

std::wstring CommandLineOf(const std::wstring& program, const std::wstring& arguments) {
    return L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
}

ChildProcess::ChildProcess(const std::wstring& executable, const std::wstring& commandLine,
                           int showCommand, bool quiet) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (quiet) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          OPEN_EXISTING, 0, nullptr);
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    std::wstring line = commandLine;
    const BOOL started = CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, quiet, 0,
                                        nullptr, nullptr, &startup, &info_);
    const DWORD error = GetLastError();
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        throw std::runtime_error("cannot start the program, error " + std::to_string(error));
    CloseHandle(info_.hThread);
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hProcess);
}

DWORD ChildProcess::WaitForExit(std::chrono::milliseconds timeout) const {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        throw std::runtime_error("the program did not end");
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND ChildProcess::FindWindowByCaption(const std::wstring& caption, const wchar_t* windowClass,
                                       std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = FindOwnWindow(caption, windowClass, true);
            return found != nullptr;
        },
        timeout);
    return found;
}

HWND ChildProcess::FindAnyWindow(const std::wstring& caption) const {
    return FindOwnWindow(caption, nullptr, false);
}

bool WaitIdle(HWND window, std::chrono::milliseconds timeout) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                               static_cast<UINT>(timeout.count()), &result) &&
           WaitFor([&] { return !GetPropW(window, win32::BusyProperty); }, timeout);
}

HWND ChildProcess::FindOwnWindow(const std::wstring& caption, const wchar_t* windowClass,
                                 bool visibleOnly) const {
    HWND window = nullptr;
    // The system compares captions regardless of case: "Kelvor" would find "KELVOR".
    while ((window = FindWindowExW(nullptr, window, windowClass, caption.c_str()))) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (process == Id() && caption == text && (!visibleOnly || IsWindowVisible(window)))
            return window;
    }
    return nullptr;
}

} // namespace kelvor::driver

#pragma once

// Driving another program's windows from a test, the way a user would: start it, find its
// windows, type and click through the system's input queue, and wait for it to end.

#include <windows.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kelvor::testing_support {

using namespace std::chrono_literals;

// Polls `condition` until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = 20s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A program started for a test; ended by force should the test leave it running.
class ChildProcess {
public:
    ChildProcess(const std::wstring& executable, const std::wstring& commandLine,
                 int showCommand = SW_SHOWNORMAL) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
        std::wstring line = commandLine;
        if (!CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info_))
            throw std::runtime_error("cannot start the program, error " +
                                     std::to_string(GetLastError()));
        CloseHandle(info_.hThread);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (Running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hProcess);
    }

    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once the program has ended; throws when it runs on past the timeout.
    DWORD WaitForExit(std::chrono::milliseconds timeout = 30s) const {
        if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0)
            throw std::runtime_error("the program did not end");
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

    // A visible top-level window of the program with exactly this caption (and class, when
    // given).
    HWND FindWindowByCaption(const std::wstring& caption, const wchar_t* windowClass = nullptr,
                             std::chrono::milliseconds timeout = 20s) const {
        HWND found = nullptr;
        WaitFor(
            [&] {
                found = FindOwnWindow(caption, windowClass, true);
                return found != nullptr;
            },
            timeout);
        return found;
    }

    // The same, shown or hidden, looked for once.
    HWND FindAnyWindow(const std::wstring& caption) const {
        return FindOwnWindow(caption, nullptr, false);
    }

    // Returns once the program's thread takes messages again: once a start-up or a handler
    // that runs without a message loop of its own has finished.
    void WaitResponsive(HWND window, std::chrono::milliseconds timeout = 20s) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()),
                            &result);
    }

private:
    HWND FindOwnWindow(const std::wstring& caption, const wchar_t* windowClass,
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

    PROCESS_INFORMATION info_{};
};

// The text of another process's window, asked for with WM_GETTEXT.
inline std::wstring RemoteText(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

// The lines of another process's list box.
inline std::vector<std::wstring> RemoteListItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        item.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

// A window's rectangle in the client coordinates of another window.
inline RECT RectIn(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keys and clicks through the system's input queue, to the foreground window.
inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> strokes) {
    std::vector<INPUT> inputs;
    for (const auto& [key, down] : strokes) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void PressKey(WORD key) {
    SendKeys({{key, true}, {key, false}});
}

inline void PressAltKey(WORD key) {
    SendKeys({{VK_MENU, true}, {key, true}, {key, false}, {VK_MENU, false}});
}

// A left click at a point of the screen. The pointer is there before the button goes down, and
// each event carries the point, so that no motion the display reports in between can move it.
inline void ClickAt(POINT point) {
    INPUT inputs[3]{};
    const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = MulDiv(point.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        inputs[i].mi.dy = MulDiv(point.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[i];
    }
    SendInput(1, inputs, sizeof(INPUT));
    WaitFor(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == point.x && now.y == point.y;
        },
        2s);
    SendInput(2, inputs + 1, sizeof(INPUT));
}

// A left click in the middle of a window.
inline void ClickWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

// Brings another program's window to the front so that typed keys reach it: it is the
// foreground window and its thread has made it active.
inline bool BringToFront(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return WaitFor([&] {
        SetForegroundWindow(window);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread, &info);
        return GetForegroundWindow() == window && info.hwndActive == window &&
               info.hwndFocus != nullptr;
    });
}

} // namespace kelvor::testing_support

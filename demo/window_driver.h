#pragma once

// Finding and pressing kelvor.exe's controls from another process, the way a user's input would
// reach them: for the demo and the benchmarks that drive the real program.

#include <windows.h>

#include <string>
#include <vector>

namespace kelvor::driver {

// The visible top-level window of the process with the given caption, or nullptr.
HWND FindTopWindow(DWORD processId, const std::wstring& caption);

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className);

HWND ButtonWithCaption(HWND parent, const std::wstring& caption);

// The subject list: the upper of the main window's two list boxes.
HWND SubjectList(HWND mainWindow);

int ListCount(HWND list);

std::wstring ListItem(HWND list, int index);

// Makes the window the foreground window, active and with a focused control, so that keys sent
// through the system's input queue reach it.
bool BringToFront(HWND window);

// A key going down (again, when it is held) or up, through the system's input queue.
void SendKey(WORD key, bool down);

// Polls the condition every few milliseconds until it holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() >= end)
            return false;
        Sleep(5);
    }
    return true;
}

// A started process whose handles close with it.
class Process {
public:
    // With quiet set, the process's standard output and error go to NUL.
    Process(const std::wstring& program, const std::wstring& arguments, bool quiet = false);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    // The exit code, or -1 when the process did not end in time.
    long WaitForExit(DWORD milliseconds);

private:
    PROCESS_INFORMATION info_{};
};

std::string Utf8(const std::wstring& text);

} // namespace kelvor::driver

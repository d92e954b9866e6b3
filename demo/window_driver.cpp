#include "demo/window_driver.h"

#include <stdexcept>

namespace kelvor::driver {

namespace {

struct TopSearch {
    DWORD processId;
    const std::wstring* caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TopSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (*search.caption != caption)
        return TRUE;
    search.found = window;
    return FALSE;
}

struct ChildSearch {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, search.className) == 0)
        search.found.push_back(child);
    return TRUE;
}

} // namespace

HWND FindTopWindow(DWORD processId, const std::wstring& caption) {
    TopSearch search{processId, &caption};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
    ChildSearch search{className, {}};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ButtonWithCaption(HWND parent, const std::wstring& caption) {
    for (HWND button : ChildrenOfClass(parent, L"Button")) {
        // Another process's control: GetWindowText would not ask it, WM_GETTEXT does.
        wchar_t text[64] = {};
        SendMessageW(button, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        if (caption == text)
            return button;
    }
    return nullptr;
}

HWND SubjectList(HWND mainWindow) {
    HWND upper = nullptr;
    LONG upperTop = 0;
    for (HWND list : ChildrenOfClass(mainWindow, L"ListBox")) {
        RECT r{};
        GetWindowRect(list, &r);
        if (!upper || r.top < upperTop) {
            upper = list;
            upperTop = r.top;
        }
    }
    return upper;
}

int ListCount(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
}

std::wstring ListItem(HWND list, int index) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return {};
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(lstrlenW(item.c_str())));
    return item;
}

bool BringToFront(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return WaitFor(
        [&] {
            SetForegroundWindow(window);
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(thread, &info);
            return GetForegroundWindow() == window && info.hwndActive == window &&
                   info.hwndFocus != nullptr;
        },
        20000);
}

void SendKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

Process::Process(const std::wstring& program, const std::wstring& arguments, bool quiet) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (quiet) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          OPEN_EXISTING, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                        quiet, 0, nullptr, nullptr, &startup, &info_);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        throw std::runtime_error("cannot start " + Utf8(program));
    CloseHandle(info_.hThread);
}

Process::~Process() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
}

long Process::WaitForExit(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

} // namespace kelvor::driver

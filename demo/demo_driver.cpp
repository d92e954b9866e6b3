// Drives kelvor.exe through the demo the way a user would: waits for the filled window, presses
// Convert, lets the caller take a screenshot, presses Exit and passes on the program's exit code.
//
//   demo_driver <kelvor.exe> <ready-flag> <go-flag> [arguments for kelvor.exe...]
//
// Once Convert has run, the driver creates <ready-flag> and waits (at most 60 s) until
// <go-flag> exists before it presses Exit.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD processId;
    HWND window = nullptr;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM param) {
    auto& f = *reinterpret_cast<Found*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t caption[32] = {};
    GetWindowTextW(window, caption, 32);
    if (owner == f.processId && std::wstring(caption) == L"KELVOR" && IsWindowVisible(window)) {
        f.window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMainWindow(DWORD processId) {
    Found found{processId};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

struct ChildSearch {
    const wchar_t* className;
    std::vector<HWND> windows;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
    auto& s = *reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, s.className) == 0)
        s.windows.push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent, const wchar_t* className) {
    ChildSearch search{className, {}};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND ButtonWithCaption(HWND parent, const std::wstring& caption) {
    for (HWND button : Children(parent, L"Button")) {
        wchar_t text[64] = {};
        SendMessageW(button, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        if (caption == text)
            return button;
    }
    return nullptr;
}

// The subject list is the upper of the two list boxes.
HWND SubjectList(HWND window) {
    HWND best = nullptr;
    LONG bestTop = 0;
    for (HWND list : Children(window, L"ListBox")) {
        RECT r{};
        GetWindowRect(list, &r);
        if (!best || r.top < bestTop) {
            best = list;
            bestTop = r.top;
        }
    }
    return best;
}

void PrintListItems(HWND list) {
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(lstrlenW(item.c_str()));
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, item.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, item.c_str(), -1, utf8.data(), size, nullptr, nullptr);
        std::printf("  %ld: %s\n", static_cast<long>(i), utf8.c_str());
    }
}

bool WaitFor(auto condition, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (condition())
            return true;
        Sleep(100);
    }
    return condition();
}

int Fail(const char* what) {
    std::fprintf(stderr, "demo: %s\n", what);
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return Fail("usage: demo_driver <kelvor.exe> <ready-flag> <go-flag> [arguments...]");
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 4; i < argc; ++i)
        commandLine += L" \"" + std::wstring(argv[i]) + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Fail("cannot start kelvor.exe");
    CloseHandle(process.hThread);
    WaitForInputIdle(process.hProcess, 30000);

    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindMainWindow(process.dwProcessId)) != nullptr; }, 60000))
        return Fail("the KELVOR window did not appear");
    HWND subjects = SubjectList(window);
    if (!subjects || !WaitFor([&] { return SendMessageW(subjects, LB_GETCOUNT, 0, 0) > 0; }, 60000))
        return Fail("no subjects were listed");
    std::printf("Subjects listed by kelvor.exe:\n");
    PrintListItems(subjects);
    std::fflush(stdout);

    HWND convert = ButtonWithCaption(window, L"&Convert");
    if (!convert || !IsWindowEnabled(convert))
        return Fail("the Convert button is not there or not enabled");
    SendMessageW(convert, BM_CLICK, 0, 0);
    std::printf("Convert pressed: every message exported.\n");
    std::fflush(stdout);

    CloseHandle(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor([&] { return GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 60000);

    HWND exitButton = ButtonWithCaption(window, L"&E&xit");
    if (!exitButton)
        return Fail("the Exit button is not there");
    PostMessageW(exitButton, BM_CLICK, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        return Fail("kelvor.exe did not end after Exit");
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    std::printf("Exit pressed: kelvor.exe ended with exit code %lu.\n",
                static_cast<unsigned long>(exitCode));
    return static_cast<int>(exitCode);
}

// Drives kelvor.exe through the demo the way a user would: waits for the filled window, presses
// Convert, lets the caller take a screenshot, presses Exit and passes on the program's exit code.
//
//   demo_driver <kelvor.exe> <ready-flag> <go-flag> [arguments for kelvor.exe...]
//
// Once Convert has run, the driver creates <ready-flag> and waits (at most 60 s) until
// <go-flag> exists before it presses Exit.

#include "app/win32/layout.h"
#include "driver/child_process.h"
#include "driver/narrow_text.h"
#include "driver/remote_window.h"
#include "driver/wait.h"

#include <cstdio>
#include <exception>

using namespace kelvor::driver;
using namespace kelvor::win32;

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "demo: %s\n", what);
    return 2;
}

int RunDemo(int argc, wchar_t** argv) {
    std::wstring arguments;
    for (int i = 4; i < argc; ++i)
        arguments += std::wstring(i > 4 ? L" " : L"") + L"\"" + argv[i] + L"\"";
    ChildProcess kelvor(argv[1], CommandLineOf(argv[1], arguments));

    const HWND window = kelvor.FindWindowByCaption(L"KELVOR", nullptr, 60s);
    if (!window)
        return Fail("the KELVOR window did not appear");
    WaitIdle(window, 60s);
    const auto subjects = RemoteListItems(GetDlgItem(window, SubjectListId));
    if (subjects.empty())
        return Fail("no subjects were listed");
    std::printf("Subjects listed by kelvor.exe:\n");
    for (std::size_t i = 0; i < subjects.size(); ++i)
        std::printf("  %zu: %s\n", i, Utf8(subjects[i]).c_str());

    const HWND convert = GetDlgItem(window, ConvertButtonId);
    if (!convert || !IsWindowEnabled(convert))
        return Fail("the Convert button is not there or not enabled");
    // Sent, not posted: it returns once the whole batch has run.
    SendMessageW(convert, BM_CLICK, 0, 0);
    std::printf("Convert pressed: every message exported.\n");
    std::fflush(stdout);

    CloseHandle(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor([&] { return GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 60s);

    PostMessageW(GetDlgItem(window, ExitButtonId), BM_CLICK, 0, 0);
    try {
        const DWORD exitCode = kelvor.WaitForExit();
        std::printf("Exit pressed: kelvor.exe ended with exit code %lu.\n", exitCode);
        return static_cast<int>(exitCode);
    } catch (const std::exception&) {
        return Fail("kelvor.exe did not end after Exit");
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return Fail("usage: demo_driver <kelvor.exe> <ready-flag> <go-flag> [arguments...]");
    try {
        return RunDemo(argc, argv);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}

// Drives kelvor.exe through the demo the way a user would: waits for the filled window, presses
// Convert, lets the caller take a screenshot, presses Exit and passes on the program's exit code.
//
//   demo_driver <kelvor.exe> <ready-flag> <go-flag> [arguments for kelvor.exe...]
//
// Once Convert has run, the driver creates <ready-flag> and waits (at most 60 s) until
// <go-flag> exists before it presses Exit.

#include "demo/window_driver.h"

#include <cstdio>
#include <exception>

using namespace kelvor::driver;

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "demo: %s\n", what);
    return 2;
}

int RunDemo(int argc, wchar_t** argv) {
    std::wstring arguments;
    for (int i = 4; i < argc; ++i)
        arguments += L" \"" + std::wstring(argv[i]) + L"\"";
    Process kelvor(argv[1], arguments);
    WaitForInputIdle(kelvor.Handle(), 30000);

    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindTopWindow(kelvor.Id(), L"KELVOR")) != nullptr; },
                 60000))
        return Fail("the KELVOR window did not appear");
    HWND subjects = SubjectList(window);
    if (!subjects || !WaitFor([&] { return ListCount(subjects) > 0; }, 60000))
        return Fail("no subjects were listed");
    std::printf("Subjects listed by kelvor.exe:\n");
    for (int i = 0; i < ListCount(subjects); ++i)
        std::printf("  %d: %s\n", i, Utf8(ListItem(subjects, i)).c_str());

    HWND convert = ButtonWithCaption(window, L"&Convert");
    if (!convert || !IsWindowEnabled(convert))
        return Fail("the Convert button is not there or not enabled");
    // Sent, not posted: it returns once the whole batch has run.
    SendMessageW(convert, BM_CLICK, 0, 0);
    std::printf("Convert pressed: every message exported.\n");
    std::fflush(stdout);

    CloseHandle(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor([&] { return GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 60000);

    HWND exitButton = ButtonWithCaption(window, L"&E&xit");
    if (!exitButton)
        return Fail("the Exit button is not there");
    PostMessageW(exitButton, BM_CLICK, 0, 0);
    const long exitCode = kelvor.WaitForExit(30000);
    if (exitCode < 0)
        return Fail("kelvor.exe did not end after Exit");
    std::printf("Exit pressed: kelvor.exe ended with exit code %ld.\n", exitCode);
    return static_cast<int>(exitCode);
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

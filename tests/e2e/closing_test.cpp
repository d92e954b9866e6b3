// The real kelvor.exe under Wine: every way of closing it signs the session off once and ends
// the program with exit code 0; the end of the Windows session ends it without signing off.

#include "app/win32/layout.h"
#include "support/win32_kelvor_run.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvor::testing_support {
namespace {

using win32::ExitButtonId;

const std::string OneMessage = MailboxFile({{"Hello", "Ann", "Text", "Text", {}}});

struct CloseWay {
    const char* name;
    std::function<void(KelvorRun&, HWND)> close;
};

// The window that carries the program's task-bar button.
HWND TaskBarWindow(const KelvorRun& run) {
    return const_cast<KelvorRun&>(run).Process().FindWindowByCaption(L"Kelvor");
}

const CloseWay CloseWays[] = {
    {"Alt+E",
     [](KelvorRun&, HWND window) {
         ASSERT_TRUE(BringToFront(window));
         PressAltKey('E');
     }},
    {"click on Exit",
     [](KelvorRun&, HWND window) {
         ASSERT_TRUE(BringToFront(window));
         ClickWindow(GetDlgItem(window, ExitButtonId));
     }},
    {"Alt+F4",
     [](KelvorRun&, HWND window) {
         ASSERT_TRUE(BringToFront(window));
         PressAltKey(VK_F4);
     }},
    {"close box", [](KelvorRun&, HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }},
    {"system menu",
     [](KelvorRun&, HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"task-bar button",
     [](KelvorRun& run, HWND) {
         const HWND button = TaskBarWindow(run);
         ASSERT_TRUE(button);
         PostMessageW(button, WM_SYSCOMMAND, SC_CLOSE, 0);
     }},
};

TEST(Closing, EveryWaySignsOffOnceAndEndsWithExitCode0) {
    for (const auto& way : CloseWays) {
        SCOPED_TRACE(way.name);
        KelvorRun run(OneMessage);
        run.Start();
        const HWND window = run.MainWindow();
        ASSERT_TRUE(window);
        way.close(run, window);
        try {
            EXPECT_EQ(run.Process().WaitForExit(), 0u);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        EXPECT_EQ(run.CountInLog("SignOff"), 1);
    }
}

TEST(Closing, EndOfTheWindowsSessionEndsWithoutSigningOff) {
    KelvorRun run(OneMessage);
    run.Start();
    const HWND window = run.MainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOn"), 1);
    EXPECT_EQ(run.CountInLog("SignOff"), 0);
}

} // namespace
} // namespace kelvor::testing_support

// The real kelvor.exe under Wine: every way of closing it signs the session off once and ends
// the program with exit code 0.

#include "app/win32/layout.h"
#include "support/win32_kelvor_run.h"

#include <gtest/gtest.h>

namespace kelvor::testing_support {
namespace {

using win32::BitBtn2Id;

const std::string OneMessage = MailboxJson({{"Hello", "Ann", "Text", {}}});

TEST(Closing, AltEPressesExit) {
    KelvorRun run(OneMessage);
    run.Start();
    const HWND window = run.MainWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(BringToFront(window));
    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

TEST(Closing, ClickOnExit) {
    KelvorRun run(OneMessage);
    run.Start();
    const HWND window = run.MainWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(BringToFront(window));
    ClickWindow(GetDlgItem(window, BitBtn2Id));
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

} // namespace
} // namespace kelvor::testing_support

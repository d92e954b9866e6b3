// The main window's keys, sent as queued messages through the application's message handling:
// the tab order, Enter on a focused button, and the buttons' Alt keys.

#include "app/win32/layout.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

// Holds Shift down in this thread's key state for as long as it lives.
class ShiftDown {
public:
    ShiftDown() { Set(0x80); }
    ~ShiftDown() { Set(0); }

private:
    static void Set(BYTE state) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = state;
        keys[VK_LSHIFT] = state;
        SetKeyboardState(keys);
    }
};

std::vector<HWND> TabWalk(ShellHarness& harness, int steps) {
    std::vector<HWND> visited;
    for (int i = 0; i < steps; ++i) {
        harness.PressKey(GetFocus(), VK_TAB);
        visited.push_back(GetFocus());
    }
    return visited;
}

TEST(Keys, TabWalksTheTabOrderSkippingDisabledConvert) {
    ShellHarness harness;
    harness.Start();
    ASSERT_EQ(GetFocus(), harness.Control(UserNameId));
    EXPECT_EQ(TabWalk(harness, 3),
              (std::vector<HWND>{harness.Control(SubjectListId), harness.Control(ExitButtonId),
                                 harness.Control(UserNameId)}));
}

TEST(Keys, TabReachesConvertOnceANameIsTyped) {
    ShellHarness harness;
    harness.Start();
    harness.Post(harness.Control(UserNameId), WM_CHAR, L'x');
    EXPECT_EQ(TabWalk(harness, 4),
              (std::vector<HWND>{harness.Control(ConvertButtonId), harness.Control(SubjectListId),
                                 harness.Control(ExitButtonId), harness.Control(UserNameId)}));
    // Coming back by Tab selects the whole name.
    DWORD start = 1, end = 0;
    SendMessageW(harness.Control(UserNameId), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 1u);
}

TEST(Keys, ShiftTabWalksBackwards) {
    ShellHarness harness;
    harness.Start();
    harness.Post(harness.Control(UserNameId), WM_CHAR, L'x');
    const ShiftDown shift;
    EXPECT_EQ(TabWalk(harness, 4),
              (std::vector<HWND>{harness.Control(ExitButtonId), harness.Control(SubjectListId),
                                 harness.Control(ConvertButtonId), harness.Control(UserNameId)}));
}

TEST(Keys, TabSkipsTheFieldThatHoldsTheCommandLineName) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    ASSERT_EQ(GetFocus(), harness.Control(ConvertButtonId));
    EXPECT_EQ(TabWalk(harness, 3),
              (std::vector<HWND>{harness.Control(SubjectListId), harness.Control(ExitButtonId),
                                 harness.Control(ConvertButtonId)}));
}

TEST(Keys, EnterOnConvertRunsTheBatchOnce) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    harness.PressKey(GetFocus(), VK_RETURN);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API 3.API");
    EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(harness.Pump());
}

TEST(Keys, EnterInTheUserNameFieldPressesNothing) {
    ShellHarness harness;
    harness.Start();
    harness.Post(harness.Control(UserNameId), WM_CHAR, L'x');
    harness.PressKey(harness.Control(UserNameId), VK_RETURN);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "");
    EXPECT_FALSE(harness.Pump());
}

TEST(Keys, EnterOnExitCloses) {
    ShellHarness harness;
    harness.Start();
    SetFocus(harness.Control(ExitButtonId));
    harness.PressKey(harness.Control(ExitButtonId), VK_RETURN);
    EXPECT_TRUE(harness.Pump());
    EXPECT_EQ(harness.LogCount("SignOff"), 1);
}

TEST(Keys, AltCPressesConvertOnlyWhileEnabled) {
    ShellHarness harness;
    harness.Start();
    harness.PressAltKey(harness.Control(UserNameId), L'c');
    EXPECT_EQ(harness.folder.Listing("API_IN"), "");

    harness.Post(harness.Control(UserNameId), WM_CHAR, L'x');
    harness.PressAltKey(harness.Control(UserNameId), L'C');
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API 3.API");
    // The key presses the button without taking the focus from the field.
    EXPECT_EQ(GetFocus(), harness.Control(UserNameId));
}

TEST(Keys, AltEPressesExitAndTheSecondAmpersandGivesNoKey) {
    ShellHarness harness;
    harness.Start();
    harness.PressAltKey(harness.Control(SubjectListId), L'x');
    EXPECT_FALSE(harness.Pump());
    EXPECT_EQ(harness.LogCount("SignOff"), 0);

    harness.PressAltKey(harness.Control(SubjectListId), L'e');
    EXPECT_TRUE(harness.Pump());
    EXPECT_EQ(harness.LogCount("SignOff"), 1);
}

} // namespace
} // namespace kelvor::testing_support

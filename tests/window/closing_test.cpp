// Closing the main window in every way: OnClose signs the session off while it is signed on,
// the quit is asked for, and once it is pending no further dialog shows. Ending the Windows
// session skips OnClose. The start-up's own ways of ending.

#include "app/win32/layout.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvor::testing_support {
namespace {

using namespace win32;

struct CloseWay {
    const char* name;
    std::function<void(ShellHarness&)> close;
};

const CloseWay CloseWays[] = {
    {"close box", [](ShellHarness& h) { h.Post(h.window->Handle(), WM_CLOSE); }},
    {"system menu / Alt+F4",
     [](ShellHarness& h) { h.Post(h.window->Handle(), WM_SYSCOMMAND, SC_CLOSE); }},
    {"Alt+F4 on a control",
     [](ShellHarness& h) { h.Post(h.Control(UserNameId), WM_SYSKEYDOWN, VK_F4, 0x20000001); }},
    {"Exit button", [](ShellHarness& h) { SendMessageW(h.Control(ExitButtonId), BM_CLICK, 0, 0); }},
    {"task-bar button",
     [](ShellHarness& h) { h.Post(h.application->Window(), WM_SYSCOMMAND, SC_CLOSE); }},
};

TEST(Closing, EveryWaySignsOffOnceAndAsksForTheQuit) {
    for (const auto& way : CloseWays) {
        ShellHarness harness;
        harness.Start();
        ASSERT_FALSE(harness.Pump()) << way.name;
        DialogWatch watch;
        way.close(harness);
        EXPECT_TRUE(harness.Pump()) << way.name;
        EXPECT_EQ(harness.LogCount("SignOff"), 1) << way.name;
        EXPECT_TRUE(harness.application->Terminated()) << way.name;
        // The window stays until the program takes the quit request and goes.
        EXPECT_TRUE(IsWindow(harness.window->Handle())) << way.name;
        EXPECT_TRUE(watch.Seen().empty()) << way.name;
    }
}

TEST(Closing, EveryFurtherCloseRunsFormCloseAgain) {
    ShellHarness harness;
    harness.Start();
    harness.Post(harness.window->Handle(), WM_CLOSE);
    harness.Post(harness.window->Handle(), WM_CLOSE);
    // Signed off the first time: the second OnClose finds no session.
    EXPECT_EQ(harness.LogCount("get SessionID"), 3);
    EXPECT_EQ(harness.LogCount("SignOff"), 1);
}

TEST(Closing, OnceTheQuitIsPendingDialogsCloseAtOnce) {
    ShellHarness harness;
    MainWindow& window = harness.Start();
    harness.Post(window.Handle(), WM_CLOSE);
    DialogWatch watch;
    window.ShowErrorDialog("Too late");
    harness.application->ShowGeneralError("Too late");
    EXPECT_TRUE(watch.Seen().empty());
}

TEST(Closing, AFailingSignOffIsShownAndTheProgramStillEnds) {
    ShellHarness harness;
    harness.Start();
    harness.mailbox.faults["SignOff"] = 0;
    DialogWatch watch;
    harness.Post(harness.window->Handle(), WM_CLOSE);
    EXPECT_TRUE(harness.Pump());
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].caption, L"Kelvor");
}

TEST(Closing, EndingTheWindowsSessionSkipsFormClose) {
    ShellHarness harness;
    harness.Start();
    EXPECT_TRUE(SendMessageW(harness.window->Handle(), WM_QUERYENDSESSION, 0, 0));
    SendMessageW(harness.window->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(harness.Pump());
    harness.Post(harness.window->Handle(), WM_CLOSE);
    EXPECT_EQ(harness.LogCount("SignOff"), 0);
    EXPECT_EQ(harness.LogCount("get SessionID"), 1);
}

TEST(Closing, ACancelledSessionEndGoesOn) {
    ShellHarness harness;
    harness.Start();
    SendMessageW(harness.application->Window(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(harness.application->Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(harness.Pump());
    EXPECT_FALSE(harness.application->SessionEnding());
}

// Windows ending the session while the start-up lists the subjects stops the listing; the
// program ends without signing off, also when the end arrived within a mailbox call.
TEST(StartupEnds, TheEndOfTheSessionStopsTheListing) {
    ShellHarness harness;
    int subjects = 0;
    harness.mailbox.onCall = [&](const std::string& op) {
        if (op != "get MsgSubject" || ++subjects != 2)
            return;
        SendMessageW(harness.window->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageW(harness.window->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    };
    harness.Start();
    harness.mailbox.onCall = nullptr;
    EXPECT_TRUE(harness.Pump());
    EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(harness.LogCount("SignOff"), 0);
}

TEST(StartupEnds, AnEmptyMailboxEndsWithoutDialog) {
    ShellHarness harness;
    harness.mailbox.messages.clear();
    DialogWatch watch;
    harness.Start();
    EXPECT_TRUE(harness.Pump());
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_EQ(harness.LogCount("SignOff"), 1);
}

TEST(StartupEnds, AFailedSignOnShowsTheErrorDialogAndEnds) {
    ShellHarness harness;
    harness.mailbox.faults["SignOn"] = 0;
    DialogWatch watch;
    // The lists are drawn behind the dialog.
    bool listsDrawn = false;
    watch.onShow = [&](HWND) {
        listsDrawn = IsWindowVisible(harness.Control(SubjectListId)) &&
                     IsWindowVisible(harness.Control(AttachmentListId));
    };
    harness.Start();
    EXPECT_TRUE(harness.Pump());
    EXPECT_TRUE(listsDrawn);
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].caption, L"Error");
    EXPECT_EQ(watch.Seen()[0].texts,
              std::vector<std::wstring>{L"Unable to establish MAPI session."});
    EXPECT_EQ(harness.LogCount("SignOff"), 0);
}

TEST(StartupEnds, AMissingConfigurationFileShowsTheErrorDialogAndSignsOff) {
    ShellHarness harness;
    std::filesystem::remove(std::filesystem::path(harness.folder.Root()) / "kelvor.prm");
    DialogWatch watch;
    harness.Start();
    EXPECT_TRUE(harness.Pump());
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].texts, std::vector<std::wstring>{L"No configuration file found."});
    EXPECT_EQ(harness.LogCount("SignOff"), 1);
}

} // namespace
} // namespace kelvor::testing_support

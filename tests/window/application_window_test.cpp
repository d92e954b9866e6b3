// The application's own window: it carries the task-bar button with the title "Kelvor" and the
// cog, owns the main window, and takes it along when minimized and restored. The show states.

#include "app/win32/layout.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace kelvor::testing_support {
namespace {

using namespace win32;

std::wstring Caption(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

TEST(ApplicationWindow, CarriesTheTaskBarButtonAndOwnsTheMainWindow) {
    ShellHarness harness;
    const MainWindow& window = harness.Start();
    const HWND application = harness.application->Window();
    EXPECT_EQ(Caption(application), L"Kelvor");
    EXPECT_EQ(Caption(window.Handle()), L"KELVOR");
    EXPECT_TRUE(IsWindowVisible(application));
    EXPECT_EQ(GetWindow(window.Handle(), GW_OWNER), application);
    EXPECT_FALSE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT bounds{};
    GetWindowRect(application, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 0);
    EXPECT_EQ(bounds.bottom - bounds.top, 0);
    for (const HWND each : {application, window.Handle()})
        for (const WPARAM kind : {ICON_BIG, ICON_SMALL})
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(each, WM_GETICON, kind, 0)),
                      harness.application->Icon());
}

TEST(ApplicationWindow, MinimizingTakesTheMainWindowAlongAndRestoringBringsItBack) {
    ShellHarness harness;
    const MainWindow& window = harness.Start();
    harness.Post(window.Handle(), WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(IsIconic(harness.application->Window()));
    EXPECT_FALSE(IsWindowVisible(window.Handle()));

    harness.Post(harness.application->Window(), WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_FALSE(IsIconic(harness.application->Window()));
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_TRUE(harness.PumpUntil([&] { return GetActiveWindow() == window.Handle(); }));
    EXPECT_FALSE(harness.Pump());
}

// The window as the start asked, from its first showing: a minimized start waits on the task-bar
// button, its window never shown, and the start-up runs all the same.
TEST(ShowState, EachStartShowsTheWindowAsAskedFromTheFirst) {
    // The show command; whether the window is shown, maximized, and the button minimized.
    const std::tuple<int, bool, bool, bool> rows[] = {
        {SW_SHOWMAXIMIZED, true, true, false},
        {SW_SHOWMINNOACTIVE, false, false, true},
        {SW_SHOWMINIMIZED, false, false, true},
    };
    for (const auto& [command, shown, maximized, minimized] : rows) {
        SCOPED_TRACE(command);
        ShellHarness harness;
        MainWindow& window = harness.Build();
        bool shownInTheListing = false;
        harness.mailbox.onCall = [&](const std::string& op) {
            if (op == "get MsgSubject")
                shownInTheListing = IsWindowVisible(window.Handle());
        };
        window.Show(command);
        harness.Pump();
        harness.mailbox.onCall = nullptr;
        EXPECT_EQ(shownInTheListing, shown);
        EXPECT_EQ(IsWindowVisible(window.Handle()) != FALSE, shown);
        EXPECT_EQ(IsZoomed(window.Handle()) != FALSE, maximized);
        EXPECT_EQ(IsIconic(harness.application->Window()) != FALSE, minimized);
        EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCOUNT, 0, 0), 3);
    }
}

TEST(ScrollBars, ShowWhenTheContentNoLongerFitsAndScrollIt) {
    ShellHarness harness;
    const MainWindow& window = harness.Start();
    const HWND exit = harness.Control(ExitButtonId);
    const auto style = [&] { return GetWindowLongPtrW(window.Handle(), GWL_STYLE); };
    EXPECT_FALSE(style() & (WS_VSCROLL | WS_HSCROLL));

    SetWindowPos(window.Handle(), nullptr, 0, 0, 300, 250, SWP_NOMOVE | SWP_NOZORDER);
    harness.Pump();
    EXPECT_TRUE(style() & WS_VSCROLL);
    EXPECT_TRUE(style() & WS_HSCROLL);

    harness.Post(window.Handle(), WM_VSCROLL, SB_BOTTOM);
    harness.Post(window.Handle(), WM_HSCROLL, SB_BOTTOM);
    RECT client{};
    GetClientRect(window.Handle(), &client);
    RECT button{};
    GetWindowRect(exit, &button);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.bottom, client.bottom);

    // Large again: the bars go and the controls return to their places.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 701, 604, SWP_NOMOVE | SWP_NOZORDER);
    harness.Pump();
    EXPECT_FALSE(style() & (WS_VSCROLL | WS_HSCROLL));
    RECT edit{};
    GetWindowRect(harness.Control(UserNameId), &edit);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&edit), 2);
    EXPECT_EQ(edit.left, window.Layout().Scale(104));
    EXPECT_EQ(edit.top, window.Layout().Scale(24));
}

} // namespace
} // namespace kelvor::testing_support

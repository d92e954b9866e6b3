// The real kelvor.exe starting: its states with and without a user name, its keys, its show
// states, and the ways a start ends early (an empty mailbox, a failed sign-on, a missing
// configuration file, a MAPI control that is not registered or not licensed).

#include "app/win32/layout.h"
#include "support/e2e_export.h"
#include "support/standin_dll.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvor::testing_support {
namespace {

using namespace win32;

const std::string ThreeMessages = MailboxFile({{"First",
                                                "Ann",
                                                "One\nline",
                                                "One\r\nline",
                                                {{"a.txt", "", "attached"}, {"b", "", "attached"}}},
                                               {"Second", "Bob", "Two", "Two", {}},
                                               {"Third", "Cy", "Three", "Three", {}}});

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style;
}

TEST(Startup, WithoutUserNameTheFieldHasTheFocusAndConvertWaits) {
    KelvorRun run(ThreeMessages);
    run.Start();
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Handle());
    EXPECT_EQ(RemoteListItems(window.Control(SubjectListId)),
              (std::vector<std::wstring>{L"First", L"Second", L"Third"}));
    EXPECT_EQ(window.SelectedSubject(), LB_ERR);
    EXPECT_EQ(window.MemoText(), "One\r\nline");
    EXPECT_EQ(window.AttachmentList().size(), 2u);
    EXPECT_EQ(window.Focus(), window.Control(UserNameId));
    EXPECT_FALSE(window.ConvertEnabled());

    // Tab skips the disabled Convert button; Alt+C does nothing yet.
    ASSERT_TRUE(BringToFront(window.Handle()));
    PressAltKey('C');
    for (const ControlId next : {SubjectListId, ExitButtonId, UserNameId}) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return window.Focus() == window.Control(next); })) << next;
    }
    EXPECT_EQ(run.Folder().Listing("API_IN"), "");

    // A name typed switches Convert on; Alt+C runs it.
    TypeText(L"Zoe");
    EXPECT_TRUE(WaitFor([&] { return window.ConvertEnabled(); }));
    PressAltKey('C');
    EXPECT_TRUE(WaitFor([&] { return run.Folder().Listing("API_IN") == "1.API 2.API 3.API"; }));
    EXPECT_EQ(window.Focus(), window.Control(UserNameId));
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// Every click and key a user could try on the window, but closing it.
void TryEverything(const KelvorWindow& window) {
    SetForegroundWindow(window.Handle());
    window.ClickControl(ConvertButtonId);
    window.ClickControl(UserNameId);
    TypeText(L"xyz");
    PressAltKey('C');
    PressKey(VK_ESCAPE);
}

// Nothing of TryEverything had an effect.
void ExpectNothingHappened(KelvorRun& run, const KelvorWindow& window, const wchar_t* userName) {
    EXPECT_TRUE(run.Process().Running());
    EXPECT_EQ(RemoteText(window.Control(UserNameId)), userName);
    EXPECT_EQ(run.CountInLog("SignOff"), 0);
}

// A logon dialog while the session signs on, then a fetch that handles messages for a while and
// is busy after that: the main window owns the dialog and takes no click or key until the fetch
// has ended, though the dialog enables its owner as it ends; input that waits in the queue
// meanwhile is dropped too. The start-up then completes as usual. The controls are hosted on the
// window before their first property, and closed and unsited at the end.
TEST(Startup, NothingReachesTheWindowWhileTheSessionSignsOnAndFetches) {
    std::string mailbox = ThreeMessages;
    // The fetch stays busy until the test has made all its input.
    mailbox.insert(1, "\"logonDialog\": true, \"fetchPumpMs\": 4000, \"fetchBusyMs\": 120000, "
                      "\"fetchBusyUntil\": \"fetch-done\", ");
    KelvorRun run(mailbox);
    run.Start(L"jsmith");
    const ProgramBox logon(run.Process(), L"Stand-in logon");
    ASSERT_TRUE(logon);
    const KelvorWindow window(run.Process().FindWindowByCaption(L"KELVOR"));
    ASSERT_TRUE(window.Handle());
    EXPECT_EQ(GetWindow(logon.Handle(), GW_OWNER), window.Handle());

    TryEverything(window);
    EXPECT_TRUE(IsWindowVisible(logon.Handle()));
    ASSERT_TRUE(logon.PressOk());
    ASSERT_TRUE(WaitFor([&] { return run.Logged("Fetch pumping"); }));
    TryEverything(window);
    ASSERT_TRUE(WaitFor([&] { return run.Logged("Fetch busy"); }, 60s));
    TryEverything(window);
    run.Mailbox().WriteFile("fetch-done", "");
    // Only the fetch's own end makes the window answer again.
    ASSERT_TRUE(WaitFor([&] { return run.CountInLog("Fetch") == 1; }));
    ASSERT_TRUE(window.Ready());
    EXPECT_EQ(window.Focus(), window.Control(ConvertButtonId));
    // Once Tab has moved the focus, every key and click made before it has been taken.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return window.Focus() == window.Control(SubjectListId); }));
    ExpectNothingHappened(run, window, L"jsmith");
    EXPECT_EQ(RemoteListItems(window.Control(SubjectListId)).size(), 3u);
    EXPECT_TRUE(window.Usable());
    EXPECT_EQ(run.Folder().Listing("API_IN"), "");

    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    const auto log = run.Log();
    const std::vector<std::string> hosted{"GetMiscStatus",
                                          "SetClientSite",
                                          "InitNew",
                                          "GetMiscStatus",
                                          "SetClientSite",
                                          "InitNew",
                                          "put LogonUI true",
                                          "put NewSession true",
                                          "LogonDialog shown",
                                          "LogonDialog closed",
                                          "SignOn",
                                          "get SessionID 7",
                                          "put SessionID 7",
                                          "Fetch pumping",
                                          "Fetch busy",
                                          "Fetch"};
    ASSERT_GE(log.size(), hosted.size() + 4);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + hosted.size()), hosted);
    EXPECT_EQ(
        std::vector<std::string>(log.end() - 4, log.end()),
        (std::vector<std::string>{"Close", "SetClientSite null", "Close", "SetClientSite null"}));
}

// Closing the window while the mailbox fetches takes effect once the fetch has returned: the
// start-up lists nothing, signs off once and the program ends.
TEST(Startup, ClosingWhileTheMailboxFetchesEndsOnceTheFetchReturns) {
    std::string mailbox = ThreeMessages;
    mailbox.insert(1, "\"fetchBusyMs\": 120000, \"fetchBusyUntil\": \"fetch-done\", ");
    KelvorRun run(mailbox);
    run.Start(L"jsmith");
    ASSERT_TRUE(WaitFor([&] { return run.Logged("Fetch busy"); }, 60s));
    const HWND window = run.Process().FindWindowByCaption(L"KELVOR");
    ASSERT_TRUE(window);
    SetForegroundWindow(window);
    PressAltKey(VK_F4);
    PostMessageW(run.Process().FindWindowByCaption(L"Kelvor"), WM_SYSCOMMAND, SC_CLOSE, 0);
    run.Mailbox().WriteFile("fetch-done", "");
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
    EXPECT_FALSE(run.Logged("get MsgSubject"));
    EXPECT_EQ(run.Folder().Listing("API_IN"), "");
}

TEST(Startup, WithUserNameConvertHasTheFocusAndOneEnterRunsIt) {
    KelvorRun run(ThreeMessages);
    run.Start(L"\"Zoe Example\" second-argument");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Handle());
    EXPECT_EQ(RemoteText(window.Control(UserNameId)), L"Zoe Example");
    EXPECT_TRUE(HasStyle(window.Control(UserNameId), ES_READONLY));
    EXPECT_FALSE(HasStyle(window.Control(UserNameId), WS_TABSTOP));
    EXPECT_TRUE(window.ConvertEnabled());
    EXPECT_EQ(window.Focus(), window.Control(ConvertButtonId));

    ASSERT_TRUE(BringToFront(window.Handle()));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return run.Folder().Listing("API_IN") == "1.API 2.API 3.API"; }));
    driver::WaitIdle(window.Handle());
    EXPECT_NE(FileBytes(run.Folder().ApiIn("3.API")).find("TO= kelvor.mail.Zoe Example;"),
              std::string::npos);
    EXPECT_EQ(window.SelectedSubject(), 2);
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

TEST(Startup, AnEmptyMailboxEndsWithoutDialog) {
    KelvorRun run(MailboxFile({}));
    run.Start();
    // Nothing waits for the user: the program ends by itself.
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
    EXPECT_FALSE(run.Logged("get MsgSubject"));
}

TEST(Startup, AFailedSignOnShowsTheErrorDialogAndEnds) {
    KelvorRun run(MailboxFile(
        {{"Hello", "Ann", "Text", "Text", {}}},
        R"([{"op": "SignOn", "hresult": "0x80004005", "description": "No profile."}])"));
    run.Start();
    const ProgramBox box(run.Process(), L"Error");
    ASSERT_TRUE(box);
    EXPECT_EQ(box.Text(), L"Unable to establish MAPI session.");
    ASSERT_TRUE(box.PressOk());
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 0);
}

TEST(Startup, AMissingConfigurationFileShowsTheErrorDialogAndEnds) {
    KelvorRun run(ThreeMessages);
    std::filesystem::remove(std::filesystem::path(run.Folder().Root()) / "kelvor.prm");
    run.Start();
    const ProgramBox box(run.Process(), L"Error");
    ASSERT_TRUE(box);
    EXPECT_EQ(box.Text(), L"No configuration file found.");
    ASSERT_TRUE(box.PressOk());
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

// Takes the stand-in's classes out of the registry for as long as it lives.
class UnregisteredStandin {
public:
    UnregisteredStandin() {
        if (standin_.Unregister() != S_OK)
            throw std::runtime_error("cannot unregister the stand-in");
    }
    ~UnregisteredStandin() { standin_.Register(); }

private:
    StandinDll standin_;
};

TEST(Startup, AnUnregisteredControlEndsWithTheApplicationErrorAndExitCode1) {
    KelvorRun run(ThreeMessages);
    const UnregisteredStandin unregistered;
    run.Start();
    const ProgramBox box(run.Process(), L"Application Error");
    ASSERT_TRUE(box);
    EXPECT_EQ(box.Text(),
              L"EOleSysError: Cannot create the MAPI session control: OLE error 80040154");
    EXPECT_FALSE(run.Process().FindWindowByCaption(L"KELVOR", nullptr, 0ms));
    ASSERT_TRUE(box.PressOk());
    EXPECT_EQ(run.Process().WaitForExit(), 1u);
    EXPECT_TRUE(run.Log().empty());
}

// Where the controls are licensed and their licence is not installed, kelvor.exe built without
// their run-time keys cannot create them; a build with the keys starts as usual. The keys are
// those kelvor_with_test_keys.exe is built with (tests/CMakeLists.txt), each character whole.
TEST(Startup, LicensedControlsNeedTheRunTimeKeysBuiltIn) {
    const StandinLicensing licensing(L"Kelvor test key: \"session\" \\ Łódź",
                                     L"Kelvor test key: messages \\\" 東京 🔑");
    KelvorRun plain(ThreeMessages);
    plain.Start();
    const ProgramBox box(plain.Process(), L"Application Error");
    ASSERT_TRUE(box);
    EXPECT_EQ(box.Text(), L"EOleSysError: Cannot create the MAPI session control: OLE error "
                          L"80040112 (no licence on this computer and no run-time licence key "
                          L"built in)");
    ASSERT_TRUE(box.PressOk());
    EXPECT_EQ(plain.Process().WaitForExit(), 1u);

    KelvorRun keyed(ThreeMessages, KELVOR_WITH_TEST_KEYS_EXE);
    keyed.Start();
    const KelvorWindow window(keyed.MainWindow());
    ASSERT_TRUE(window.Handle());
    EXPECT_EQ(RemoteListItems(window.Control(SubjectListId)),
              (std::vector<std::wstring>{L"First", L"Second", L"Third"}));
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(keyed.Process().WaitForExit(), 0u);
}

TEST(ShowState, AMaximizedStartShowsTheWindowMaximized) {
    KelvorRun run(ThreeMessages);
    run.Start(L"", SW_SHOWMAXIMIZED);
    const HWND window = run.MainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(IsZoomed(window));
    // The task-bar button's window stays out of sight.
    RECT button{};
    GetWindowRect(run.Process().FindWindowByCaption(L"Kelvor"), &button);
    EXPECT_EQ(button.right - button.left, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

TEST(ShowState, AMinimizedStartWaitsOnTheTaskBarButton) {
    KelvorRun run(ThreeMessages);
    run.Start(L"", SW_SHOWMINNOACTIVE);
    const HWND button = run.Process().FindWindowByCaption(L"Kelvor");
    ASSERT_TRUE(button);
    // The start-up runs all the same.
    EXPECT_TRUE(WaitFor([&] { return run.Logged("get MsgNoteText"); }));
    EXPECT_TRUE(WaitFor([&] { return IsIconic(button); }));
    const HWND window = run.Process().FindAnyWindow(L"KELVOR");
    ASSERT_TRUE(window);
    EXPECT_FALSE(IsWindowVisible(window));

    PostMessageW(button, WM_SYSCOMMAND, SC_RESTORE, 0);
    const HWND restored = run.Process().FindWindowByCaption(L"KELVOR");
    ASSERT_TRUE(restored);
    EXPECT_FALSE(IsIconic(restored));
    EXPECT_FALSE(IsIconic(button));
    PostMessageW(restored, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

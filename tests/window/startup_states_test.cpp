// The window after the start-up sequence, the user name field's change handler, and which
// selection changes of the subject list export.

#include "app/win32/layout.h"
#include "support/temp_dir.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

std::wstring Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> items;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
        items.emplace_back(item);
    }
    return items;
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style;
}

TEST(StartupStates, WithoutUserName) {
    ShellHarness harness;
    harness.mailbox.messages[0].attachments = {{u"a.txt", u"C:\\mail\\a.txt"},
                                               {u"b", u"C:\\mail\\b"}};
    // The window takes no input while the session signs on, whichever loop takes it: a key
    // typed meanwhile and taken by the mailbox's own loop does not reach the field.
    const std::set<std::string> signOn{"put LogonUI",   "put NewSession",         "SignOn",
                                       "get SessionID", "put Messages.SessionID", "Fetch"};
    harness.mailbox.onCall = [&](const std::string& op) {
        if (!signOn.contains(op))
            return;
        PostMessageW(harness.Control(UserNameId), WM_CHAR, L'x', 1);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    };
    MainWindow& window = harness.Build();
    window.Show(SW_SHOWNORMAL);
    harness.Pump();
    harness.mailbox.onCall = nullptr;
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    EXPECT_EQ(Items(harness.Control(SubjectListId)),
              (std::vector<std::wstring>{L"First subject", L"Second subject", L"Third subject"}));
    EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(Text(harness.Control(MessageViewId)), L"Text one\r\nline two");
    EXPECT_EQ(Items(harness.Control(AttachmentListId)),
              (std::vector<std::wstring>{L"C:\\mail\\a.txt", L"C:\\mail\\b"}));
    EXPECT_EQ(Text(harness.Control(UserNameId)), L"");
    EXPECT_EQ(GetFocus(), harness.Control(UserNameId));
    EXPECT_FALSE(IsWindowEnabled(harness.Control(ConvertButtonId)));
    EXPECT_FALSE(HasStyle(harness.Control(UserNameId), ES_READONLY));
    EXPECT_TRUE(HasStyle(harness.Control(UserNameId), WS_TABSTOP));
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_FALSE(harness.Pump());
}

TEST(StartupStates, WithUserNameFromTheCommandLine) {
    ShellHarness harness;
    MainWindow& window = harness.Start("kelvor.exe \"Ann Example\" ignored");

    EXPECT_EQ(Text(harness.Control(UserNameId)), L"Ann Example");
    EXPECT_TRUE(HasStyle(harness.Control(UserNameId), ES_READONLY));
    EXPECT_FALSE(HasStyle(harness.Control(UserNameId), WS_TABSTOP));
    EXPECT_TRUE(IsWindowEnabled(harness.Control(ConvertButtonId)));
    EXPECT_EQ(GetFocus(), harness.Control(ConvertButtonId));
    EXPECT_EQ(window.Form().Values().TargetUser, "Ann Example");
}

TEST(StartupStates, RunsOnceWhateverActivatesTheWindowLater) {
    ShellHarness harness;
    const MainWindow& window = harness.Start();
    const HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                       nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SetActiveWindow(window.Handle());
    harness.Pump();
    DestroyWindow(other);
    EXPECT_EQ(harness.LogCount("SignOn"), 1);
    EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCOUNT, 0, 0), 3);
}

TEST(UserNameField, TypingSwitchesConvertOnAndOffAndKeepsTheLastName) {
    ShellHarness harness;
    MainWindow& window = harness.Start();
    const HWND edit = harness.Control(UserNameId);
    const HWND convert = harness.Control(ConvertButtonId);

    harness.Post(edit, WM_CHAR, L'J');
    harness.Post(edit, WM_CHAR, L'o');
    EXPECT_TRUE(IsWindowEnabled(convert));
    EXPECT_EQ(window.Form().Values().TargetUser, "Jo");

    SendMessageW(edit, EM_SETSEL, 0, -1);
    harness.Post(edit, WM_CHAR, VK_BACK);
    EXPECT_EQ(Text(edit), L"");
    EXPECT_FALSE(IsWindowEnabled(convert));
    EXPECT_EQ(window.Form().Values().TargetUser, "Jo");

    harness.Post(edit, WM_CHAR, L'K');
    EXPECT_TRUE(IsWindowEnabled(convert));
    EXPECT_EQ(window.Form().Values().TargetUser, "K");
}

TEST(UserNameField, ChangeHandlerRunsOnlyWhenTheTextChanges) {
    ShellHarness harness;
    harness.Start();
    const HWND edit = harness.Control(UserNameId);
    const HWND convert = harness.Control(ConvertButtonId);
    SetWindowTextW(edit, L"abc");
    ASSERT_TRUE(IsWindowEnabled(convert));

    // Convert is switched off behind the handler's back: only a run of the handler turns it on.
    EnableWindow(convert, FALSE);
    SetWindowTextW(edit, L"abc");
    SendMessageW(GetParent(edit), WM_COMMAND, MAKEWPARAM(UserNameId, EN_CHANGE),
                 reinterpret_cast<LPARAM>(edit));
    harness.Pump();
    EXPECT_FALSE(IsWindowEnabled(convert));
    SetWindowTextW(edit, L"abd");
    EXPECT_TRUE(IsWindowEnabled(convert));
}

// The program setting the text runs the handler within its own call, so that an error in it
// ends the handler that set the text; the user's typing runs it guarded.
TEST(UserNameField, AnErrorOfTheChangeHandlerLeavesTheProgramsSetText) {
    ShellHarness harness;
    harness.Start();
    int runs = 0;
    EditControl field([&] {
        ++runs;
        throw Error("name refused");
    });
    field.Attach(harness.Control(UserNameId));
    try {
        field.SetText("Ann");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "name refused");
    }
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(field.TakeChange()) << "the change was taken by SetText";
}

TEST(SubjectList, UserSelectionExportsAndProgramSelectionDoesNot) {
    ShellHarness harness;
    harness.Start();
    const HWND list = harness.Control(SubjectListId);

    // The program selects: nothing is exported.
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    harness.Pump();
    EXPECT_EQ(harness.folder.Listing("API_IN"), "");

    // The user clicks the first line.
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 2, item.top + 2);
    harness.Post(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    harness.Post(list, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API");
    EXPECT_EQ(Text(harness.Control(MessageViewId)), L"Text one\r\nline two");

    // The user moves the selection down with the keyboard.
    SetFocus(list);
    harness.PressKey(list, VK_DOWN);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API");
    EXPECT_EQ(Text(harness.Control(MessageViewId)), L"Text two");
    EXPECT_NE(test::ReadBytes(harness.folder.ApiIn("2.API")).find("SUBJECT= Second subject;"),
              std::string::npos);
}

TEST(SubjectList, SelectionExportsEvenWithoutUserName) {
    ShellHarness harness;
    harness.Start();
    const HWND list = harness.Control(SubjectListId);
    SetFocus(list);
    harness.PressKey(list, VK_DOWN);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API");
    EXPECT_NE(test::ReadBytes(harness.folder.ApiIn("1.API")).find("TO= kelvor.mail.;"),
              std::string::npos);
}

} // namespace
} // namespace kelvor::testing_support

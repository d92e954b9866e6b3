// What the user and Windows can do while work runs: what the work decides for each message, and
// each stop as a user sees it through the real window, as its work ends and in the next.

#include "app/win32/layout.h"
#include "app/win32/window_text.h"
#include "app/win32/work_input.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_import_patch.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

namespace kelvor::testing_support {
namespace {

using namespace win32;

// The filter's decision for each message during each kind of work, and the answer to Windows'
// question whether the session may end with the reason it shows the user.
TEST(WorkInput, EachMessageDuringEachKindOfWork) {
    using enum WindowRole;
    using enum WorkKind;
    using enum WorkStop;
    // The message and its wParam, the window it is for, the work, whether within a call into the
    // mailbox; whether the program's windows take it, and the stop it asks for.
    const std::tuple<UINT, WPARAM, WindowRole, WorkKind, bool, bool, WorkStop> rows[] = {
        {WM_KEYDOWN, 'A', Other, Convert, false, true, None},
        {WM_PAINT, 0, Main, Convert, true, true, None},
        {WM_QUIT, 0, Other, Export, false, false, Close},
        // Keys, the input method's and clicks do nothing.
        {WM_KEYDOWN, VK_RETURN, Control, Convert, false, false, None},
        {WM_IME_COMPOSITION, 0, Control, Convert, false, false, None},
        {WM_IME_CHAR, L'x', Main, Export, false, false, None},
        {WM_IME_KEYDOWN, 'X', Control, Startup, true, false, None},
        {WM_LBUTTONDOWN, MK_LBUTTON, Control, Convert, false, false, None},
        {WM_KEYDOWN, VK_ESCAPE, Control, Export, false, false, Stop},
        {WM_KEYDOWN, VK_ESCAPE, Control, Startup, false, false, None},
        {WM_SYSKEYDOWN, VK_F4, Control, Startup, true, false, Close},
        {WM_SYSKEYDOWN, 'E', Control, Convert, false, false, Close},
        {WM_SYSCHAR, L'e', Main, Startup, true, false, Close},
        {WM_SYSCHAR, L'c', Control, Convert, false, false, None},
        // Alt+Space opens the window menu; the Exit button takes its own clicks.
        {WM_SYSKEYDOWN, VK_SPACE, Control, Convert, false, true, None},
        {WM_SYSCHAR, L' ', Main, Startup, true, false, None},
        {WM_LBUTTONDOWN, MK_LBUTTON, ExitButton, Convert, false, true, None},
        {WM_NCLBUTTONDOWN, HTCAPTION, Main, Convert, false, true, None},
        {WM_NCLBUTTONDOWN, HTCAPTION, Main, Startup, true, false, None},
        {WM_NCLBUTTONDOWN, HTVSCROLL, Control, Convert, false, false, None},
        {WM_NCLBUTTONDOWN, HTCLOSE, Main, Startup, true, false, Close},
        {WM_SYSCOMMAND, SC_MINIMIZE, Main, Convert, false, true, None},
        {WM_SYSCOMMAND, SC_MINIMIZE, Main, Startup, true, false, None},
        {WM_SYSCOMMAND, SC_RESTORE, Application, Export, false, true, None},
        {WM_SYSCOMMAND, SC_CLOSE, Application, Convert, true, false, Close},
        {WM_CLOSE, 0, Main, Export, false, false, Close},
        // A button pressed or a subject selected from outside starts nothing.
        {WM_COMMAND, MAKEWPARAM(ConvertButtonId, BN_CLICKED), Main, Convert, false, false, None},
        {WM_COMMAND, MAKEWPARAM(SubjectListId, LBN_SELCHANGE), Main, Export, false, false, None},
        {WM_COMMAND, MAKEWPARAM(UserNameId, EN_CHANGE), Main, Convert, false, true, None},
        {WM_COMMAND, MAKEWPARAM(ExitButtonId, BN_CLICKED), Main, Startup, true, false, Close},
    };
    for (const auto& row : rows) {
        const auto& [message, wParam, role, kind, inMailboxCall, admit, stop] = row;
        const WorkInput input =
            DecideWorkInput({nullptr, message, wParam, 0, 0, {}}, role, kind, inMailboxCall);
        EXPECT_EQ(std::pair(input.admit, input.stop), std::pair(admit, stop)) << &row - rows;
    }
    const std::wstring converting = L"Converting: 1,418 of 21,500 messages exported";
    const std::tuple<WorkKind, UINT, bool, std::wstring> questions[] = {
        {Startup, ENDSESSION_LOGOFF, true, L""},
        {Export, 0, false, L"Exporting the selected message"},
        {Convert, ENDSESSION_LOGOFF, false, converting},
        {Convert, ENDSESSION_CRITICAL, true, converting},
    };
    for (const auto& [kind, flags, mayEnd, reason] : questions) {
        EXPECT_EQ(SessionMayEnd(kind, flags), mayEnd) << static_cast<int>(kind) << " " << flags;
        EXPECT_EQ(ShutdownReason(kind, 1418, 21500), reason);
    }
    // Thousands grouped, and nothing before a number of three, six or nine digits.
    const std::tuple<int, int, std::wstring> counts[] = {
        {418, 1500, L"418 of 1,500"},
        {418000, 2000000, L"418,000 of 2,000,000"},
        {418000000, 2147483647, L"418,000,000 of 2,147,483,647"},
    };
    for (const auto& [done, total, text] : counts)
        EXPECT_EQ(ShutdownReason(Convert, done, total),
                  L"Converting: " + text + L" messages exported");
}

// What Windows would show the user as the reason to wait for the work, and how often one was given.
std::wstring reasonShown;
int reasonsGiven = 0;
BOOL WINAPI ShowReason(HWND, LPCWSTR reason) {
    reasonShown = reason;
    ++reasonsGiven;
    return TRUE;
}
BOOL WINAPI RemoveReason(HWND) {
    reasonShown.clear();
    return TRUE;
}

// The user or Windows acts within a call into the mailbox while an attachment is read: that of the
// first message of a Convert, or the second subject's in the export of a subject selected after
// another's. The question is refused with the work's reason, gone with the work; the end of the
// session ends the program with no sign-off, a close with one after the work and its error; where
// the program goes on, the last subject exported whole is shown, none when there is none, and the
// Convert that follows meets no stop.
TEST(StopsAUserSees, DuringAConvertOrTheExportOfASelectedSubject) {
    const auto esc = [](ShellHarness& h) { h.PressKey(h.Control(SubjectListId), VK_ESCAPE); };
    // Windows asks whether the session may end, then ends it or not; nothing follows when negative.
    const auto session = [](int end) {
        return [end](ShellHarness& h) {
            EXPECT_FALSE(SendMessageW(h.window->Handle(), WM_QUERYENDSESSION, 0, 0));
            EXPECT_EQ(reasonShown, L"Converting: 0 of 3 messages exported");
            if (end >= 0)
                SendMessageW(h.window->Handle(), WM_ENDSESSION, static_cast<WPARAM>(end), 0);
        };
    };
    const auto endInADialog = [](ShellHarness& h) {
        PostMessageW(h.window->Handle(), WM_ENDSESSION, TRUE, 0);
        h.window->ShowErrorDialog("Shown by the work");
    };
    // The frame works meanwhile; the read then fails, and the close follows the error.
    const auto exitThenError = [](ShellHarness& h) {
        PostMessageW(h.window->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        h.Post(h.Control(ExitButtonId), BM_CLICK);
        EXPECT_TRUE(IsZoomed(h.window->Handle()));
        h.mailbox.faults["get AttachmentName"] = 0;
    };
    // Taken as after a call into the mailbox: at the work's next step.
    const auto quit = [](ShellHarness& h) {
        PostQuitMessage(0);
        h.window->SetInputEnabled(false);
        h.window->SetInputEnabled(true);
    };
    const char* all = "1.API 2.API 3.API 1.0 1.MSG 2.0 2.MSG 3.MSG";
    const char* three = "1.API 2.API 3.API";
    // What is done, and whether in an export rather than a Convert; then the files in API_IN and
    // ATT_IN, the sign-off, the subject whose message the views show (-1: none; where the program
    // goes on, the one selected; where it ends after a stop, the one the work was reading), and
    // API_IN after the Convert that follows (none when the program ends).
    const std::tuple<std::function<void(ShellHarness&)>, bool, const char*, const char*, int,
                     const char*>
        rows[] = {
            {session(-1), false, all, "", 2, "1.API 2.API 3.API 4.API 5.API 6.API"},
            {session(FALSE), false, all, "", 2, "1.API 2.API 3.API 4.API 5.API 6.API"},
            {session(TRUE), false, " ", "", 0, ""},
            {endInADialog, false, " ", "", 0, ""},
            {esc, false, " ", "", -1, three},
            {esc, true, "1.API 1.MSG", "", 2, "1.API 2.API 3.API 4.API"},
            {exitThenError, false, " ", "after the error", -1, ""},
            {quit, false, " ", "with no error", 0, ""},
        };
    const ImportPatch show(&ShutdownBlockReasonCreate, &ShowReason);
    const ImportPatch remove(&ShutdownBlockReasonDestroy, &RemoveReason);
    for (const auto& row : rows) {
        const auto& [during, anExport, files, signOff, selected, after] = row;
        SCOPED_TRACE(&row - rows);
        ShellHarness h;
        for (const int i : {0, 1})
            h.mailbox.messages[static_cast<std::size_t>(i)].attachments = {
                {u"a.bin", Widen(h.folder.Attachment("a.bin", "A"))}};
        reasonsGiven = 0;
        h.Start("kelvor.exe Ann");
        EXPECT_EQ(reasonsGiven, 0) << "the start-up writes nothing to wait for";
        bool acted = false;
        std::string signedOff;
        DialogWatch watch;
        // A message the window handles while an error is shown.
        watch.onShow = [&](HWND) { SendMessageW(h.window->Handle(), WM_NULL, 0, 0); };
        h.mailbox.onCall = [&](const std::string& op) {
            if (op == "get AttachmentPathName" && !std::exchange(acted, true)) {
                // Set as the work begins: Windows has the reason before it asks.
                EXPECT_EQ(reasonShown, anExport ? L"Exporting the selected message"
                                                : L"Converting: 0 of 3 messages exported");
                during(h);
            }
            if (op == "SignOff")
                signedOff += watch.Seen().empty()                   ? "with no error"
                             : IsWindow(watch.Seen().back().window) ? "with the error up"
                                                                    : "after the error";
        };
        for (const int subject : anExport ? std::vector{2, 1} : std::vector<int>{}) {
            SendMessageW(h.Control(SubjectListId), LB_SETCURSEL, subject, 0);
            SendMessageW(h.window->Handle(), WM_COMMAND, MAKEWPARAM(SubjectListId, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(h.Control(SubjectListId)));
        }
        if (!anExport)
            SendMessageW(h.Control(ConvertButtonId), BM_CLICK, 0, 0);
        EXPECT_EQ(h.folder.Listing("API_IN") + " " + h.folder.Listing("ATT_IN"), files);
        EXPECT_EQ(reasonShown, L"");
        EXPECT_EQ(signedOff, signOff);
        EXPECT_EQ(h.Pump(), !*after);
        const std::size_t shown = static_cast<std::size_t>(std::max(selected, 0));
        const std::u16string text = selected < 0 ? u"" : h.mailbox.messages[shown].text;
        EXPECT_EQ(WindowText(h.Control(MessageViewId)), std::wstring(text.begin(), text.end()));
        EXPECT_EQ(
            SendMessageW(h.Control(AttachmentListId), LB_GETCOUNT, 0, 0),
            selected < 0 ? 0 : static_cast<LRESULT>(h.mailbox.messages[shown].attachments.size()));
        if (!*after)
            continue;
        EXPECT_EQ(SendMessageW(h.Control(SubjectListId), LB_GETCURSEL, 0, 0), selected);
        EXPECT_TRUE(SendMessageW(h.application->Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF))
            << "idle, the program lets the session end";
        SendMessageW(h.Control(ConvertButtonId), BM_CLICK, 0, 0);
        EXPECT_EQ(h.folder.Listing("API_IN"), after);
    }
}

} // namespace
} // namespace kelvor::testing_support

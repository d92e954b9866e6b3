// What the user and Windows can do while work runs: the filter's decision for each message during
// each kind of work, what each message of the session's end does, and each stop as a user sees it
// through the real window, as its work ends and in the work that follows.

#include "app/win32/busy_work.h"
#include "app/win32/layout.h"
#include "app/win32/window_text.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_import_patch.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace kelvor::testing_support {
namespace {

using namespace win32;

TEST(WorkInput, EachMessageDuringEachKindOfWork) {
    using enum WindowRole;
    using enum WorkKind;
    using enum WorkStop;
    struct Row {
        UINT message;
        WPARAM wParam;
        WindowRole role;
        WorkKind kind;
        bool inMailboxCall, admit;
        WorkStop stop;
    };
    const Row rows[] = {
        {WM_KEYDOWN, 'A', Other, Convert, false, true, None},
        {WM_PAINT, 0, Main, Convert, true, true, None},
        {WM_QUIT, 0, Other, Export, false, false, Close},
        {WM_KEYDOWN, VK_ESCAPE, Control, Convert, false, false, Stop},
        {WM_KEYDOWN, VK_ESCAPE, Main, Export, false, false, Stop},
        {WM_KEYDOWN, VK_ESCAPE, Control, Startup, false, false, None},
        {WM_SYSKEYDOWN, VK_F4, Control, Startup, true, false, Close},
        {WM_SYSKEYDOWN, 'E', Control, Convert, false, false, Close},
        {WM_SYSCHAR, L'e', Main, Startup, true, false, Close},
        {WM_SYSCHAR, L'c', Control, Convert, false, false, None},
        // Alt+Space opens the window menu; the Exit button takes its own clicks.
        {WM_SYSKEYDOWN, VK_SPACE, Control, Convert, false, true, None},
        {WM_SYSCHAR, L' ', Main, Startup, true, false, None},
        {WM_LBUTTONDOWN, MK_LBUTTON, ExitButton, Convert, false, true, None},
        {WM_LBUTTONUP, 0, ExitButton, Startup, true, true, None},
        {WM_NCLBUTTONDOWN, HTCAPTION, Main, Convert, false, true, None},
        {WM_NCLBUTTONDBLCLK, HTCAPTION, Main, Export, false, true, None},
        {WM_NCLBUTTONDOWN, HTSYSMENU, Main, Convert, false, true, None},
        {WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, Main, Startup, false, true, None},
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
    for (const Row& row : rows) {
        const MSG message{nullptr, row.message, row.wParam, 0, 0, {}};
        const WorkInput input = DecideWorkInput(message, row.role, row.kind, row.inMailboxCall);
        EXPECT_EQ(input.admit, row.admit) << "row " << &row - rows;
        EXPECT_EQ(input.stop, row.stop) << "row " << &row - rows;
    }
    // Keys, typing, the input method's, clicks: none of them does anything during any work.
    for (const UINT message :
         {WM_KEYDOWN, WM_CHAR, WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION,
          WM_IME_CHAR, WM_IME_KEYDOWN, WM_IME_KEYUP, WM_LBUTTONDOWN}) {
        for (const WorkKind kind : {Startup, Export, Convert}) {
            const WorkInput input = DecideWorkInput(MSG{nullptr, message, 'X', 0, 0, {}}, Control,
                                                    kind, kind == Startup);
            EXPECT_FALSE(input.admit || input.stop != None) << message;
        }
    }
}

// The reason Windows would show the user.
std::wstring shownReason;
BOOL WINAPI RecordReason(HWND, LPCWSTR reason) {
    shownReason = reason;
    return TRUE;
}
BOOL WINAPI RecordNoReason(HWND) {
    shownReason = L"none";
    return TRUE;
}

// Windows asks whether the session may end, then ends it or not, during each kind of work, within
// a call into the mailbox and a dialog of the work. The question stops nothing; work that writes
// the gateway refuses it unless the end is critical, with its reason; a cancelled end changes
// nothing; the end stops the work and ends the program without signing off, wherever it arrives.
TEST(SessionEnd, EachMessageDuringEachKindOfWork) {
    enum class Where { Steps, MailboxCall, Dialog };
    struct Row {
        WorkKind kind;
        Where where;
        UINT flags;
        // WM_ENDSESSION's wParam; none follows the question when negative.
        int end;
        LRESULT answer;
        // Shown when the question comes.
        std::wstring reason;
    };
    const std::wstring converting = L"Converting: 418 of 1,500 messages exported";
    const Row rows[] = {
        {WorkKind::Startup, Where::Steps, 0, FALSE, TRUE, {}},
        {WorkKind::Startup, Where::MailboxCall, 0, TRUE, TRUE, {}},
        {WorkKind::Export, Where::Steps, ENDSESSION_LOGOFF, -1, FALSE,
         L"Exporting the selected message"},
        {WorkKind::Convert, Where::Steps, 0, -1, FALSE, converting},
        {WorkKind::Convert, Where::MailboxCall, 0, FALSE, FALSE, converting},
        {WorkKind::Convert, Where::Steps, ENDSESSION_CRITICAL, TRUE, TRUE, converting},
        {WorkKind::Convert, Where::Dialog, ENDSESSION_LOGOFF, TRUE, FALSE, converting},
    };
    const ImportPatch create(&ShutdownBlockReasonCreate, &RecordReason);
    const ImportPatch destroy(&ShutdownBlockReasonDestroy, &RecordNoReason);
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        ShellHarness h;
        h.Start();
        shownReason.clear();
        const HWND main = h.window->Handle();
        LRESULT answer = -1;
        std::wstring reason;
        bool stopped = false;
        const auto session = [&] {
            answer = SendMessageW(main, WM_QUERYENDSESSION, 0, static_cast<LPARAM>(row.flags));
            reason = shownReason;
            if (row.end >= 0)
                SendMessageW(main, WM_ENDSESSION, static_cast<WPARAM>(row.end),
                             static_cast<LPARAM>(row.flags));
        };
        h.application->Guarded([&] {
            std::unique_ptr<BusyWork> work;
            if (row.kind == WorkKind::Convert) {
                auto batch = h.window->BeginBatch(1500);
                batch->Progress(418);
                work = std::move(batch);
            } else {
                work = h.window->BeginWork(row.kind);
            }
            h.window->SetInputEnabled(row.where != Where::MailboxCall);
            DialogWatch watch;
            watch.onShow = [&](HWND) { session(); };
            if (row.where == Where::Dialog)
                h.window->ShowErrorDialog("Shown by the work");
            else
                session();
            h.window->SetInputEnabled(true);
            try {
                work->Step();
            } catch (const WorkStopped&) {
                stopped = true;
            }
        });
        const bool ends = row.end == TRUE;
        EXPECT_EQ(answer, row.answer);
        EXPECT_EQ(reason, row.reason);
        // The reason goes with the work.
        EXPECT_EQ(shownReason, row.reason.empty() ? L"" : L"none");
        EXPECT_EQ(stopped, ends);
        EXPECT_EQ(h.Pump(), ends);
        // Closed once the session has ended, it does not sign off either.
        SendMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(h.LogCount("SignOff"), ends ? 0 : 1);
    }
}

// Each stop, or what is none, as a user sees it in the real window: the user or Windows acts
// while the second message's attachment is copied, and the mailbox takes the window's messages
// there, as a control may. A close follows the work and its error with one sign-off; where the
// program goes on, the last subject exported whole is shown, and a Convert that follows meets no
// stop.
TEST(StopsAUserSees, DuringAConvertOrTheExportOfASelectedSubject) {
    enum class End { GoesOn, Session, Close, CloseAfterError };
    struct Row {
        const char* name;
        std::function<void(ShellHarness&)> start, during;
        const char *apiIn, *attIn;
        LRESULT selected;
        const wchar_t* memo;
        End end;
        const char* afterConvert = nullptr;
        const char* taken = nullptr;
    };
    const auto convert = [](ShellHarness& h) {
        SendMessageW(h.Control(ConvertButtonId), BM_CLICK, 0, 0);
    };
    const auto select = [](int position) {
        return [position](ShellHarness& h) {
            SendMessageW(h.Control(SubjectListId), LB_SETCURSEL, position, 0);
            SendMessageW(h.window->Handle(), WM_COMMAND, MAKEWPARAM(SubjectListId, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(h.Control(SubjectListId)));
        };
    };
    const auto session = [](int end) {
        return [end](ShellHarness& h) {
            EXPECT_FALSE(SendMessageW(h.window->Handle(), WM_QUERYENDSESSION, 0, 0));
            if (end >= 0)
                SendMessageW(h.window->Handle(), WM_ENDSESSION, static_cast<WPARAM>(end), 0);
        };
    };
    const auto post = [](ControlId id, UINT message, WPARAM wParam) {
        return [=](ShellHarness& h) { h.Post(h.Control(id), message, wParam); };
    };
    const char* all = "1.API 2.API 3.API";
    const char* bodies = "1.MSG 2.0 2.MSG 3.MSG";
    const Row rows[] = {
        {"a lone question", convert, session(-1), all, bodies, 2, L"Text three", End::GoesOn,
         "1.API 2.API 3.API 4.API 5.API 6.API"},
        {"a cancelled log-off", convert, session(FALSE), all, bodies, 2, L"Text three", End::GoesOn,
         "1.API 2.API 3.API 4.API 5.API 6.API"},
        {"the end of the session", convert, session(TRUE), "1.API", "1.MSG", 0, L"", End::Session},
        {"Esc", convert, post(SubjectListId, WM_KEYDOWN, VK_ESCAPE), "1.API", "1.MSG", 0,
         L"Text one\r\nline two", End::GoesOn, "1.API 3.API 4.API 5.API"},
        {"Esc, the export of a subject", select(1), post(SubjectListId, WM_KEYDOWN, VK_ESCAPE), "",
         "", LB_ERR, L"", End::GoesOn, "2.API 3.API 4.API"},
        {"Esc after the export of another",
         [&](ShellHarness& h) {
             select(2)(h);
             select(1)(h);
         },
         post(SubjectListId, WM_KEYDOWN, VK_ESCAPE), "1.API", "1.MSG", 2, L"Text three",
         End::GoesOn},
        // The name set meanwhile is not the export's, even once it tries the next number.
        {"a name set, a number taken", select(1),
         [](ShellHarness& h) { SetWindowTextW(h.Control(UserNameId), L"mallory"); }, "2.API",
         "1.0 2.0 2.MSG", 1, L"Text two", End::GoesOn, nullptr, "ATT_IN/1.0"},
        {"Exit and the frame", convert,
         [&](ShellHarness& h) {
             PostMessageW(h.window->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
             post(ExitButtonId, BM_CLICK, 0)(h);
             EXPECT_TRUE(IsZoomed(h.window->Handle()));
         },
         "1.API", "1.MSG", 0, L"", End::Close},
        // The copy then fails: the close follows the error.
        {"Exit, then an error", convert,
         [&](ShellHarness& h) {
             post(ExitButtonId, BM_CLICK, 0)(h);
             std::filesystem::remove(h.folder.MissingAttachment("a.bin"));
         },
         "1.API", "1.MSG", 0, L"", End::CloseAfterError},
        // Taken as after a call into the mailbox: at the work's next step.
        {"a quit from outside", convert,
         [](ShellHarness& h) {
             PostQuitMessage(0);
             h.window->SetInputEnabled(false);
             h.window->SetInputEnabled(true);
         },
         "1.API", "1.MSG", 0, L"", End::Close},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ShellHarness h;
        h.mailbox.messages[1].attachments = {{u"a.bin", Widen(h.folder.Attachment("a.bin", "A"))}};
        h.Start("kelvor.exe Ann");
        if (row.taken)
            test::WriteBytes(std::filesystem::path(h.folder.Gateway()) / row.taken, "taken");
        bool acted = false;
        std::string boxAtSignOff;
        DialogWatch watch;
        // A message the window handles while an error is shown.
        watch.onShow = [&](HWND) { SendMessageW(h.window->Handle(), WM_NULL, 0, 0); };
        h.mailbox.onCall = [&](const std::string& op) {
            if (op == "get AttachmentPathName" && !std::exchange(acted, true))
                row.during(h);
            if (op == "SignOff")
                boxAtSignOff = watch.Seen().empty()                   ? "none"
                               : IsWindow(watch.Seen().back().window) ? "up"
                                                                      : "gone";
        };
        row.start(h);
        EXPECT_EQ(h.folder.Listing("API_IN"), row.apiIn);
        EXPECT_EQ(h.folder.Listing("ATT_IN"), row.attIn);
        for (const auto& request : std::filesystem::directory_iterator(h.folder.ApiIn("")))
            EXPECT_NE(test::ReadBytes(request.path()).find("TO= kelvor.mail.Ann;"),
                      std::string::npos);
        EXPECT_EQ(watch.Seen().size(), row.end == End::CloseAfterError ? 1u : 0u);
        EXPECT_EQ(h.Pump(), row.end != End::GoesOn);
        EXPECT_EQ(boxAtSignOff, row.end == End::Close             ? "none"
                                : row.end == End::CloseAfterError ? "gone"
                                                                  : "");
        if (row.end != End::GoesOn)
            continue;
        EXPECT_EQ(SendMessageW(h.Control(SubjectListId), LB_GETCURSEL, 0, 0), row.selected);
        EXPECT_EQ(WindowText(h.Control(MessageViewId)), row.memo);
        if (row.afterConvert) {
            convert(h);
            EXPECT_EQ(h.folder.Listing("API_IN"), row.afterConvert);
        }
    }
}

} // namespace
} // namespace kelvor::testing_support

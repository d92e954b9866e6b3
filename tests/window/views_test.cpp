// The form's views over the real controls: the memo's text and capacity, the lists, and what a
// long batch does to the window between its exports.

#include "app/win32/layout.h"
#include "support/standin_mailbox.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_import_patch.h"
#include "support/win32_shell_harness.h"
#include "support/win32_taskbar_recorder.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

namespace kelvor::testing_support {
namespace {

using namespace win32;

TEST(MemoView, KeepsEveryByteOfTheCodePage) {
    ShellHarness harness;
    harness.Start();
    std::string bytes = "line one\r\nline two\r\n";
    for (int c = 0x20; c <= 0xFF; ++c)
        bytes += static_cast<char>(c);
    MemoControl memo;
    memo.Attach(harness.Control(MessageViewId));
    memo.SetText(bytes);
    EXPECT_EQ(memo.Text(), bytes);
    memo.Clear();
    EXPECT_EQ(memo.Text(), "");
}

TEST(MemoView, TakesTextsFarBeyondTheEditControlsDefaultLimit) {
    ShellHarness harness;
    harness.Start();
    MemoControl memo;
    memo.Attach(harness.Control(MessageViewId));
    std::string big;
    while (big.size() < 200000)
        big += std::string(78, 'm') + "\r\n";
    memo.SetText(big);
    EXPECT_EQ(memo.Text(), big);
}

// A memo that cannot take more than eight characters, as a control out of memory behaves.
LRESULT CALLBACK SmallMemo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    if (message == WM_SETTEXT && wcslen(reinterpret_cast<const wchar_t*>(lParam)) > 8)
        return FALSE;
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(MemoView, TextBeyondItsCapacityIsAnError) {
    ShellHarness harness;
    harness.Start();
    MemoControl memo;
    memo.Attach(harness.Control(MessageViewId));
    SetWindowSubclass(harness.Control(MessageViewId), SmallMemo, 1, 0);
    memo.SetText("eight ok");
    EXPECT_EQ(memo.Text(), "eight ok");
    try {
        memo.SetText("more than eight");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Text exceeds memo capacity");
    }
}

std::wstring ControlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Held, the views read back what they were given, as the control would give it back, and the
// controls get it at the refresh.
TEST(HeldViews, KeepTheirChangesUntilTheRefresh) {
    ShellHarness harness;
    harness.Start();
    const HWND memoWindow = harness.Control(MessageViewId);
    const HWND subjects = harness.Control(SubjectListId);
    MemoControl memo;
    memo.Attach(memoWindow);
    ListControl list;
    list.Attach(subjects);
    memo.SetHeld(true);
    list.SetHeld(true);

    memo.Clear();
    memo.SetText(std::string("caf\xE9\r\nzwei\0drei", 15));
    list.SetItemIndex(2);
    EXPECT_EQ(list.ItemIndex(), 2);
    list.SetItemIndex(3);
    EXPECT_EQ(list.ItemIndex(), -1) << "an index the list does not have selects nothing";
    list.Clear();
    list.Add("b\xE9ta");
    list.SetItemIndex(0);
    EXPECT_EQ(memo.Text(), "caf\xE9\r\nzwei");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(ControlText(memoWindow), L"Text one\r\nline two");
    EXPECT_EQ(SendMessageW(subjects, LB_GETCOUNT, 0, 0), 3);

    memo.Refresh();
    list.Refresh();
    EXPECT_FALSE(memo.Pending() || list.Pending());
    EXPECT_EQ(ControlText(memoWindow), L"caf\u00E9\r\nzwei");
    EXPECT_EQ(SendMessageW(subjects, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(subjects, LB_GETCURSEL, 0, 0), 0);

    // Held, a text the control cannot take is found at the refresh.
    SetWindowSubclass(memoWindow, SmallMemo, 1, 0);
    memo.SetText("more than eight");
    EXPECT_EQ(memo.Text(), "more than eight");
    try {
        memo.Refresh();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Text exceeds memo capacity");
    }
}

TEST(ListView, AddsInOrderAndSelectsWithoutNotifying) {
    ShellHarness harness;
    harness.Start();
    ListControl list;
    list.Attach(harness.Control(AttachmentListId));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.Add("b\xE9ta");
    list.Add("alpha");
    EXPECT_EQ(list.Count(), 2);
    wchar_t item[16] = {};
    SendMessageW(harness.Control(AttachmentListId), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"b\u00E9ta");

    // On the subject list, a selection that notified would export the message.
    ListControl subjects;
    const HWND subjectList = harness.Control(SubjectListId);
    subjects.Attach(subjectList);
    const auto calls = harness.mailbox.log.size();
    subjects.SetItemIndex(1);
    harness.Pump();
    EXPECT_EQ(SendMessageW(subjectList, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(subjects.ItemIndex(), 1);
    subjects.SetItemIndex(-1);
    harness.Pump();
    EXPECT_EQ(SendMessageW(subjectList, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(harness.mailbox.log.size(), calls) << "the mailbox was read";
    EXPECT_EQ(harness.folder.Listing("API_IN"), "");
}

// Between two exports, once the views are due, what else is pending is painted with them, not at
// the next turn to take messages.
bool paintedWithTheViews = false;
HWND paintedWindow = nullptr;
decltype(&RedrawWindow) redraw = nullptr;
BOOL WINAPI NotingRedraw(HWND window, const RECT* rect, HRGN region, UINT flags) {
    const BOOL done = redraw(window, rect, region, flags);
    if (flags & RDW_UPDATENOW)
        paintedWithTheViews = !GetUpdateRect(paintedWindow, nullptr, FALSE);
    return done;
}

TEST(BatchProgress, PaintsWhatIsPending) {
    ShellHarness harness;
    MainWindow& window = harness.Start();
    paintedWindow = window.Handle();
    const ImportPatch patch(&RedrawWindow, &NotingRedraw);
    redraw = patch.original;
    const auto batch = window.BeginBatch(3);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!paintedWithTheViews && std::chrono::steady_clock::now() < end) {
        InvalidateRect(window.Handle(), nullptr, TRUE);
        batch->Progress(1);
    }
    EXPECT_TRUE(paintedWithTheViews);
}

// Views with nothing to bring up to date count as brought up to date: the next time is due only
// after the gap, not at every export.
TEST(HeldViews, NothingPendingWaitsForTheGapAsARefreshDoes) {
    ShellHarness harness;
    harness.Start();
    ListControl subjects;
    subjects.Attach(harness.Control(SubjectListId));
    MemoControl memo;
    memo.Attach(harness.Control(MessageViewId));
    ListControl attachments;
    attachments.Attach(harness.Control(AttachmentListId));
    // Two calls close together, as exports follow each other.
    for (;;) {
        HeldViews views(subjects, memo, attachments);
        views.HoldForRepeat();
        const auto first = std::chrono::steady_clock::now();
        const bool due = views.RefreshIfDue();
        const bool again = views.RefreshIfDue();
        if (std::chrono::steady_clock::now() - first > std::chrono::milliseconds(100))
            continue;
        EXPECT_TRUE(due);
        EXPECT_FALSE(again);
        break;
    }
}

// The memo is given a text a few times a second during a batch, from a second into it, not once a
// message, and shows the last message's once the batch ends.
LRESULT CALLBACK CountingSetText(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR count) {
    if (message == WM_SETTEXT)
        ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(BatchProgress, TheControlsFollowTheBatchAFewTimesASecond) {
    ShellHarness harness;
    constexpr int Messages = 300;
    harness.mailbox.messages.clear();
    for (int i = 0; i < Messages; ++i) {
        const std::string text = "Text of message " + std::to_string(i);
        harness.mailbox.messages.push_back(
            {u"Subject", u"Ann", std::u16string(text.begin(), text.end()), {}});
    }
    harness.Start("kelvor.exe Ann");
    int setTexts = 0;
    SetWindowSubclass(harness.Control(MessageViewId), CountingSetText, 1,
                      reinterpret_cast<DWORD_PTR>(&setTexts));
    const auto started = std::chrono::steady_clock::now();
    SendMessageW(harness.Control(ConvertButtonId), BM_CLICK, 0, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    EXPECT_TRUE(std::filesystem::exists(harness.folder.ApiIn(std::to_string(Messages) + ".API")));
    EXPECT_LE(setTexts, std::max(1, static_cast<int>(seconds * 4) - 2)) << seconds << " s";
    EXPECT_EQ(ControlText(harness.Control(MessageViewId)), L"Text of message 299");
    EXPECT_EQ(SendMessageW(harness.Control(SubjectListId), LB_GETCURSEL, 0, 0), Messages - 1);
    RemoveWindowSubclass(harness.Control(MessageViewId), CountingSetText, 1);
}

// The busy cursor goes with the batch, also when an error ends it: the error box waits for the
// user.
TEST(BatchProgress, TheBusyCursorShowsDuringConvertOnly) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    harness.mailbox.faults["get MsgOrigDisplayName"] = 3;
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR during = nullptr;
    harness.mailbox.onCall = [&](const std::string& op) {
        if (op == "get MsgSubject")
            during = GetCursor();
    };
    HCURSOR atError = nullptr;
    DialogWatch watch;
    watch.onShow = [&](HWND) { atError = GetCursor(); };
    SendMessageW(harness.Control(ConvertButtonId), BM_CLICK, 0, 0);
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(during, wait);
    EXPECT_NE(atError, wait);
    EXPECT_NE(GetCursor(), wait);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API");
}

// Convert shows its progress on the task-bar button, message by message, and takes it away when
// it ends; the task-bar list is made with the window.
TEST(BatchProgress, ShowsOnTheTaskBarButtonUntilTheBatchEnds) {
    const ComApartment apartment;
    TaskbarRecorder taskbar;
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    EXPECT_EQ(taskbar.calls, (std::vector<std::string>{"create", "init"}));
    SendMessageW(harness.Control(ConvertButtonId), BM_CLICK, 0, 0);
    const std::string button = TaskbarRecorder::Name(harness.application->Window());
    EXPECT_EQ(taskbar.calls,
              (std::vector<std::string>{"create", "init", "value " + button + " 1/3",
                                        "value " + button + " 2/3", "value " + button + " 3/3",
                                        "state " + button + " 0"}));
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API 3.API");
}

// A text the memo cannot take shows only when the controls catch up with the batch: it is
// reported once the batch has exported every message whole, not as the failure of one.
TEST(BatchProgress, ATextTheMemoRefusesIsReportedAfterTheBatch) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    SetWindowSubclass(harness.Control(MessageViewId), SmallMemo, 1, 0);
    // The focus leaving the subject list meanwhile does not let the batch's views go.
    harness.mailbox.onCall = [&](const std::string& op) {
        if (op == "put MsgIndex")
            SendMessageW(harness.Control(SubjectListId), WM_KILLFOCUS, 0, 0);
    };
    std::string exportsAtError;
    DialogWatch watch;
    watch.onShow = [&](HWND) { exportsAtError = harness.folder.Listing("API_IN"); };
    SendMessageW(harness.Control(ConvertButtonId), BM_CLICK, 0, 0);
    harness.mailbox.onCall = nullptr;
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].texts, std::vector<std::wstring>{L"Text exceeds memo capacity."});
    EXPECT_EQ(exportsAtError, "1.API 2.API 3.API");
    EXPECT_EQ(test::ReadBytes(harness.folder.AttIn("3.MSG")), "Text three");
    RemoveWindowSubclass(harness.Control(MessageViewId), SmallMemo, 1);
}

// A click or a single key press on the subject list shows its message at once; while a key
// repeats, the controls follow a few times a second and catch up when it comes up, also when an
// export that took messages dropped its coming up.
TEST(SubjectSelection, ShowsItsMessageAtOnceUnlessAKeyRepeats) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    const HWND list = harness.Control(SubjectListId);
    const HWND memo = harness.Control(MessageViewId);
    constexpr LPARAM Repeat = 1 | (1 << 30);
    constexpr LPARAM Up = static_cast<LPARAM>(0xC0000001);
    struct Step {
        UINT message;
        WPARAM key;
        LPARAM flags;
        const wchar_t* shown;
        const char* exports;
        bool upWithinExport = false;
    };
    const Step steps[] = {
        {WM_KEYDOWN, VK_DOWN, 1, L"Text one\r\nline two", "1.API"},
        {WM_KEYDOWN, VK_DOWN, 1, L"Text two", "1.API 2.API"},
        // The first refresh of a repeat is due at once, the next one a moment later, and the
        // views catch up whenever the key comes up, also with Alt down.
        {WM_KEYDOWN, VK_DOWN, Repeat, L"Text three", "1.API 2.API 3.API"},
        {WM_KEYDOWN, VK_UP, Repeat, nullptr, "1.API 2.API 3.API 4.API"},
        {WM_SYSKEYUP, VK_UP, static_cast<LPARAM>(0xE0000001), L"Text two",
         "1.API 2.API 3.API 4.API"},
        {WM_KEYDOWN, VK_DOWN, Repeat, nullptr, "1.API 2.API 3.API 4.API 5.API"},
        {WM_KEYUP, VK_DOWN, Up, L"Text three", "1.API 2.API 3.API 4.API 5.API"},
        {WM_KEYDOWN, VK_UP, Repeat, L"Text two", "1.API 2.API 3.API 4.API 5.API 6.API", true},
    };
    // The key's state as the system keeps it: down from its press until its coming up is taken
    // from the queue, whoever takes it.
    BYTE keys[256] = {};
    const Step* current = nullptr;
    harness.mailbox.onCall = [&](const std::string& op) {
        if (current->upWithinExport && op == "get MsgNoteText") {
            keys[current->key] = 0;
            SetKeyboardState(keys);
            harness.Post(list, WM_KEYUP, current->key, Up);
        }
    };
    for (const Step& step : steps) {
        current = &step;
        keys[step.key] = step.message == WM_KEYDOWN ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(list, step.message, step.key, step.flags);
        // Whether a repeat in between shows its message depends on the time since the last.
        if (step.shown)
            EXPECT_EQ(ControlText(memo), step.shown) << step.exports;
        EXPECT_EQ(harness.folder.Listing("API_IN"), step.exports);
    }
    harness.mailbox.onCall = nullptr;
}

} // namespace
} // namespace kelvor::testing_support

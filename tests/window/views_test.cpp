// The form's views over the real controls: the memo's text and capacity, the lists, and what a
// long batch does to the window between its exports.

#include "app/win32/layout.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>

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
    memo.Attach(harness.Control(Memo1Id));
    memo.SetText(bytes);
    EXPECT_EQ(memo.Text(), bytes);
    memo.Clear();
    EXPECT_EQ(memo.Text(), "");
}

TEST(MemoView, TakesTextsFarBeyondTheEditControlsDefaultLimit) {
    ShellHarness harness;
    harness.Start();
    MemoControl memo;
    memo.Attach(harness.Control(Memo1Id));
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
    memo.Attach(harness.Control(Memo1Id));
    SetWindowSubclass(harness.Control(Memo1Id), SmallMemo, 1, 0);
    memo.SetText("eight ok");
    EXPECT_EQ(memo.Text(), "eight ok");
    try {
        memo.SetText("more than eight");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Text exceeds memo capacity");
    }
}

TEST(ListView, AddsInOrderAndSelectsWithoutNotifying) {
    ShellHarness harness;
    harness.Start();
    ListControl list;
    list.Attach(harness.Control(ListBox2Id));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
    list.Add("b\xE9ta");
    list.Add("alpha");
    EXPECT_EQ(list.Count(), 2);
    wchar_t item[16] = {};
    SendMessageW(harness.Control(ListBox2Id), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"b\u00E9ta");
    list.SetItemIndex(1);
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetItemIndex(-1);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(BatchProgress, PaintsWhatIsPendingAndTakesNoInput) {
    ShellHarness harness;
    MainWindow& window = harness.Start();
    const HWND edit = harness.Control(Edit1Id);
    InvalidateRect(window.Handle(), nullptr, TRUE);
    InvalidateRect(harness.Control(Memo1Id), nullptr, TRUE);
    PostMessageW(edit, WM_CHAR, L'q', 1);

    window.BatchProgress(1, 3);

    EXPECT_FALSE(GetUpdateRect(window.Handle(), nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(harness.Control(Memo1Id), nullptr, FALSE));
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, edit, WM_CHAR, WM_CHAR, PM_NOREMOVE));
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);
    harness.Pump();
    EXPECT_EQ(GetWindowTextLengthW(edit), 1);
}

TEST(BatchProgress, TheBusyCursorShowsDuringConvertOnly) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    harness.mailbox.faults["get MsgOrigDisplayName"] = 3;
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR during = nullptr;
    DialogWatch watch;
    watch.onShow = [&](HWND) { during = GetCursor(); };
    SendMessageW(harness.Control(BitBtn1Id), BM_CLICK, 0, 0);
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(during, wait);
    EXPECT_NE(GetCursor(), wait);
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API 2.API");
}

} // namespace
} // namespace kelvor::testing_support

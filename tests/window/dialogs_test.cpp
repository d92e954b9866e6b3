// The error dialog, the general error display and the text of the "Application Error" box.

#include "app/win32/application_error.h"
#include "app/win32/error_dialog.h"
#include "app/win32/layout.h"
#include "app/win32/unique_handle.h"
#include "mailbox/com/ole_error.h"
#include "support/win32_dialog_watch.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

TEST(ErrorDialog, LooksAsDesignedAndBlocksTheOtherWindows) {
    ShellHarness harness;
    MainWindow& window = harness.Start();
    DialogWatch watch;
    bool okIsDefault = false;
    watch.onShow = [&](HWND dialog) {
        const HWND ok = GetDlgItem(dialog, IDOK);
        okIsDefault = (GetWindowLongPtrW(ok, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    };
    window.ShowErrorDialog("Something failed.");

    ASSERT_EQ(watch.Seen().size(), 1u);
    const SeenDialog& seen = watch.Seen()[0];
    EXPECT_EQ(seen.caption, L"Error");
    EXPECT_EQ(seen.texts, std::vector<std::wstring>{L"Something failed."});
    EXPECT_EQ(seen.icon, LoadIconW(nullptr, IDI_HAND));
    EXPECT_EQ(seen.defaultId, IDOK);
    EXPECT_TRUE(okIsDefault);
    EXPECT_EQ(seen.owner, window.Handle());
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_TRUE(seen.style & DS_MODALFRAME);
    EXPECT_FALSE(seen.style & WS_THICKFRAME);
    // Centred on the screen.
    EXPECT_NEAR((seen.bounds.left + seen.bounds.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((seen.bounds.top + seen.bounds.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    // The main window and the task-bar button's window took no input meanwhile.
    EXPECT_NE(
        std::find(seen.disabledTopLevel.begin(), seen.disabledTopLevel.end(), window.Handle()),
        seen.disabledTopLevel.end());
    EXPECT_NE(std::find(seen.disabledTopLevel.begin(), seen.disabledTopLevel.end(),
                        harness.application->Window()),
              seen.disabledTopLevel.end());
    // And take it again afterwards.
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    EXPECT_TRUE(IsWindowEnabled(harness.application->Window()));
    EXPECT_FALSE(IsWindow(seen.window));
}

TEST(ErrorDialog, EnterEscapeAndTheCloseBoxEachDismissIt) {
    for (const Answer answer : {Answer::Enter, Answer::Escape, Answer::CloseBox}) {
        DialogWatch watch(answer);
        ShowErrorDialog(nullptr, L"Dismiss me");
        ASSERT_EQ(watch.Seen().size(), 1u);
        EXPECT_FALSE(IsWindow(watch.Seen()[0].window));
    }
}

TEST(ErrorDialog, LongTextWrapsWithinHalfTheScreen) {
    std::wstring text;
    for (int i = 0; i < 60; ++i)
        text += L"word" + std::to_wstring(i) + L" ";
    text += std::wstring(300, L'x');
    HWND label = nullptr;
    RECT labelRect{};
    DialogWatch watch;
    watch.onShow = [&](HWND dialog) {
        label = FindWindowExW(dialog, nullptr, L"Static", nullptr);
        while (label && GetWindowTextLengthW(label) == 0)
            label = FindWindowExW(dialog, label, L"Static", nullptr);
        GetWindowRect(label, &labelRect);
    };
    ShowErrorDialog(nullptr, text);
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_LE(labelRect.right - labelRect.left, GetSystemMetrics(SM_CXSCREEN) / 2 + 1);
    ASSERT_EQ(watch.Seen()[0].texts.size(), 1u);
    std::wstring shown = watch.Seen()[0].texts[0];
    EXPECT_NE(shown.find(L"\r\n"), std::wstring::npos);
    // Nothing of the text is lost on the way.
    std::erase(shown, L'\r');
    std::erase(shown, L'\n');
    std::wstring expected = text;
    std::erase(expected, L' ');
    std::erase(shown, L' ');
    EXPECT_EQ(shown, expected);
}

// Every character of the fixed font has the same width, so lines can be counted in characters.
class WrapTextTest : public ::testing::Test {
protected:
    WrapTextTest() : selected_(screen_.get(), GetStockObject(SYSTEM_FIXED_FONT)) {
        SIZE size{};
        GetTextExtentPoint32W(screen_.get(), L"x", 1, &size);
        charWidth_ = size.cx;
    }
    std::vector<std::wstring> Wrap(std::wstring_view text, int characters) {
        return WrapText(screen_.get(), text, characters * charWidth_);
    }

private:
    ScreenDC screen_;
    SelectedObject selected_;
    int charWidth_ = 0;
};

TEST_F(WrapTextTest, BreaksAtBlanksKeepsLineBreaksAndSplitsLongWords) {
    struct Case {
        std::wstring_view text;
        int width;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {L"short", 10, {L"short"}},
        {L"", 10, {L""}},
        {L"one two three", 9, {L"one two", L"three"}},
        {L"one two three", 7, {L"one two", L"three"}},
        {L"one   two", 5, {L"one", L"two"}},
        {L"abcdefghijkl", 5, {L"abcde", L"fghij", L"kl"}},
        {L"ab cdefghijkl", 5, {L"ab", L"cdefg", L"hijkl"}},
        {L"first\r\nsecond\nthird\rfourth", 10, {L"first", L"second", L"third", L"fourth"}},
        {L"a\r\n\r\nb", 10, {L"a", L"", L"b"}},
        {L"x", 0, {L"x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Wrap(c.text, c.width), c.lines) << std::string(c.text.begin(), c.text.end());
}

TEST(GeneralErrorDisplay, ShowsTheMessageWithAFullStopInTheApplicationsBox) {
    ShellHarness harness;
    harness.Start();
    DialogWatch watch;
    harness.application->ShowGeneralError("Cannot create file C:\\x\\1.MSG");
    harness.application->ShowGeneralError("Already ends in a stop.");
    ASSERT_EQ(watch.Seen().size(), 2u);
    EXPECT_EQ(watch.Seen()[0].caption, L"Kelvor");
    EXPECT_EQ(watch.Seen()[0].texts,
              std::vector<std::wstring>{L"Cannot create file C:\\x\\1.MSG."});
    EXPECT_EQ(watch.Seen()[0].owner, harness.application->Window());
    EXPECT_TRUE(watch.Seen()[0].hasIcon);
    EXPECT_EQ(watch.Seen()[1].texts, std::vector<std::wstring>{L"Already ends in a stop."});
    EXPECT_NE(std::find(watch.Seen()[0].disabledTopLevel.begin(),
                        watch.Seen()[0].disabledTopLevel.end(), harness.window->Handle()),
              watch.Seen()[0].disabledTopLevel.end());
    EXPECT_TRUE(IsWindowEnabled(harness.window->Handle()));
}

TEST(GeneralErrorDisplay, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    ShellHarness harness;
    harness.Start("kelvor.exe Ann");
    harness.mailbox.faults["get MsgOrigDisplayName"] = 2;
    DialogWatch watch;
    harness.PressKey(GetFocus(), VK_RETURN); // Convert: the second export fails
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].caption, L"Kelvor");
    EXPECT_EQ(watch.Seen()[0].texts,
              std::vector<std::wstring>{L"Injected failure of get MsgOrigDisplayName."});
    // The batch ended with the failing export; the window waits for the user.
    EXPECT_EQ(harness.folder.Listing("API_IN"), "1.API");
    EXPECT_FALSE(harness.Pump());
    EXPECT_TRUE(IsWindowEnabled(harness.window->Handle()));
}

// A handler that a message runs while another handler runs cannot end that one: its error is
// shown once that one has ended. (A selection or a button pressed during an export is refused
// now, so the two handlers are the application's own guard, nested.)
TEST(GeneralErrorDisplay, AnErrorOfAHandlerWithinAnotherIsShownWhenThatOneEnds) {
    ShellHarness harness;
    harness.Start();
    bool outerEnded = false;
    bool endedAtError = false;
    DialogWatch watch;
    watch.onShow = [&](HWND) { endedAtError = outerEnded; };
    harness.application->Guarded([&] {
        harness.application->Guarded([] { throw Error("Inner failure"); });
        EXPECT_TRUE(watch.Seen().empty());
        outerEnded = true;
    });
    ASSERT_EQ(watch.Seen().size(), 1u);
    EXPECT_EQ(watch.Seen()[0].texts, std::vector<std::wstring>{L"Inner failure."});
    EXPECT_TRUE(endedAtError);
}

TEST(ApplicationError, NamesTheKindOfErrorAndItsMessage) {
    EXPECT_EQ(ApplicationErrorText(EOleSysError("OLE error 80040154", REGDB_E_CLASSNOTREG)),
              "EOleSysError: OLE error 80040154");
    EXPECT_EQ(ApplicationErrorText(EOleException("Boom", E_FAIL, "src", "", 0)),
              "EOleException: Boom");
    EXPECT_EQ(ApplicationErrorText(Error("Cannot create the main window")),
              "Error: Cannot create the main window");
    EXPECT_EQ(ApplicationErrorText(std::runtime_error("odd")), "Exception: odd");
}

} // namespace
} // namespace kelvor::testing_support

// A long Convert in the real kelvor.exe: the window answers the system and is repainted while
// the batch runs, the cursor shows that the program is busy, and input that arrives meanwhile does
// nothing, then or after the batch, but for Esc and closing the window, which stop it; within the
// copy of a large attachment too.

#include "app/win32/busy_property.h"
#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

constexpr int Messages = 2000;

MailMessage Numbered(int i) {
    const std::string subject = "Message " + std::to_string(i);
    const std::string text = "Text of message " + std::to_string(i);
    return {subject.c_str(), "Ann Example", text.c_str(), text, {}};
}

// The pixels a window shows on the screen, row by row.
std::vector<std::uint32_t> ScreenPixels(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

HCURSOR CurrentCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

std::vector<MailMessage> NumberedMessages(int count) {
    std::vector<MailMessage> messages;
    for (int i = 0; i < count; ++i)
        messages.push_back(Numbered(i));
    return messages;
}

// Waits for `condition`, asking the system all the while whether it counts the window hung.
class HungWatch {
public:
    explicit HungWatch(HWND window) : window_(window) {}
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        return driver::WaitFor(
            [&] {
                ++polls_;
                hung_ += IsHungAppWindow(window_) ? 1 : 0;
                return condition();
            },
            timeout);
    }
    int Polls() const { return polls_; }
    int Hung() const { return hung_; }

private:
    HWND window_;
    int polls_ = 0;
    int hung_ = 0;
};

// A Convert of this size takes well over the five seconds after which the system counts a
// window that takes no messages hung.
TEST(ResponsiveConvert, RepaintsWhileTheBatchRunsAndDropsInputMadeMeanwhile) {
    const std::vector<MailMessage> messages = NumberedMessages(Messages);
    KelvorRun run(MailboxFile(messages));
    const auto request = [&](int n) { return run.Folder().ApiIn(std::to_string(n) + ".API"); };
    const auto exists = [&](int n) { return std::filesystem::exists(request(n)); };

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    const HWND list = window.Control(SubjectListId);
    const HWND memo = window.Control(MessageViewId);
    RECT firstRow{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstRow));
    POINT click{(firstRow.left + firstRow.right) / 2, (firstRow.top + firstRow.bottom) / 2};
    ClientToScreen(list, &click);
    // The pointer rests on the list.
    SetCursorPos(click.x, click.y);
    const HCURSOR before = CurrentCursor();

    HungWatch watch(window.Handle());
    PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
    ASSERT_TRUE(watch.WaitFor([&] { return exists(100); }, 60s));
    const HCURSOR busy = CurrentCursor();
    EXPECT_NE(busy, before) << "no busy cursor during the batch";
    // Windows' question whether the session may end, with no end after it, stops nothing.
    EXPECT_FALSE(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));

    // What the window shows follows the exports; an invalidated part is painted again.
    const auto shown = ScreenPixels(memo);
    EXPECT_TRUE(InvalidateRect(window.Handle(), nullptr, TRUE));
    EXPECT_TRUE(InvalidateRect(memo, nullptr, TRUE));
    EXPECT_TRUE(watch.WaitFor(
        [&] {
            return !GetUpdateRect(window.Handle(), nullptr, FALSE) &&
                   !GetUpdateRect(memo, nullptr, FALSE) && ScreenPixels(memo) != shown;
        },
        20s))
        << "the window was not repainted during the batch";

    // Enter and Alt+C on the focused Convert, a click on it, Tab to the subjects, an arrow key and
    // a click on a subject: none of them runs, then or after the batch. A name set in the field
    // from outside does not reach the batch's requests.
    PressKey(VK_RETURN);
    PressAltKey('C');
    window.ClickControl(ConvertButtonId);
    PressKey(VK_TAB);
    PressKey(VK_UP);
    ClickAt(click);
    SendMessageW(window.Control(UserNameId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"mallory"));
    // Nor does a log-off cancelled after the question.
    EXPECT_FALSE(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageW(window.Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    // Input that came after the batch would prove nothing.
    if (exists(Messages))
        GTEST_SKIP() << "the batch ended before the input was made";
    ASSERT_TRUE(watch.WaitFor([&] { return exists(Messages); }, 180s));
    ASSERT_TRUE(window.Ready());
    EXPECT_EQ(watch.Hung(), 0) << "of " << watch.Polls() << " polls";
    EXPECT_TRUE(WaitFor([&] { return CurrentCursor() != busy; }));
    // Once a Tab made now has moved the focus, anything left of the input before it was taken.
    const HWND focused = window.Focus();
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return window.Focus() != focused; }));

    for (int n = 1; n <= Messages; ++n)
        ASSERT_EQ(FileBytes(request(n)), RequestBytes(n, messages[n - 1], "jsmith"));
    EXPECT_EQ(window.SelectedSubject(), Messages - 1);
    EXPECT_EQ(RemoteText(window.Control(UserNameId)), L"mallory");
    const auto files = std::distance(std::filesystem::directory_iterator(
                                         std::filesystem::path(run.Folder().Gateway()) / "API_IN"),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, Messages) << "a second Convert or an export after the batch";

    // The next Convert exports too; the caption moves the window meanwhile, and Exit stops the
    // batch and ends the program as it does when idle.
    PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
    ASSERT_TRUE(watch.WaitFor([&] { return exists(Messages + 100); }, 60s));
    RECT start{};
    GetWindowRect(window.Handle(), &start);
    const POINT caption{start.left + 60, start.top + GetSystemMetrics(SM_CYFRAME) +
                                             GetSystemMetrics(SM_CYCAPTION) / 2};
    DragFromTo(caption, {caption.x + 120, caption.y + 80});
    RECT moved{};
    EXPECT_TRUE(WaitFor([&] {
        GetWindowRect(window.Handle(), &moved);
        return moved.left == start.left + 120 && moved.top == start.top + 80;
    })) << moved.left - start.left
        << "," << moved.top - start.top;
    EXPECT_TRUE(GetPropW(window.Handle(), BusyProperty)) << "moved once the batch had ended";
    ClickWindow(window.Control(ExitButtonId));
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_FALSE(exists(2 * Messages));
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

// Esc during the copy of an attachment of 2 GiB stops at once: the window answered throughout,
// and soon nothing of that export is left, neither the part of the copy nor its body or request.
// The subject highlighted is the one exported whole before it, its message shown.
TEST(ResponsiveConvert, EscWithinTheCopyOfALargeAttachmentLeavesNothingOfThatExport) {
    KelvorRun run("{}");
    const std::string large = run.Folder().Attachment("large.bin", "");
    std::filesystem::resize_file(large, std::uintmax_t{2} << 30);
    const MailMessage message{"Large", "Ann", "Text", "Text", {{"large.bin", large, ""}}};
    run.Mailbox().WriteFile("mailbox.json", MailboxFile({Numbered(0), message}));
    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());

    HungWatch watch(window.Handle());
    const std::filesystem::path copy = run.Folder().AttIn("2.0");
    PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
    ASSERT_TRUE(watch.WaitFor(
        [&] {
            std::error_code error;
            return std::filesystem::file_size(copy, error) > 0 && !error;
        },
        60s));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(watch.WaitFor([&] { return !GetPropW(window.Handle(), BusyProperty); }, 60s));
    EXPECT_EQ(watch.Hung(), 0) << "of " << watch.Polls() << " polls";
    // The writer gives the export up at its next piece.
    EXPECT_TRUE(WaitFor([&] {
        return run.Folder().Listing("API_IN") + " " + run.Folder().Listing("ATT_IN") ==
               "1.API 1.MSG";
    }));
    EXPECT_EQ(window.SelectedSubject(), 0);
    EXPECT_EQ(window.MemoText(), Numbered(0).body);

    ASSERT_TRUE(window.Ready());
    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// How a user stops a Convert, and how the program is left once it has stopped.
struct StopWay {
    const char* name;
    std::function<void(KelvorRun&, HWND)> stop;
    // The program ends once the batch has stopped.
    bool ends;
    bool signsOff = true; // but where Windows ends the session
};

const StopWay StopWays[] = {
    {"Esc", [](KelvorRun&, HWND) { PressKey(VK_ESCAPE); }, false},
    {"Alt+F4", [](KelvorRun&, HWND) { PressAltKey(VK_F4); }, true},
    {"close box", [](KelvorRun&, HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }, true},
    {"task-bar button",
     [](KelvorRun& run, HWND) {
         PostMessageW(run.Process().FindWindowByCaption(L"Kelvor"), WM_SYSCOMMAND, SC_CLOSE, 0);
     },
     true},
    {"end of the Windows session",
     [](KelvorRun&, HWND window) {
         EXPECT_FALSE(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
         SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
     },
     true, false},
};

// Each way stops the batch between two exports, within the moment the export under way takes:
// every request written is whole, and none comes after the stop.
TEST(ResponsiveConvert, EscAndClosingStopTheBatchBetweenExports) {
    const std::vector<MailMessage> messages = NumberedMessages(Messages);
    for (const StopWay& way : StopWays) {
        SCOPED_TRACE(way.name);
        KelvorRun run(MailboxFile(messages));
        const auto request = [&](int n) { return run.Folder().ApiIn(std::to_string(n) + ".API"); };
        run.Start(L"jsmith");
        const KelvorWindow window(run.MainWindow());
        ASSERT_TRUE(window.Ready());
        PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(request(300)); }, 60s));
        way.stop(run, window.Handle());
        if (way.ends)
            EXPECT_EQ(run.Process().WaitForExit(), 0u);
        else
            ASSERT_TRUE(window.Ready());

        int exported = 0;
        while (std::filesystem::exists(request(exported + 1)))
            ++exported;
        EXPECT_LT(exported, Messages) << "the batch did not stop";
        for (int n = 1; n <= exported; ++n)
            ASSERT_EQ(FileBytes(request(n)), RequestBytes(n, messages[n - 1], "jsmith"));
        const auto files =
            std::distance(std::filesystem::directory_iterator(
                              std::filesystem::path(run.Folder().Gateway()) / "API_IN"),
                          std::filesystem::directory_iterator());
        EXPECT_EQ(files, exported) << "a request after the stop, or one left unfinished";
        if (!way.ends) {
            // Idle, as after a batch that ended there.
            EXPECT_TRUE(run.Process().Running());
            EXPECT_EQ(window.SelectedSubject(), exported - 1);
            EXPECT_EQ(window.MemoText(), messages[exported - 1].body);
            PressAltKey('E');
            EXPECT_EQ(run.Process().WaitForExit(), 0u);
        }
        EXPECT_EQ(run.CountInLog("SignOff"), way.signsOff ? 1 : 0);
    }
}

} // namespace
} // namespace kelvor::testing_support

// A long Convert in the real kelvor.exe: the window is repainted while the batch runs, the
// cursor shows that the program is busy, and input that arrives meanwhile is handled only after
// the last export of the batch; the repainting starts no export of its own.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
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

TEST(ResponsiveConvert, RepaintsWhileTheBatchRunsAndKeepsInputUntilItEnds) {
    std::vector<MailMessage> messages;
    for (int i = 0; i < Messages; ++i)
        messages.push_back(Numbered(i));
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
    // The pointer rests on the list, whose cursor the program shows while it waits.
    SetCursorPos(click.x, click.y);
    // Time to take the move, which sets the list's cursor; the program is idle.
    Sleep(300);
    const HCURSOR idle = CurrentCursor();

    PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return exists(100); }, 60s));
    EXPECT_NE(CurrentCursor(), idle) << "no busy cursor during the batch";

    // What the window shows follows the exports; an invalidated part is painted again.
    const auto shown = ScreenPixels(memo);
    EXPECT_TRUE(InvalidateRect(window.Handle(), nullptr, TRUE));
    EXPECT_TRUE(InvalidateRect(memo, nullptr, TRUE));
    EXPECT_TRUE(WaitFor([&] {
        return !GetUpdateRect(window.Handle(), nullptr, FALSE) &&
               !GetUpdateRect(memo, nullptr, FALSE) && ScreenPixels(memo) != shown;
    })) << "the window was not repainted during the batch";

    // Keys and a click on the first row of subjects wait for the batch to end: Tab takes the
    // focus from the pressed Convert to the subjects, where Up selects the last but one.
    PressKey(VK_TAB);
    PressKey(VK_UP);
    ClickAt(click);
    EXPECT_FALSE(exists(Messages)) << "the batch ended before the window was checked";
    ASSERT_TRUE(WaitFor([&] { return exists(Messages); }, 180s));
    WaitFor([&] { return exists(Messages + 2); });
    ASSERT_TRUE(window.Ready());
    EXPECT_EQ(CurrentCursor(), idle);

    // The batch's exports in list order, then the key's, then the click's; nothing else.
    for (int n = 1; n <= Messages; ++n)
        ASSERT_EQ(FileBytes(request(n)), RequestBytes(n, messages[n - 1], "jsmith"));
    EXPECT_EQ(FileBytes(request(Messages + 1)),
              RequestBytes(Messages + 1, messages[Messages - 2], "jsmith"));
    const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    EXPECT_EQ(window.SelectedSubject(), top);
    EXPECT_EQ(FileBytes(request(Messages + 2)),
              RequestBytes(Messages + 2, messages[top], "jsmith"));
    const auto files = std::distance(std::filesystem::directory_iterator(
                                         std::filesystem::path(run.Folder().Gateway()) / "API_IN"),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, Messages + 2);

    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

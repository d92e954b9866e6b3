// The real kelvor.exe at other screen resolutions, set through the prefix's LogPixels before the
// program starts: the design at 120 pixels per inch, the scaling rule at 96, scroll bars at 144.

#include "app/win32/layout.h"
#include "support/design_layout.h"
#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <optional>

namespace kelvor::testing_support {
namespace {

using namespace win32;

// Sets the screen resolution that programs started from now on see; puts back the old setting.
class LogPixels {
public:
    explicit LogPixels(DWORD pixelsPerInch) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        DWORD old = 0;
        DWORD size = sizeof old;
        if (RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old),
                             &size) == ERROR_SUCCESS)
            old_ = old;
        Set(pixelsPerInch);
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    ~LogPixels() {
        if (old_)
            Set(*old_);
        else
            RegDeleteValueW(key_, L"LogPixels");
        RegCloseKey(key_);
    }

private:
    void Set(DWORD value) {
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
    HKEY key_ = nullptr;
    std::optional<DWORD> old_;
};

const std::string OneMessage = MailboxFile({{"Hello", "Ann", "Text", "Text", {}}});

// The controls' rectangles worked out by hand for the resolution, labels' left and top.
void ExpectScaledRectangles(HWND window, int pixelsPerInch) {
    for (const auto& row : Scaled) {
        if (row.pixelsPerInch != pixelsPerInch)
            continue;
        const RECT rect = RectIn(GetDlgItem(window, row.id), window);
        EXPECT_EQ(rect.left, row.rect.left) << row.id;
        EXPECT_EQ(rect.top, row.rect.top) << row.id;
        if (!IsLabel(row.id)) {
            EXPECT_EQ(rect.right, row.rect.right) << row.id;
            EXPECT_EQ(rect.bottom, row.rect.bottom) << row.id;
        }
    }
}

void ExpectOuterBounds(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 99);
    EXPECT_EQ(outer.top, 98);
    EXPECT_EQ(outer.right - outer.left, 701);
    EXPECT_EQ(outer.bottom - outer.top, 604);
}

TEST(Resolution, At120PixelsPerInchEveryControlSitsAtItsDesignPlace) {
    KelvorRun run(OneMessage);
    {
        const LogPixels resolution(120);
        run.Start();
        ASSERT_TRUE(run.Process().FindWindowByCaption(L"KELVOR"));
    }
    const KelvorWindow window(run.MainWindow());
    for (const auto& row : Design) {
        if (IsLabel(row.id))
            continue;
        const RECT rect = RectIn(window.Control(row.id), window.Handle());
        EXPECT_EQ(rect.left, row.left) << row.id;
        EXPECT_EQ(rect.top, row.top) << row.id;
        EXPECT_EQ(rect.right - rect.left, row.width) << row.id;
        EXPECT_EQ(rect.bottom - rect.top, row.height) << row.id;
    }
    ExpectOuterBounds(window.Handle());
    EXPECT_FALSE(GetWindowLongPtrW(window.Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

TEST(Resolution, At96PixelsPerInchEdgesScaleByTheHeightOfAZero) {
    KelvorRun run(OneMessage);
    // This test program was started at 96 pixels per inch as well, so it can measure the font.
    {
        const LogPixels resolution(96);
        run.Start();
        ASSERT_TRUE(run.Process().FindWindowByCaption(L"KELVOR"));
    }
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, font);
    SIZE zero{};
    GetTextExtentPoint32W(screen, L"0", 1, &zero);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    ASSERT_EQ(zero.cy, 13) << "the rectangles were worked out for another font";

    const KelvorWindow window(run.MainWindow());
    ExpectScaledRectangles(window.Handle(), 96);
    ExpectOuterBounds(window.Handle());
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

TEST(Resolution, At144PixelsPerInchTheContentOutgrowsTheWindowAndScrolls) {
    KelvorRun run(OneMessage);
    {
        const LogPixels resolution(144);
        run.Start();
        ASSERT_TRUE(run.Process().FindWindowByCaption(L"KELVOR"));
    }
    const KelvorWindow window(run.MainWindow());
    ExpectOuterBounds(window.Handle());
    ExpectScaledRectangles(window.Handle(), 144);
    const LONG_PTR style = GetWindowLongPtrW(window.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    // Grown beyond the design: the Exit button lies below the client area until scrolled to.
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_GT(RectIn(window.Control(ExitButtonId), window.Handle()).bottom, client.bottom);
    SendMessageW(window.Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_LE(RectIn(window.Control(ExitButtonId), window.Handle()).bottom, client.bottom);
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

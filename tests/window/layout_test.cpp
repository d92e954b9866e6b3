// The main window's layout: design positions at 120 pixels per inch, the scaling rule at the
// resolution this test runs at, the fonts, the controls' kinds and styles.

#include "app/win32/layout.h"
#include "app/win32/unique_handle.h"
#include "support/design_layout.h"
#include "support/win32_shell_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

// Edges scale, not sizes: rounding each edge on its own gives the rectangles worked out by hand.
TEST(Scaling, ScalesEveryEdgeByTheZeroHeight) {
    const auto expect = [](int pixelsPerInch, int zeroHeight, ControlId id, const RECT& expected) {
        const RECT rect = Scaling(pixelsPerInch, zeroHeight).ControlRect(DesignControlById(id));
        EXPECT_TRUE(EqualRect(&rect, &expected))
            << pixelsPerInch << " dpi, control " << id << ": " << rect.left << "," << rect.top
            << "," << rect.right << "," << rect.bottom;
    };
    for (const auto& row : Scaled)
        if (!IsLabel(row.id))
            expect(row.pixelsPerInch, row.zeroHeight, row.id, row.rect);
    // The design resolution keeps the design, whatever the font measures.
    expect(120, 99, MessageViewId, {105, 216, 641, 405});
    expect(96, 16, ConvertButtonId, {256, 56, 489, 105});
}

TEST(Scaling, FontHeightFollowsTheResolution) {
    EXPECT_EQ(Scaling::FontHeightFor(120), 14);
    EXPECT_EQ(Scaling::FontHeightFor(96), 11);
    EXPECT_EQ(Scaling::FontHeightFor(144), 17);
    EXPECT_EQ(Scaling::FontHeightFor(72), 8);
    EXPECT_EQ(Scaling(96, 13).FontHeight(), 11);
    EXPECT_EQ(Scaling(96, 13).Scale(14), 11);
    EXPECT_EQ(Scaling(120, 13).Scale(14), 14);
}

int ScreenPixelsPerInch() {
    const ScreenDC screen;
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

SIZE MeasureIn(HFONT font, const wchar_t* text) {
    const ScreenDC screen;
    const SelectedObject selected(screen.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), text, static_cast<int>(wcslen(text)), &size);
    return size;
}

UniqueFont Font(int height, int weight) {
    return UniqueFont(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
}

// At the resolution the test runs at: the rectangles worked out by hand for it, or the design
// itself at 120 pixels per inch. Labels take their text's size.
TEST(MainWindowLayout, ControlsSitWhereTheRuleSays) {
    ShellHarness harness;
    const MainWindow& window = harness.Build();
    const int pixelsPerInch = ScreenPixelsPerInch();
    const UniqueFont font = Font(MulDiv(14, pixelsPerInch, 120), FW_NORMAL);
    std::vector<ScaledRow> rows;
    if (pixelsPerInch == 120) {
        for (const auto& row : Design)
            rows.push_back(
                {120, 16, row.id, {row.left, row.top, row.left + row.width, row.top + row.height}});
    } else {
        for (const auto& row : Scaled)
            if (row.pixelsPerInch == pixelsPerInch)
                rows.push_back(row);
    }
    ASSERT_FALSE(rows.empty()) << "no rectangles worked out for " << pixelsPerInch << " dpi";
    if (pixelsPerInch != 120) {
        ASSERT_EQ(MeasureIn(font.get(), L"0").cy, rows.front().zeroHeight)
            << "the rectangles were worked out for another font";
    }

    for (const auto& row : rows) {
        const HWND control = window.Control(row.id);
        ASSERT_TRUE(control) << row.id;
        const RECT actual = RectInParent(control);
        EXPECT_EQ(actual.left, row.rect.left) << row.id;
        EXPECT_EQ(actual.top, row.rect.top) << row.id;
        if (IsLabel(row.id)) {
            wchar_t text[64] = {};
            GetWindowTextW(control, text, 64);
            const SIZE size = MeasureIn(font.get(), text);
            EXPECT_EQ(actual.right - actual.left, size.cx) << row.id;
            EXPECT_EQ(actual.bottom - actual.top, size.cy) << row.id;
        } else {
            EXPECT_EQ(actual.right, row.rect.right) << row.id;
            EXPECT_EQ(actual.bottom, row.rect.bottom) << row.id;
        }
    }
}

TEST(MainWindowLayout, WindowKeepsItsOuterSizeAndPosition) {
    ShellHarness harness;
    const MainWindow& window = harness.Build();
    RECT outer{};
    GetWindowRect(window.Handle(), &outer);
    EXPECT_EQ(outer.left, 99);
    EXPECT_EQ(outer.top, 98);
    EXPECT_EQ(outer.right - outer.left, 701);
    EXPECT_EQ(outer.bottom - outer.top, 604);
    wchar_t caption[32] = {};
    GetWindowTextW(window.Handle(), caption, 32);
    EXPECT_STREQ(caption, L"KELVOR");
    EXPECT_TRUE(GetWindowLongPtrW(window.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(GetClassLongPtrW(window.Handle(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

// Worked out by hand: the window's font, 14 pixels at 120 pixels per inch, follows the
// resolution (11.2 at 96, 16.8 at 144); Convert's bold font and the lists' item height, 14 and
// 16 in the design, follow the height of a "0" (13 at 96: 11.375 and 13; 20 at 144: 17.5 and 20).
struct FontRow {
    int pixelsPerInch;
    int regular;
    int bold;
    int itemHeight;
};
constexpr FontRow Fonts[] = {{96, 11, 11, 13}, {120, 14, 14, 16}, {144, 17, 18, 20}};

TEST(MainWindowLayout, FontsFollowTheResolution) {
    ShellHarness harness;
    const MainWindow& window = harness.Build();
    const int pixelsPerInch = ScreenPixelsPerInch();
    const FontRow* row = std::find_if(std::begin(Fonts), std::end(Fonts), [&](const FontRow& r) {
        return r.pixelsPerInch == pixelsPerInch;
    });
    ASSERT_NE(row, std::end(Fonts)) << "no heights worked out for " << pixelsPerInch << " dpi";
    const int fontHeight = row->regular;

    for (const ControlId id : {UserNameId, SubjectListId, MessageViewId, AttachmentListId,
                               ExitButtonId, UserNameLabelId}) {
        const LOGFONTW regular = FontOf(window.Control(id));
        EXPECT_EQ(regular.lfHeight, -fontHeight) << id;
        EXPECT_EQ(regular.lfWeight, FW_NORMAL) << id;
        EXPECT_STREQ(regular.lfFaceName, L"MS Sans Serif") << id;
        EXPECT_EQ(regular.lfCharSet, DEFAULT_CHARSET) << id;
    }
    const LOGFONTW bold = FontOf(window.Control(ConvertButtonId));
    EXPECT_EQ(bold.lfHeight, -row->bold);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_STREQ(bold.lfFaceName, L"MS Sans Serif");

    for (const ControlId id : {SubjectListId, AttachmentListId})
        EXPECT_EQ(SendMessageW(window.Control(id), LB_GETITEMHEIGHT, 0, 0), row->itemHeight);
}

struct StyleRow {
    ControlId id;
    const wchar_t* windowClass;
    LONG_PTR present;
    LONG_PTR absent;
    const wchar_t* text;
};

TEST(MainWindowLayout, ControlsHaveTheirKindsAndStates) {
    ShellHarness harness;
    const MainWindow& window = harness.Build();
    const StyleRow rows[] = {
        {UserNameId, L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, ES_READONLY | ES_MULTILINE, L""},
        {ConvertButtonId, L"Button", WS_TABSTOP | BS_OWNERDRAW | WS_DISABLED, 0, L"&Convert"},
        {SubjectListId, L"ListBox", WS_TABSTOP | LBS_NOTIFY, LBS_SORT | LBS_MULTIPLESEL, L""},
        {MessageViewId, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_TABSTOP, L""},
        {AttachmentListId, L"ListBox", LBS_NOTIFY, WS_TABSTOP | LBS_SORT, L""},
        {ExitButtonId, L"Button", WS_TABSTOP | BS_OWNERDRAW, WS_DISABLED, L"&E&xit"},
        {UserNameLabelId, L"Static", SS_NOPREFIX, WS_TABSTOP, L"Username:"},
        {SubjectsLabelId, L"Static", SS_NOPREFIX, WS_TABSTOP, L"Subjects"},
        {MessageLabelId, L"Static", SS_NOPREFIX, WS_TABSTOP, L"Message"},
        {AttachmentsLabelId, L"Static", SS_NOPREFIX, WS_TABSTOP, L"Attachments"},
    };
    for (const auto& row : rows) {
        const HWND control = window.Control(row.id);
        wchar_t name[32] = {};
        GetClassNameW(control, name, 32);
        EXPECT_EQ(_wcsicmp(name, row.windowClass), 0) << row.id << " is " << name;
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        EXPECT_EQ(style & row.present, row.present) << row.id;
        EXPECT_EQ(style & row.absent, 0) << row.id;
        wchar_t text[32] = {};
        GetWindowTextW(control, text, 32);
        EXPECT_STREQ(text, row.text) << row.id;
    }
    // The user name field shows the I-beam.
    EXPECT_EQ(GetClassLongPtrW(window.Control(UserNameId), GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_IBEAM)));
}

} // namespace
} // namespace kelvor::testing_support

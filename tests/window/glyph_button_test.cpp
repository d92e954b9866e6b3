// The glyph buttons: which key a caption gives, how it is drawn, and where glyph and caption
// land in the button.

#include "app/win32/artwork.h"
#include "app/win32/glyph_button.h"
#include "app/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvor::testing_support {
namespace {

using namespace win32;

TEST(Caption, OnlyTheFirstAmpersandMarksTheKey) {
    struct Case {
        const wchar_t* caption;
        wchar_t key;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"&Convert", L'C', L"&Convert"}, {L"&E&xit", L'E', L"&Exit"},
        {L"Save &As", L'A', L"Save &As"}, {L"Fish && &Chips", L'C', L"Fish && &Chips"},
        {L"&&Only", 0, L"&&Only"},        {L"Plain", 0, L"Plain"},
        {L"Trailing&", 0, L"Trailing"},   {L"a&b&c&d", L'b', L"a&bcd"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaptionMnemonic(c.caption), c.key) << c.caption;
        EXPECT_EQ(DisplayCaption(c.caption), c.shown) << c.caption;
    }
}

// Paints a button into a bitmap through the drawing code the window uses.
class PaintedButton {
public:
    PaintedButton(const PixelArt& glyph, const wchar_t* caption, UINT state)
        : glyphs_(glyph), dc_(CreateCompatibleDC(nullptr)) {
        const ScreenDC screen;
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), Width, Height));
        old_ = SelectObject(dc_.get(), bitmap_.get());
        SelectObject(dc_.get(), GetStockObject(DEFAULT_GUI_FONT));
        button_ = CreateWindowExW(0, L"Button", caption, WS_POPUP | BS_OWNERDRAW, 0, 0, Width,
                                  Height, nullptr, nullptr, nullptr, nullptr);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button_;
        item.hDC = dc_.get();
        item.rcItem = RECT{0, 0, Width, Height};
        DrawGlyphButton(item, glyphs_);
        const std::wstring shown = DisplayCaption(caption);
        RECT measured{};
        DrawTextW(dc_.get(), shown.c_str(), -1, &measured, DT_SINGLELINE | DT_CALCRECT);
        textWidth_ = measured.right;
    }
    ~PaintedButton() {
        SelectObject(dc_.get(), old_);
        DestroyWindow(button_);
    }

    COLORREF Pixel(int x, int y) const { return GetPixel(dc_.get(), x, y); }
    int TextWidth() const { return textWidth_; }

    static constexpr int Width = 233;
    static constexpr int Height = 49;

private:
    ButtonGlyphs glyphs_;
    UniqueDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    HWND button_ = nullptr;
    int textWidth_ = 0;
};

COLORREF ArtPixel(const PixelArt& art, int x, int y) {
    return PaletteColour(
        PaletteIndex(art.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
}

// Compares the glyph drawn at (left, top) with one half of the art: olive shows the face.
void ExpectGlyphAt(const PaintedButton& button, const PixelArt& art, int half, int left, int top) {
    int mismatches = 0;
    for (int y = 0; y < GlyphSize; ++y)
        for (int x = 0; x < GlyphSize; ++x) {
            const char pixel = art.rows[static_cast<std::size_t>(y)]
                                       [static_cast<std::size_t>(half * GlyphSize + x)];
            const COLORREF expected = pixel == TransparentPixel
                                          ? GetSysColor(COLOR_BTNFACE)
                                          : ArtPixel(art, half * GlyphSize + x, y);
            mismatches += button.Pixel(left + x, top + y) != expected;
        }
    EXPECT_EQ(mismatches, 0);
}

// Where the glyph goes, worked out by hand for the 233 x 49 button: glyph, 4 pixels and caption
// centred together, the glyph centred from top to bottom ((49 - 16) / 2, 16.5, leaves 16 rows
// above it). "Exit" is 18 pixels wide in the GUI font under Wine, "Convert" 40: 16 + 4 + 18 = 38
// pixels leave (233 - 38) / 2, 97.5, that is 97 to the left; 16 + 4 + 40 = 60 leave 86.
constexpr int GlyphTop = 16;
constexpr int ExitGlyphLeft = 97;
constexpr int ConvertGlyphLeft = 86;

TEST(GlyphButton, EnabledGlyphAndCaptionAreCentredTogether) {
    const PaintedButton button(ExitGlyph, L"&E&xit", 0);
    ASSERT_EQ(button.TextWidth(), 18) << "the positions were worked out for another font";
    const int left = ExitGlyphLeft;
    const int top = GlyphTop;
    ExpectGlyphAt(button, ExitGlyph, 0, left, top);
    // The caption starts 4 pixels right of the glyph: somewhere in its first columns there is
    // text colour, and none between glyph and caption.
    bool textSeen = false;
    for (int x = left + GlyphSize + GlyphSpacing; x < left + GlyphSize + GlyphSpacing + 4; ++x)
        for (int y = 0; y < PaintedButton::Height; ++y)
            textSeen |= button.Pixel(x, y) == GetSysColor(COLOR_BTNTEXT);
    EXPECT_TRUE(textSeen);
    for (int x = left + GlyphSize; x < left + GlyphSize + GlyphSpacing; ++x)
        for (int y = top; y < top + GlyphSize; ++y)
            EXPECT_EQ(button.Pixel(x, y), GetSysColor(COLOR_BTNFACE)) << x << "," << y;
}

TEST(GlyphButton, DisabledShowsTheEmbossedImageAndGreyText) {
    const PaintedButton button(ConvertGlyph, L"&Convert", ODS_DISABLED);
    ASSERT_EQ(button.TextWidth(), 40) << "the positions were worked out for another font";
    const int left = ConvertGlyphLeft;
    const int top = GlyphTop;
    ExpectGlyphAt(button, ConvertGlyph, 1, left, top);
    bool textInBlack = false;
    for (int x = left + GlyphSize; x < PaintedButton::Width - 4; ++x)
        for (int y = 4; y < PaintedButton::Height - 4; ++y)
            textInBlack |= button.Pixel(x, y) == GetSysColor(COLOR_BTNTEXT);
    EXPECT_FALSE(textInBlack);
}

TEST(GlyphButton, AFocusedButtonHasTheDefaultButtonsDarkFrame) {
    const PaintedButton focused(ExitGlyph, L"&E&xit", ODS_FOCUS);
    const PaintedButton plain(ExitGlyph, L"&E&xit", 0);
    EXPECT_EQ(focused.Pixel(PaintedButton::Width / 2, 0), RGB(0, 0, 0));
    EXPECT_EQ(focused.Pixel(0, PaintedButton::Height / 2), RGB(0, 0, 0));
    EXPECT_NE(plain.Pixel(PaintedButton::Width / 2, 0), RGB(0, 0, 0));
}

TEST(GlyphButton, APushedButtonMovesItsContentByOnePixel) {
    const PaintedButton pushed(ExitGlyph, L"&E&xit", ODS_SELECTED);
    const PaintedButton plain(ExitGlyph, L"&E&xit", 0);
    ExpectGlyphAt(plain, ExitGlyph, 0, ExitGlyphLeft, GlyphTop);
    ExpectGlyphAt(pushed, ExitGlyph, 0, ExitGlyphLeft + 1, GlyphTop + 1);
}

} // namespace
} // namespace kelvor::testing_support

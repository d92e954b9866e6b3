// The pixel art kept as text: its legend, the bitmaps and icons made from it, and the icon
// file the executable carries, which must be the cog of the source.

#include "app/win32/artwork.h"
#include "app/win32/pixel_art.h"
#include "platform/error.h"
#include "support/native_path.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvor::testing_support {
namespace {

using namespace win32;

TEST(PixelArt, LegendNamesTheSixteenColours) {
    const struct {
        char pixel;
        COLORREF colour;
    } legend[] = {
        {'K', RGB(0, 0, 0)},       {'r', RGB(128, 0, 0)},     {'g', RGB(0, 128, 0)},
        {'.', RGB(128, 128, 0)},   {'n', RGB(0, 0, 128)},     {'p', RGB(128, 0, 128)},
        {'t', RGB(0, 128, 128)},   {'s', RGB(192, 192, 192)}, {'d', RGB(128, 128, 128)},
        {'R', RGB(255, 0, 0)},     {'G', RGB(0, 255, 0)},     {'Y', RGB(255, 255, 0)},
        {'B', RGB(0, 0, 255)},     {'P', RGB(255, 0, 255)},   {'C', RGB(0, 255, 255)},
        {'W', RGB(255, 255, 255)},
    };
    for (const auto& entry : legend)
        EXPECT_EQ(PaletteColour(PaletteIndex(entry.pixel)), entry.colour) << entry.pixel;
    EXPECT_EQ(PaletteColour(PaletteIndex(TransparentPixel)), TransparentColour);
    EXPECT_THROW(PaletteIndex('x'), Error);
}

TEST(PixelArt, BadArtIsRefused) {
    constexpr std::string_view shortRow[] = {"KK", "K"};
    constexpr std::string_view badColour[] = {"KK", "Kz"};
    EXPECT_THROW(CheckArt(PixelArt{2, 2, shortRow}), Error);
    EXPECT_THROW(CheckArt(PixelArt{2, 2, badColour}), Error);
    EXPECT_THROW(CheckArt(PixelArt{2, 3, badColour}), Error);
}

TEST(PixelArt, TheProgramsArtIsWellFormed) {
    EXPECT_NO_THROW(CheckArt(CogIcon));
    EXPECT_NO_THROW(CheckArt(ConvertGlyph));
    EXPECT_NO_THROW(CheckArt(ExitGlyph));
    EXPECT_EQ(CogIcon.width, 32);
    EXPECT_EQ(CogIcon.height, 32);
    EXPECT_EQ(ConvertGlyph.width, 32);
    EXPECT_EQ(ExitGlyph.height, 16);
}

// The colours and the transparency of an icon, read back from the system.
std::vector<COLORREF> IconPixels(HICON icon, int size, std::vector<bool>& transparent) {
    ICONINFO info{};
    GetIconInfo(icon, &info);
    const HDC dc = CreateCompatibleDC(nullptr);
    std::vector<COLORREF> colours;
    transparent.clear();
    HGDIOBJ old = SelectObject(dc, info.hbmMask);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            transparent.push_back(GetPixel(dc, x, y) == RGB(255, 255, 255));
    SelectObject(dc, info.hbmColor);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            colours.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return colours;
}

void ExpectIconShowsTheCog(HICON icon) {
    ASSERT_TRUE(icon);
    std::vector<bool> transparent;
    const std::vector<COLORREF> colours = IconPixels(icon, 32, transparent);
    int mismatches = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const char pixel =
                CogIcon.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            const std::size_t i = static_cast<std::size_t>(y * 32 + x);
            if (pixel == TransparentPixel)
                mismatches += !transparent[i];
            else
                mismatches += transparent[i] || colours[i] != PaletteColour(PaletteIndex(pixel));
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(PixelArt, IconShowsTheArtWithOliveTransparent) {
    const UniqueIcon icon = CreateArtIcon(CogIcon);
    ExpectIconShowsTheCog(icon.get());
}

TEST(PixelArt, TheExecutablesIconFileIsTheCogOfTheSource) {
    const std::string path = NativePath(KELVOR_SOURCE_DIR "/app/win32/cog.ico");
    const std::vector<std::uint8_t> expected = EncodeIconFile(CogIcon);
    const std::string actual = test::ReadBytes(path);
    if (actual != std::string(expected.begin(), expected.end())) {
        // Leave the right file where it can be taken from.
        const std::string fresh = NativePath(KELVOR_BINARY_DIR "/cog.ico");
        test::WriteBytes(fresh, std::string(expected.begin(), expected.end()));
        ADD_FAILURE() << "app/win32/cog.ico differs from the art; the matching file is " << fresh;
    }
    // The system reads the file as the same picture.
    const auto icon =
        static_cast<HICON>(LoadImageW(nullptr, std::filesystem::path(path).wstring().c_str(),
                                      IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
    ExpectIconShowsTheCog(icon);
    DestroyIcon(icon);
}

TEST(PixelArt, GlyphBitmapKeepsOliveForTheMask) {
    const UniqueBitmap bitmap = CreateArtBitmap(ExitGlyph);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap.get());
    int mismatches = 0;
    for (int y = 0; y < ExitGlyph.height; ++y)
        for (int x = 0; x < ExitGlyph.width; ++x)
            mismatches +=
                GetPixel(dc, x, y) !=
                PaletteColour(PaletteIndex(
                    ExitGlyph.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(mismatches, 0);
}

} // namespace
} // namespace kelvor::testing_support

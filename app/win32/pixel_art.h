#pragma once

// Small images kept as text: one character a pixel, one string a row, top row first. The
// characters name the 16 colours of the standard palette:
//
//   K black   r maroon   g green   . olive    n navy   p purple    t teal   s silver
//   d grey    R red      G lime    Y yellow   B blue   P fuchsia   C aqua   W white
//
// Olive is the transparent colour: it is what shows the background in glyphs and icons.

#include "app/win32/unique_handle.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kelvor::win32 {

struct PixelArt {
    int width;
    int height;
    std::span<const std::string_view> rows;
};

inline constexpr char TransparentPixel = '.';
inline constexpr COLORREF TransparentColour = RGB(128, 128, 0);

// The palette index of a pixel character; throws Error for a character outside the legend.
int PaletteIndex(char pixel);
COLORREF PaletteColour(int index);

// Throws Error when the rows do not match the stated size or hold unknown characters.
void CheckArt(const PixelArt& art);

// The image as a 16-colour bottom-up DIB section, olive left in place.
UniqueBitmap CreateArtBitmap(const PixelArt& art);
// The image as an icon, transparent where it is olive.
UniqueIcon CreateArtIcon(const PixelArt& art);

// The bytes of an .ico file holding the image as its one 16-colour entry.
std::vector<std::uint8_t> EncodeIconFile(const PixelArt& art);

} // namespace kelvor::win32

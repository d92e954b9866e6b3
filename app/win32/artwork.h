#pragma once

#include "app/win32/pixel_art.h"

namespace kelvor::win32 {

// The grey cog of the window, the task-bar button and the executable: 32 x 32.
extern const PixelArt CogIcon;

// Button glyphs, 32 x 16: the enabled image on the left, the embossed disabled one on the right.
extern const PixelArt ConvertGlyph;
extern const PixelArt ExitGlyph;

inline constexpr int GlyphSize = 16;

} // namespace kelvor::win32

#pragma once

// Push buttons with a glyph left of the caption, drawn by their owner.

#include "app/win32/pixel_art.h"
#include "app/win32/unique_handle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace kelvor::win32 {

// The key of a caption: the character after its first "&" that does not start "&&"; 0 when
// there is none. A later "&" gives no key.
wchar_t CaptionMnemonic(std::wstring_view caption);
// The caption as it is drawn: only the "&" of the key stays a marker, a later lone "&" goes.
std::wstring DisplayCaption(std::wstring_view caption);

// The two images of a glyph (enabled, disabled) with olive as the transparent colour.
class ButtonGlyphs {
public:
    explicit ButtonGlyphs(const PixelArt& glyph);
    HIMAGELIST Images() const { return images_.get(); }

private:
    UniqueImageList images_;
};

inline constexpr int GlyphSpacing = 4;

// Paints a button for WM_DRAWITEM: the face, the frame (a focused button has the dark frame of
// the default button), then glyph and caption centred together, the glyph 4 pixels left of the
// caption; the disabled image and embossed text while disabled.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const ButtonGlyphs& glyphs);

} // namespace kelvor::win32

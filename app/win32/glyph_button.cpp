#include "app/win32/glyph_button.h"

#include "app/win32/artwork.h"
#include "app/win32/window_text.h"
#include "platform/error.h"

namespace kelvor::win32 {

wchar_t CaptionMnemonic(std::wstring_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (caption[i + 1] != L'&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

std::wstring DisplayCaption(std::wstring_view caption) {
    std::wstring shown;
    bool marked = false;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != L'&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == L'&') {
            shown += L"&&";
            ++i;
        } else if (!marked && i + 1 < caption.size()) {
            shown += L'&';
            marked = true;
        }
    }
    return shown;
}

ButtonGlyphs::ButtonGlyphs(const PixelArt& glyph) {
    if (glyph.width != 2 * GlyphSize || glyph.height != GlyphSize)
        throw Error("A button glyph holds two 16 x 16 images");
    UniqueBitmap bitmap = CreateArtBitmap(glyph);
    images_.reset(ImageList_Create(GlyphSize, GlyphSize, ILC_COLOR24 | ILC_MASK, 2, 0));
    if (!images_ || ImageList_AddMasked(images_.get(), bitmap.get(), TransparentColour) < 0)
        throw Error("Cannot create the button glyphs");
}

namespace {

void DrawCaption(HDC dc, const std::wstring& caption, RECT rect, UINT format, bool disabled) {
    if (!disabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, caption.c_str(), -1, &rect, format);
        return;
    }
    RECT raised = rect;
    OffsetRect(&raised, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, caption.c_str(), -1, &raised, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc, caption.c_str(), -1, &rect, format);
}

} // namespace

void DrawGlyphButton(const DRAWITEMSTRUCT& item, const ButtonGlyphs& glyphs) {
    const HDC dc = item.hDC;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    RECT frame = item.rcItem;
    FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
    if (focused) {
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&frame, -1, -1);
    }
    if (pushed)
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
    else
        DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH);

    const std::wstring caption = DisplayCaption(WindowText(item.hwndItem));
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (item.itemState & ODS_NOACCEL)
        format |= DT_HIDEPREFIX;

    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT measured{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
    const int textWidth = measured.right - measured.left;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const int shift = pushed ? 1 : 0;
    const int left =
        item.rcItem.left + (width - (GlyphSize + GlyphSpacing + textWidth)) / 2 + shift;
    const int glyphTop = item.rcItem.top + (height - GlyphSize) / 2 + shift;

    ImageList_Draw(glyphs.Images(), disabled ? 1 : 0, dc, left, glyphTop, ILD_TRANSPARENT);
    RECT textRect{left + GlyphSize + GlyphSpacing, item.rcItem.top + shift,
                  left + GlyphSize + GlyphSpacing + textWidth, item.rcItem.bottom + shift};
    DrawCaption(dc, caption, textRect, format, disabled);
    SetBkMode(dc, oldMode);

    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

} // namespace kelvor::win32

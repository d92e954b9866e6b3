#pragma once

// The main window as designed at 120 pixels per inch, and the rule that fits it to other
// resolutions.

#include <windows.h>

#include <span>

namespace kelvor::win32 {

inline constexpr int DesignPixelsPerInch = 120;
inline constexpr int DesignFontHeight = 14;
// Height of a "0" in the window's font at the design resolution.
inline constexpr int DesignZeroHeight = 16;
inline constexpr int DesignItemHeight = 16;
inline constexpr wchar_t FontFace[] = L"MS Sans Serif";

inline constexpr wchar_t WindowCaption[] = L"KELVOR";
// Outer size and position; kept as they are at every resolution.
inline constexpr RECT WindowBounds{99, 98, 99 + 701, 98 + 604};

enum class ControlKind { Label, Edit, GlyphButton, List, Memo };

enum ControlId : int {
    UserNameId = 101,
    ConvertButtonId,
    SubjectListId,
    MessageViewId,
    AttachmentListId,
    ExitButtonId,
    SubjectsLabelId,
    MessageLabelId,
    AttachmentsLabelId,
    UserNameLabelId,
};

struct DesignControl {
    ControlId id;
    ControlKind kind;
    int left, top, width, height;
    const wchar_t* text;
};

// In tab order; the labels, which take no focus, last.
std::span<const DesignControl> DesignLayout();
const DesignControl& DesignControlById(ControlId id);

// Design pixels to screen pixels.
class Scaling {
public:
    // The design itself: nothing changes.
    Scaling() = default;
    // At a resolution other than the design's: the font height follows the resolution, the
    // edges follow the height of a "0" in that font.
    Scaling(int pixelsPerInch, int zeroHeight);

    int FontHeight() const { return fontHeight_; }
    // A height or an edge coordinate.
    int Scale(int value) const;
    RECT ControlRect(const DesignControl& control) const;

    // The font height of the screen's resolution, for measuring the "0" before scaling.
    static int FontHeightFor(int pixelsPerInch);

private:
    int fontHeight_ = DesignFontHeight;
    int multiplier_ = DesignZeroHeight;
    int divisor_ = DesignZeroHeight;
};

} // namespace kelvor::win32

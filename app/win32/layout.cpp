#include "app/win32/layout.h"

#include "platform/error.h"

#include <algorithm>
#include <array>

namespace kelvor::win32 {
namespace {

constexpr std::array<DesignControl, 10> Layout{{
    {UserNameId, ControlKind::Edit, 104, 24, 537, 24, L""},
    {ConvertButtonId, ControlKind::GlyphButton, 256, 56, 233, 49, L"&Convert"},
    {SubjectListId, ControlKind::List, 105, 120, 536, 85, L""},
    {MessageViewId, ControlKind::Memo, 105, 216, 536, 189, L""},
    {AttachmentListId, ControlKind::List, 105, 414, 536, 89, L""},
    {ExitButtonId, ControlKind::GlyphButton, 272, 512, 233, 49, L"&E&xit"},
    {UserNameLabelId, ControlKind::Label, 32, 24, 66, 16, L"Username:"},
    {SubjectsLabelId, ControlKind::Label, 38, 118, 52, 16, L"Subjects"},
    {MessageLabelId, ControlKind::Label, 38, 214, 57, 16, L"Message"},
    {AttachmentsLabelId, ControlKind::Label, 26, 414, 73, 16, L"Attachments"},
}};

} // namespace

std::span<const DesignControl> DesignLayout() {
    return Layout;
}

const DesignControl& DesignControlById(ControlId id) {
    const auto found = std::find_if(Layout.begin(), Layout.end(),
                                    [id](const DesignControl& c) { return c.id == id; });
    if (found == Layout.end())
        throw Error("Unknown control");
    return *found;
}

Scaling::Scaling(int pixelsPerInch, int zeroHeight) : fontHeight_(FontHeightFor(pixelsPerInch)) {
    if (pixelsPerInch != DesignPixelsPerInch && zeroHeight > 0) {
        multiplier_ = zeroHeight;
        divisor_ = DesignZeroHeight;
    }
}

int Scaling::Scale(int value) const {
    return MulDiv(value, multiplier_, divisor_);
}

RECT Scaling::ControlRect(const DesignControl& control) const {
    return RECT{Scale(control.left), Scale(control.top), Scale(control.left + control.width),
                Scale(control.top + control.height)};
}

int Scaling::FontHeightFor(int pixelsPerInch) {
    return MulDiv(DesignFontHeight, pixelsPerInch, DesignPixelsPerInch);
}

} // namespace kelvor::win32

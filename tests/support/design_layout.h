#pragma once

// The main window's controls where they belong: as designed at 120 pixels per inch, and at 96
// and 144 worked out by hand from the scaling rule (every edge times the height of a "0" in the
// scaled font over 16, rounded half up; that height is 13 at 96 and 20 at 144 in Wine's
// MS Sans Serif).

#include "app/win32/layout.h"

#include <windows.h>

namespace kelvor::testing_support {

struct DesignRow {
    win32::ControlId id;
    int left, top, width, height;
};

// At 120 pixels per inch: left, top, width, height.
inline constexpr DesignRow Design[] = {
    {win32::UserNameId, 104, 24, 537, 24},        {win32::ConvertButtonId, 256, 56, 233, 49},
    {win32::SubjectListId, 105, 120, 536, 85},    {win32::MessageViewId, 105, 216, 536, 189},
    {win32::AttachmentListId, 105, 414, 536, 89}, {win32::ExitButtonId, 272, 512, 233, 49},
    {win32::UserNameLabelId, 32, 24, 66, 16},     {win32::SubjectsLabelId, 38, 118, 52, 16},
    {win32::MessageLabelId, 38, 214, 57, 16},     {win32::AttachmentsLabelId, 26, 414, 73, 16},
};

struct ScaledRow {
    int pixelsPerInch;
    int zeroHeight;
    win32::ControlId id;
    // Left, top, right, bottom in the window's client area; a label's right and bottom follow
    // its text instead.
    RECT rect;
};

inline constexpr ScaledRow Scaled[] = {
    {96, 13, win32::UserNameId, {85, 20, 521, 39}},
    {96, 13, win32::ConvertButtonId, {208, 46, 397, 85}},
    {96, 13, win32::SubjectListId, {85, 98, 521, 167}},
    {96, 13, win32::MessageViewId, {85, 176, 521, 329}},
    {96, 13, win32::AttachmentListId, {85, 336, 521, 409}},
    {96, 13, win32::ExitButtonId, {221, 416, 410, 456}},
    {96, 13, win32::SubjectsLabelId, {31, 96, 73, 109}},
    {96, 13, win32::AttachmentsLabelId, {21, 336, 80, 349}},
    {144, 20, win32::UserNameId, {130, 30, 801, 60}},
    {144, 20, win32::ConvertButtonId, {320, 70, 611, 131}},
    {144, 20, win32::MessageViewId, {131, 270, 801, 506}},
    {144, 20, win32::AttachmentListId, {131, 518, 801, 629}},
    {144, 20, win32::ExitButtonId, {340, 640, 631, 701}},
    {144, 20, win32::MessageLabelId, {48, 268, 119, 288}},
};

inline bool IsLabel(win32::ControlId id) {
    return id == win32::UserNameLabelId || id == win32::SubjectsLabelId ||
           id == win32::MessageLabelId || id == win32::AttachmentsLabelId;
}

} // namespace kelvor::testing_support

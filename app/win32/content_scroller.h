#pragma once

// Scroll bars for a window whose controls no longer fit into its client area: they show while
// the content is larger than the client area and move the controls when used.

#include <windows.h>

namespace kelvor::win32 {

class ContentScroller {
public:
    void Attach(HWND window) { window_ = window; }
    // The extent of the controls at scroll position 0.
    void SetContentSize(SIZE size);

    // For WM_SIZE: shows or hides the bars and keeps the position within the new range.
    void Update();
    // For WM_HSCROLL (horizontal) and WM_VSCROLL.
    void OnScroll(bool horizontal, WORD request);

    POINT Position() const { return position_; }

private:
    void SetBar(int bar, int content, int page);
    void ScrollTo(bool horizontal, int position);

    HWND window_ = nullptr;
    SIZE content_{0, 0};
    POINT position_{0, 0};
    bool updating_ = false;
};

} // namespace kelvor::win32

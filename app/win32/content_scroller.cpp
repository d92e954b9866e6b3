#include "app/win32/content_scroller.h"

#include <algorithm>

namespace kelvor::win32 {
namespace {

constexpr int LineStep = 16;

} // namespace

void ContentScroller::SetContentSize(SIZE size) {
    content_ = size;
    Update();
}

void ContentScroller::Update() {
    // Showing one bar narrows the client area, which may call for the other: settle in a few
    // rounds, ignoring the WM_SIZE that each change sends back here.
    if (updating_ || !window_)
        return;
    updating_ = true;
    for (int round = 0; round < 3; ++round) {
        RECT before{};
        GetClientRect(window_, &before);
        SetBar(SB_HORZ, content_.cx, before.right);
        SetBar(SB_VERT, content_.cy, before.bottom);
        RECT after{};
        GetClientRect(window_, &after);
        if (EqualRect(&before, &after))
            break;
    }
    updating_ = false;
}

void ContentScroller::SetBar(int bar, int content, int page) {
    const bool horizontal = bar == SB_HORZ;
    const int position = horizontal ? position_.x : position_.y;
    const int limit = std::max(0, content - page);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(0, content - 1);
    info.nPage = static_cast<UINT>(std::max(0, page));
    info.nPos = std::min(position, limit);
    SetScrollInfo(window_, bar, &info, TRUE);
    ScrollTo(horizontal, info.nPos);
}

void ContentScroller::OnScroll(bool horizontal, WORD request) {
    const int bar = horizontal ? SB_HORZ : SB_VERT;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window_, bar, &info);
    int target = info.nPos;
    const int page = static_cast<int>(info.nPage);
    switch (request) {
    case SB_LINEUP:
        target -= LineStep;
        break;
    case SB_LINEDOWN:
        target += LineStep;
        break;
    case SB_PAGEUP:
        target -= page;
        break;
    case SB_PAGEDOWN:
        target += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        target = info.nTrackPos;
        break;
    case SB_TOP:
        target = info.nMin;
        break;
    case SB_BOTTOM:
        target = info.nMax;
        break;
    default:
        return;
    }
    target = std::clamp(target, 0, std::max(0, info.nMax - info.nMin + 1 - page));
    SetScrollPos(window_, bar, target, TRUE);
    ScrollTo(horizontal, target);
}

void ContentScroller::ScrollTo(bool horizontal, int position) {
    LONG& current = horizontal ? position_.x : position_.y;
    const int delta = position - static_cast<int>(current);
    if (delta == 0)
        return;
    current = position;
    ScrollWindowEx(window_, horizontal ? -delta : 0, horizontal ? 0 : -delta, nullptr, nullptr,
                   nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

} // namespace kelvor::win32

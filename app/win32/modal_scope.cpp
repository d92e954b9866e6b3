#include "app/win32/modal_scope.h"

namespace kelvor::win32 {
namespace {

struct Collect {
    HWND owner;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    const auto& collect = *reinterpret_cast<Collect*>(param);
    if (window != collect.owner && IsWindowVisible(window) && IsWindowEnabled(window))
        collect.windows->push_back(window);
    return TRUE;
}

} // namespace

ModalScope::ModalScope(HWND owner) : active_(GetActiveWindow()) {
    Collect collect{owner, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&collect));
    for (const HWND window : disabled_)
        EnableWindow(window, FALSE);
}

ModalScope::~ModalScope() {
    Restore();
    if (active_ && active_ != GetActiveWindow() && IsWindow(active_) && IsWindowEnabled(active_) &&
        IsWindowVisible(active_))
        SetActiveWindow(active_);
}

void ModalScope::Restore() noexcept {
    for (const HWND window : disabled_)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    disabled_.clear();
}

} // namespace kelvor::win32

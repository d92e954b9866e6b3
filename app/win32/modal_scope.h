#pragma once

// While a modal dialog or message box is up, the program's other windows take no input.

#include <windows.h>

#include <vector>

namespace kelvor::win32 {

class ModalScope {
public:
    // Disables every visible, enabled top-level window of this thread except `owner`, which
    // the dialog itself disables and enables again.
    explicit ModalScope(HWND owner);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Enables the windows again. Call it before the dialog goes, so the system can hand the
    // activation to a window that takes it; the destructor then gives it back to the window
    // that had it.
    void Restore() noexcept;

private:
    HWND active_;
    std::vector<HWND> disabled_;
};

} // namespace kelvor::win32

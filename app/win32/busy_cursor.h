#pragma once

#include <windows.h>

namespace kelvor::win32 {

// The busy cursor for the life of the object.
class BusyCursor {
public:
    BusyCursor() noexcept : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(previous_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    HCURSOR previous_;
};

} // namespace kelvor::win32

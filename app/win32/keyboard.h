#pragma once

// The main window's keys, looked at before a message is translated and dispatched: Tab and
// Shift+Tab walk the tab order, Enter presses the focused button, and Alt with a button's key
// presses that button while it is enabled.

#include <windows.h>

#include <initializer_list>
#include <vector>

namespace kelvor::win32 {

class FormKeys {
public:
    FormKeys(HWND form, std::initializer_list<HWND> buttons, HWND selectOnEntry);

    // True when the message was a key of the form and has been handled.
    bool PreTranslate(const MSG& message) const;

    // Moves the focus to the next (or previous) control of the tab order.
    void MoveFocus(bool backwards) const;

private:
    bool IsButton(HWND window) const;
    void Press(HWND button) const;

    HWND form_;
    std::vector<HWND> buttons_;
    HWND selectOnEntry_;
};

} // namespace kelvor::win32

#pragma once

// What the program shows when it cannot start: COM, the application's window or the main window
// could not be set up.

#include <exception>
#include <string>

namespace kelvor::win32 {

inline constexpr wchar_t ApplicationErrorCaption[] = L"Application Error";

// The error's kind, named after its class ("EOleSysError"), a colon and its message.
std::string ApplicationErrorText(const std::exception& error);

// The task-modal "Application Error" box with the stop icon.
void ShowApplicationError(const std::exception& error) noexcept;

} // namespace kelvor::win32

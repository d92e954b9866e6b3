#pragma once

// Another program's windows, looked at as a user's tools would: texts asked for with window
// messages (GetWindowText does not ask another process's control), and the keyboard's target.

#include <windows.h>

#include <string>
#include <vector>

namespace kelvor::driver {

std::wstring RemoteText(HWND window);
std::vector<std::wstring> RemoteListItems(HWND list);

// A window's rectangle in the client coordinates of another window.
RECT RectIn(HWND window, HWND parent);

// Brings another program's window to the front so that typed keys reach it: it is the
// foreground window and its thread has made it active.
bool BringToFront(HWND window);

} // namespace kelvor::driver

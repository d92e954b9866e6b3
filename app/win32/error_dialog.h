#pragma once

// The program's own error dialog: caption "Error", the stop icon, the text, one "OK" button.
// Built from an in-memory template, so no sound plays as a message box's would.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kelvor::win32 {

inline constexpr wchar_t ErrorDialogCaption[] = L"Error";

// Modal: returns once the user pressed OK, Enter, Esc or the close box. The other windows of
// the thread take no input meanwhile.
void ShowErrorDialog(HWND owner, const std::wstring& text);

// The lines of `text` as drawn in the font selected into `dc` within `maxWidth` pixels: line
// breaks kept, lines broken at blanks, a word longer than a line broken where it must be.
std::vector<std::wstring> WrapText(HDC dc, std::wstring_view text, int maxWidth);

} // namespace kelvor::win32

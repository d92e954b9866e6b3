#pragma once

// Keys, typing, clicks and drags through the system's input queue, as a user's would arrive: they
// go to the foreground window.

#include <windows.h>

#include <initializer_list>
#include <string_view>
#include <utility>

namespace kelvor::driver {

// Each stroke a key and whether it goes down (again, when it is held) or up.
void SendKeys(std::initializer_list<std::pair<WORD, bool>> strokes);
void PressKey(WORD key);
void PressKeyTimes(WORD key, int times);
void PressAltKey(WORD key);
// Types text into the focused control, character by character.
void TypeText(std::wstring_view text);

// A left click at a point of the screen. The pointer is there before the button goes down, and
// each event carries the point, so that no motion the display reports in between can move it.
void ClickAt(POINT point);
// A left click in the middle of a window.
void ClickWindow(HWND window);
// The left button pressed at one point of the screen and let go at another.
void DragFromTo(POINT from, POINT to);

} // namespace kelvor::driver

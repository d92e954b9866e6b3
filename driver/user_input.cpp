#include "driver/user_input.h"

#include "driver/wait.h"

#include <vector>

namespace kelvor::driver {

namespace {

void Send(std::vector<INPUT>& inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The pointer at a point of the screen, with `buttons` (MOUSEEVENTF_LEFTDOWN, ...) besides.
void Mouse(POINT point, DWORD buttons) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(point.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

// The pointer there before anything else happens, so that no motion the display reports in
// between can move it.
void MoveTo(POINT point) {
    Mouse(point, 0);
    WaitFor(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == point.x && now.y == point.y;
        },
        2s);
}

} // namespace

void SendKeys(std::initializer_list<std::pair<WORD, bool>> strokes) {
    std::vector<INPUT> inputs;
    for (const auto& [key, down] : strokes) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    Send(inputs);
}

void PressKey(WORD key) {
    SendKeys({{key, true}, {key, false}});
}

void PressKeyTimes(WORD key, int times) {
    for (int i = 0; i < times; ++i)
        PressKey(key);
}

void PressAltKey(WORD key) {
    SendKeys({{VK_MENU, true}, {key, true}, {key, false}, {VK_MENU, false}});
}

void TypeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : text)
        for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(input);
        }
    Send(inputs);
}

void ClickAt(POINT point) {
    MoveTo(point);
    Mouse(point, MOUSEEVENTF_LEFTDOWN);
    Mouse(point, MOUSEEVENTF_LEFTUP);
}

void DragFromTo(POINT from, POINT to) {
    MoveTo(from);
    Mouse(from, MOUSEEVENTF_LEFTDOWN);
    MoveTo(to);
    Mouse(to, MOUSEEVENTF_LEFTUP);
}

void ClickWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

} // namespace kelvor::driver

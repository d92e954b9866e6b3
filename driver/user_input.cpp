#include "driver/user_input.h"

#include "driver/wait.h"

#include <vector>

namespace kelvor::driver {

namespace {

void Send(std::vector<INPUT>& inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
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
    std::vector<INPUT> inputs(3);
    const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = MulDiv(point.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
        inputs[i].mi.dy = MulDiv(point.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[i];
    }
    SendInput(1, inputs.data(), sizeof(INPUT));
    WaitFor(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == point.x && now.y == point.y;
        },
        2s);
    SendInput(2, inputs.data() + 1, sizeof(INPUT));
}

void ClickWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

} // namespace kelvor::driver

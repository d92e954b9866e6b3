#include "app/win32/keyboard.h"

#include "app/win32/glyph_button.h"
#include "app/win32/window_text.h"

#include <algorithm>
#include <cwctype>

namespace kelvor::win32 {
namespace {

bool KeyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

} // namespace

FormKeys::FormKeys(HWND form, std::initializer_list<HWND> buttons, HWND selectOnEntry)
    : form_(form), buttons_(buttons), selectOnEntry_(selectOnEntry) {}

bool FormKeys::PreTranslate(const MSG& message) const {
    if (message.hwnd != form_ && !IsChild(form_, message.hwnd))
        return false;
    switch (message.message) {
    case WM_KEYDOWN:
        if (message.wParam == VK_TAB && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU)) {
            MoveFocus(KeyDown(VK_SHIFT));
            return true;
        }
        if (message.wParam == VK_RETURN && IsButton(GetFocus())) {
            Press(GetFocus());
            return true;
        }
        return false;
    case WM_SYSCHAR: {
        const auto key = std::towupper(static_cast<wint_t>(message.wParam));
        for (const HWND button : buttons_) {
            const wchar_t mnemonic = CaptionMnemonic(WindowText(button));
            if (mnemonic != 0 && std::towupper(static_cast<wint_t>(mnemonic)) == key) {
                Press(button);
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

void FormKeys::MoveFocus(bool backwards) const {
    HWND focus = GetFocus();
    if (!IsChild(form_, focus))
        focus = nullptr;
    const HWND next = GetNextDlgTabItem(form_, focus, backwards);
    if (!next)
        return;
    SetFocus(next);
    if (next == selectOnEntry_)
        SendMessageW(next, EM_SETSEL, 0, -1);
}

bool FormKeys::IsButton(HWND window) const {
    return std::find(buttons_.begin(), buttons_.end(), window) != buttons_.end();
}

void FormKeys::Press(HWND button) const {
    // A disabled button takes no key; a pressed one keeps the focus where it was.
    if (!IsWindowEnabled(button) || !IsWindowVisible(button))
        return;
    SendMessageW(form_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

} // namespace kelvor::win32

#include "app/win32/work_input.h"

#include "app/win32/glyph_button.h"
#include "app/win32/layout.h"

#include <cwctype>

namespace kelvor::win32 {
namespace {

bool InRange(UINT message, UINT first, UINT last) {
    return message >= first && message <= last;
}

bool IsKey(UINT message) {
    return InRange(message, WM_KEYFIRST, WM_KEYLAST) ||
           InRange(message, WM_IME_STARTCOMPOSITION, WM_IME_KEYLAST) || message == WM_IME_CHAR ||
           message == WM_IME_KEYDOWN || message == WM_IME_KEYUP;
}

// Alt with Exit's key, pressed or as the character it makes.
bool IsExitKey(const MSG& message) {
    static const auto exitKey = static_cast<WPARAM>(
        std::towupper(static_cast<wint_t>(CaptionMnemonic(DesignControlById(ExitButtonId).text))));
    return (message.message == WM_SYSKEYDOWN && message.wParam == exitKey) ||
           (message.message == WM_SYSCHAR &&
            std::towupper(static_cast<wint_t>(message.wParam)) == exitKey);
}

// Alt+Space, which opens the window menu.
bool IsWindowMenuKey(const MSG& message) {
    return (message.message == WM_SYSKEYDOWN && message.wParam == VK_SPACE) ||
           (message.message == WM_SYSCHAR && message.wParam == L' ');
}

std::wstring Grouped(int number) {
    std::wstring digits = std::to_wstring(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), L",");
    return digits;
}

} // namespace

WorkInput DecideWorkInput(const MSG& message, WindowRole role, WorkKind kind, bool inMailboxCall) {
    // Moving, sizing, minimizing, maximizing and the window menu are the window's, not the
    // work's; but not while the mailbox may have a dialog up.
    const bool frame =
        !inMailboxCall && (role == WindowRole::Main || role == WindowRole::Application);
    if (message.message == WM_QUIT)
        return {false, WorkStop::Close};
    if (role == WindowRole::Other)
        return {true, WorkStop::None};
    if (IsKey(message.message)) {
        if ((message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) || IsExitKey(message))
            return {false, WorkStop::Close};
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
            kind != WorkKind::Startup)
            return {false, WorkStop::Stop};
        return {!inMailboxCall && IsWindowMenuKey(message), WorkStop::None};
    }
    // The Exit button takes its own clicks: its press is a close.
    if (InRange(message.message, WM_MOUSEFIRST, WM_MOUSELAST))
        return {role == WindowRole::ExitButton, WorkStop::None};
    if (InRange(message.message, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK)) {
        if (message.message == WM_NCLBUTTONDOWN && message.wParam == HTCLOSE)
            return {false, WorkStop::Close};
        return {frame, WorkStop::None};
    }
    switch (message.message) {
    case WM_CLOSE:
        return {false, WorkStop::Close};
    case WM_SYSCOMMAND:
        if ((message.wParam & 0xFFF0) == SC_CLOSE)
            return {false, WorkStop::Close};
        return {frame, WorkStop::None};
    case WM_COMMAND:
        if (LOWORD(message.wParam) == ExitButtonId && HIWORD(message.wParam) == BN_CLICKED)
            return {false, WorkStop::Close};
        // A button pressed or a subject selected from outside starts nothing; the user name
        // field follows what is set in it, and an export keeps the name it began with.
        return {HIWORD(message.wParam) == EN_CHANGE, WorkStop::None};
    default:
        return {true, WorkStop::None};
    }
}

bool SessionMayEnd(WorkKind kind, LPARAM flags) {
    // The start-up writes nothing that the end could cut off; an end that cannot wait does not.
    return kind == WorkKind::Startup || (flags & ENDSESSION_CRITICAL) != 0;
}

std::wstring ShutdownReason(WorkKind kind, int done, int total) {
    switch (kind) {
    case WorkKind::Export:
        return L"Exporting the selected message";
    case WorkKind::Convert:
        return L"Converting: " + Grouped(done) + L" of " + Grouped(total) + L" messages exported";
    default:
        return {};
    }
}

} // namespace kelvor::win32

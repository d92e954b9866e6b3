#pragma once

// Watches the modal dialogs and message boxes this thread opens, through a WH_CBT hook: records
// what each one shows when it is activated and then answers it with real messages, so that a
// test can run code that waits in a dialog's own message loop.

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvor::testing_support {

struct SeenDialog {
    HWND window = nullptr;
    std::wstring caption;
    std::vector<std::wstring> texts; // of the static controls that show text, in z-order
    bool hasIcon = false;            // a static showing an icon
    HICON icon = nullptr;
    RECT bounds{};
    LONG_PTR style = 0;
    HWND owner = nullptr;
    LRESULT defaultId = 0;
    std::vector<HWND> disabledTopLevel; // this thread's other windows, disabled meanwhile
};

// How a dialog is answered.
enum class Answer { Enter, Escape, CloseBox, Ok };

class DialogWatch {
public:
    explicit DialogWatch(Answer answer = Answer::Enter) : answer_(answer) {
        if (current_)
            throw std::logic_error("one dialog watch at a time");
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;
    ~DialogWatch() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }

    const std::vector<SeenDialog>& Seen() const { return seen_; }
    // Called with each dialog before it is answered.
    std::function<void(HWND)> onShow;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_) {
            const auto window = reinterpret_cast<HWND>(wParam);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == L"#32770" && !current_->Known(window))
                current_->Record(window);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    bool Known(HWND window) const {
        for (const auto& dialog : seen_)
            if (dialog.window == window)
                return true;
        return false;
    }

    static BOOL CALLBACK AddStatic(HWND child, LPARAM param) {
        auto& dialog = *reinterpret_cast<SeenDialog*>(param);
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, L"Static") != 0)
            return TRUE;
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            dialog.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            dialog.hasIcon = dialog.icon != nullptr;
            return TRUE;
        }
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
        if (!text.empty())
            dialog.texts.push_back(text);
        return TRUE;
    }

    static BOOL CALLBACK AddDisabled(HWND window, LPARAM param) {
        auto& dialog = *reinterpret_cast<SeenDialog*>(param);
        if (window != dialog.window && IsWindowVisible(window) && !IsWindowEnabled(window))
            dialog.disabledTopLevel.push_back(window);
        return TRUE;
    }

    void Record(HWND window) {
        SeenDialog dialog;
        dialog.window = window;
        dialog.caption.resize(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
        dialog.caption.resize(static_cast<std::size_t>(GetWindowTextW(
            window, dialog.caption.data(), static_cast<int>(dialog.caption.size()))));
        EnumChildWindows(window, AddStatic, reinterpret_cast<LPARAM>(&dialog));
        EnumThreadWindows(GetCurrentThreadId(), AddDisabled, reinterpret_cast<LPARAM>(&dialog));
        GetWindowRect(window, &dialog.bounds);
        dialog.style = GetWindowLongPtrW(window, GWL_STYLE);
        dialog.owner = GetWindow(window, GW_OWNER);
        dialog.defaultId = LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0));
        seen_.push_back(dialog);
        if (onShow)
            onShow(window);
        // The answer waits in the queue until the dialog's own loop takes it.
        switch (answer_) {
        case Answer::Enter:
        case Answer::Escape: {
            const WPARAM key = answer_ == Answer::Enter ? VK_RETURN : VK_ESCAPE;
            HWND target = GetDlgItem(window, IDOK);
            if (!target)
                target = GetDlgItem(window, IDCANCEL);
            PostMessageW(target ? target : window, WM_KEYDOWN, key, 1);
            PostMessageW(target ? target : window, WM_KEYUP, key, 0xC0000001);
            break;
        }
        case Answer::CloseBox:
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Answer::Ok:
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            break;
        }
    }

    static inline DialogWatch* current_ = nullptr;
    Answer answer_;
    HHOOK hook_ = nullptr;
    std::vector<SeenDialog> seen_;
};

} // namespace kelvor::testing_support

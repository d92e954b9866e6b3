#include "app/win32/controls.h"

#include "app/win32/ansi_text.h"
#include "app/win32/window_text.h"
#include "platform/error.h"

#include <cwchar>

namespace kelvor::win32 {

void ListControl::Clear() {
    SendMessageW(control_, LB_RESETCONTENT, 0, 0);
}

void ListControl::Add(const std::string& item) {
    const std::wstring text = FromAnsi(item);
    const LRESULT added =
        SendMessageW(control_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (added < 0)
        throw Error("Unable to insert a line");
}

int ListControl::Count() const {
    return static_cast<int>(SendMessageW(control_, LB_GETCOUNT, 0, 0));
}

int ListControl::ItemIndex() const {
    const LRESULT index = SendMessageW(control_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void ListControl::SetItemIndex(int index) {
    SendMessageW(control_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void MemoControl::Attach(HWND control) {
    ControlView::Attach(control);
    // Zero asks a multi-line edit control for the largest limit it knows.
    SendMessageW(control_, EM_SETLIMITTEXT, 0, 0);
}

void MemoControl::Clear() {
    SetWindowTextW(control_, L"");
}

void MemoControl::SetText(const std::string& text) {
    std::wstring wide = FromAnsi(text);
    wide.resize(std::wcslen(wide.c_str()));
    if (!SetWindowTextW(control_, wide.c_str()) ||
        static_cast<std::size_t>(GetWindowTextLengthW(control_)) != wide.size())
        throw Error("Text exceeds memo capacity");
}

std::string MemoControl::Text() const {
    return ToAnsi(WindowText(control_));
}

std::string EditControl::Text() const {
    return ToAnsi(WindowText(control_));
}

void EditControl::SetText(const std::string& text) {
    const std::wstring wide = FromAnsi(text);
    if (wide == WindowText(control_))
        return;
    SetWindowTextW(control_, wide.c_str());
    // Edit controls report WM_SETTEXT through EN_CHANGE; this covers one that does not.
    TextMayHaveChanged();
}

void EditControl::SetReadOnly(bool readOnly) {
    SendMessageW(control_, EM_SETREADONLY, readOnly, 0);
}

void EditControl::SetTabStop(bool tabStop) {
    LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
    style = tabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
    SetWindowLongPtrW(control_, GWL_STYLE, style);
}

void EditControl::SetFocus() {
    ::SetFocus(control_);
}

void EditControl::TextMayHaveChanged() {
    std::wstring text = WindowText(control_);
    if (text == seen_)
        return;
    seen_ = std::move(text);
    onChange_();
}

void ButtonControl::SetEnabled(bool enabled) {
    EnableWindow(control_, enabled);
}

bool ButtonControl::Enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void ButtonControl::SetFocus() {
    ::SetFocus(control_);
}

} // namespace kelvor::win32

#include "app/win32/controls.h"

#include "app/win32/ansi_text.h"
#include "app/win32/window_text.h"
#include "platform/error.h"

#include <cwchar>
#include <utility>

namespace kelvor::win32 {

namespace {

void AddItem(HWND list, const std::wstring& item) {
    if (SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())) < 0)
        throw Error("Unable to insert a line");
}

} // namespace

void ListControl::Clear() {
    if (held_) {
        items_.emplace();
        selection_ = -1;
        return;
    }
    SendMessageW(control_, LB_RESETCONTENT, 0, 0);
}

void ListControl::Add(const std::string& item) {
    if (items_) {
        items_->push_back(FromAnsi(item));
        return;
    }
    AddItem(control_, FromAnsi(item));
    ++heldCount_;
}

void ListControl::BeginUpdate() {
    SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
}

void ListControl::EndUpdate() {
    SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(control_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

int ListControl::Count() const {
    if (items_)
        return static_cast<int>(items_->size());
    if (held_)
        return heldCount_;
    return static_cast<int>(SendMessageW(control_, LB_GETCOUNT, 0, 0));
}

int ListControl::ItemIndex() const {
    if (selection_)
        return *selection_;
    const LRESULT index = SendMessageW(control_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void ListControl::SetItemIndex(int index) {
    if (held_) {
        // The control selects nothing for an index it does not have.
        selection_ = index >= 0 && index < Count() ? index : -1;
        return;
    }
    SendMessageW(control_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ListControl::SetHeld(bool held) {
    held_ = held;
    if (held)
        heldCount_ = static_cast<int>(SendMessageW(control_, LB_GETCOUNT, 0, 0));
}

void ListControl::Refresh() {
    const auto items = std::exchange(items_, std::nullopt);
    const auto selection = std::exchange(selection_, std::nullopt);
    if (items) {
        SendMessageW(control_, LB_RESETCONTENT, 0, 0);
        for (const std::wstring& item : *items)
            AddItem(control_, item);
        heldCount_ = static_cast<int>(items->size());
    }
    if (selection)
        SendMessageW(control_, LB_SETCURSEL, static_cast<WPARAM>(*selection), 0);
}

void MemoControl::Clear() {
    if (held_)
        text_.emplace();
    else
        SetWindowTextW(control_, L"");
}

void MemoControl::SetText(const std::string& text) {
    std::wstring wide = FromAnsi(text);
    wide.resize(std::wcslen(wide.c_str()));
    if (held_)
        text_ = std::move(wide);
    else
        Show(wide);
}

std::string MemoControl::Text() const {
    return ToAnsi(text_ ? *text_ : WindowText(control_));
}

void MemoControl::Show(const std::wstring& text) {
    if (!SetWindowTextW(control_, text.c_str()) ||
        static_cast<std::size_t>(GetWindowTextLengthW(control_)) != text.size())
        throw Error("Text exceeds memo capacity");
}

void MemoControl::Refresh() {
    if (const auto text = std::exchange(text_, std::nullopt))
        Show(*text);
}

std::string EditControl::Text() const {
    return ToAnsi(WindowText(control_));
}

void EditControl::SetText(const std::string& text) {
    const std::wstring wide = FromAnsi(text);
    setting_ = true;
    SetWindowTextW(control_, wide.c_str());
    setting_ = false;
    if (TakeChange())
        onChange_();
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

bool EditControl::TakeChange() {
    // Setting the text reports its change by EN_CHANGE, within the call: SetText takes it.
    if (setting_)
        return false;
    std::wstring text = WindowText(control_);
    if (text == seen_)
        return false;
    seen_ = std::move(text);
    return true;
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

#pragma once

// The form's views over the real Win32 controls. Each is attached to its control once the
// window has created it.

#include "app/form_views.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvor::win32 {

class ControlView {
public:
    void Attach(HWND control) { control_ = control; }
    HWND Handle() const { return control_; }

protected:
    HWND control_ = nullptr;
};

// The views that exports fill can be held: their changes then wait in memory, where the views
// read them back, and reach the control at the next Refresh. Laying out a text or a list costs
// far more than the export that fills it.

// A list box; selecting from the program (LB_SETCURSEL) sends no notification.
class ListControl final : public ListView, public ControlView {
public:
    void Clear() override;
    void Add(const std::string& item) override;
    // Filled item by item, the list repaints and rescales its scroll bar once, at the end: a
    // mailbox of thousands of subjects would otherwise take minutes to list.
    void BeginUpdate() override;
    void EndUpdate() override;
    int Count() const override;
    int ItemIndex() const override;
    void SetItemIndex(int index) override;

    void SetHeld(bool held);
    bool Pending() const { return items_ || selection_; }
    void Refresh();

private:
    bool held_ = false;
    // While held, the control's count, which changes only through this object: under Wine each
    // question to the control is a round trip to the window server, once an export.
    int heldCount_ = 0;
    // Once a held Clear replaced them: the items the control is to show.
    std::optional<std::vector<std::wstring>> items_;
    std::optional<int> selection_;
};

// The read-only memo. Its capacity is what the control takes: its limit is set as high as it
// goes, and setting a text beyond its memory fails.
class MemoControl final : public MessageView, public ControlView {
public:
    void Clear() override;
    void SetText(const std::string& text) override;
    std::string Text() const override;

    void SetHeld(bool held) { held_ = held; }
    bool Pending() const { return text_.has_value(); }
    void Refresh();

private:
    void Show(const std::wstring& text);

    bool held_ = false;
    std::optional<std::wstring> text_;
};

// The user name field. Its change handler runs only when the text differs from the text it
// last saw, whoever changed it.
class EditControl final : public EditView, public ControlView {
public:
    explicit EditControl(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    std::string Text() const override;
    // The change handler runs within the call, so that an error in it ends the handler that set
    // the text.
    void SetText(const std::string& text) override;
    void SetReadOnly(bool readOnly) override;
    void SetTabStop(bool tabStop) override;
    void SetFocus() override;

    // For EN_CHANGE: whether the text differs from the one last seen. The caller then runs the
    // change handler, guarded as the user's other handlers are.
    bool TakeChange();

private:
    std::function<void()> onChange_;
    std::wstring seen_;
    bool setting_ = false;
};

class ButtonControl final : public ButtonView, public ControlView {
public:
    void SetEnabled(bool enabled) override;
    bool Enabled() const override;
    void SetFocus() override;
};

} // namespace kelvor::win32

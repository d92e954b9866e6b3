#pragma once

// The main window "KELVOR": the real controls behind the form's views, the form's events, and
// what the form needs of its host (dialogs, closing, the process).

#include "app/main_form.h"
#include "app/win32/application.h"
#include "app/win32/content_scroller.h"
#include "app/win32/controls.h"
#include "app/win32/glyph_button.h"
#include "app/win32/held_views.h"
#include "app/win32/keyboard.h"
#include "app/win32/layout.h"
#include "app/win32/process_info.h"
#include "app/win32/taskbar_progress.h"
#include "app/win32/unique_handle.h"
#include "app/win32/window_class.h"
#include "mailbox/com/mapi_controls.h"
#include "mailbox/mailbox_source.h"
#include "platform/path.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace kelvor::win32 {

class MainWindow final : public FormHost {
public:
    // Builds the window and its controls, hidden, owned by the application's window: with the
    // MAPI controls hosted on it (created with `keys`), or with another mailbox that outlives the
    // window.
    MainWindow(Application& application, ProcessInfo process, const MapiLicenseKeys& keys);
    MainWindow(Application& application, MailboxSource& mailbox, ProcessInfo process);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return window_.get(); }
    HWND Control(ControlId id) const { return GetDlgItem(window_.get(), id); }
    const Scaling& Layout() const { return scaling_; }
    const MainForm& Form() const { return *form_; }

    // Shows the task-bar button and the window in the show state the process was started
    // with, a minimized start the button alone until it is restored; the start-up sequence has
    // run once this returns.
    void Show(int showCommand);

    // FormHost
    void ShowErrorDialog(const std::string& text) override;
    void Close() override;
    std::unique_ptr<BusyWork> BeginWork(WorkKind kind) override;
    void SetInputEnabled(bool enabled) override;
    Path ExecutablePath() const override { return process_.executablePath; }
    std::string CommandLine() const override { return process_.commandLine; }
    std::unique_ptr<ExportBatch> BeginBatch(int total) override;
    void Wake() override { application_.Wake(); }

    bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    MainWindow(Application& application, MailboxSource* mailbox, ProcessInfo process,
               const MapiLicenseKeys& keys);
    void CreateFonts();
    void CreateControls();
    void RunStartupOnce();
    void OnActivate(WPARAM wParam);
    void RestoreFocus();
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnCommand(int id, int notification);
    void OnSubjectSelected();
    // Sees the keys of the subject list before the list handles them.
    static LRESULT CALLBACK SubjectListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) noexcept;
    bool OnColourStatic(HDC dc, HWND control, LRESULT& result);
    // Before a dialog: the views show what the exports left in them.
    void ReleaseViews() noexcept;

    Application& application_;
    ProcessInfo process_;
    EditControl userName_;
    ButtonControl convertButton_;
    ListControl subjectList_;
    MemoControl messageView_;
    ListControl attachmentList_;
    HeldViews views_;
    std::unique_ptr<MapiControls> mapiControls_;
    std::optional<MainForm> form_;

    Scaling scaling_;
    UniqueFont font_;
    UniqueFont boldFont_;
    ButtonGlyphs convertGlyph_;
    ButtonGlyphs exitGlyph_;
    ContentScroller scroller_;
    std::unique_ptr<FormKeys> keys_;
    std::unique_ptr<TaskbarProgress> taskbar_;
    HWND savedFocus_ = nullptr;
    bool started_ = false;
    // The key whose press the subject list handles was already down: it repeats.
    bool keyRepeating_ = false;
    // Last, so destroyed first: the window and its controls go before the members that work on
    // them.
    ObjectWindow window_;
};

} // namespace kelvor::win32

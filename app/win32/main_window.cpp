#include "app/win32/main_window.h"

#include "app/win32/ansi_text.h"
#include "app/win32/artwork.h"
#include "app/win32/busy_work.h"
#include "app/win32/convert_batch.h"
#include "app/win32/error_dialog.h"
#include "app/win32/window_class.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace kelvor::win32 {
namespace {

constexpr wchar_t ClassName[] = L"KelvorMainWindow";

UniqueFont MakeFont(int height, int weight) {
    UniqueFont font(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, FontFace));
    if (!font)
        throw Error("Cannot create the window's font");
    return font;
}

struct ControlStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD extendedStyle;
};

ControlStyle StyleOf(const DesignControl& control) {
    switch (control.kind) {
    case ControlKind::Edit:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::GlyphButton:
        // Convert waits for a user name.
        return {L"BUTTON",
                WS_TABSTOP | BS_OWNERDRAW | (control.id == ConvertButtonId ? WS_DISABLED : 0u), 0};
    case ControlKind::List:
        return {L"LISTBOX",
                WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                    (control.id == SubjectListId ? WS_TABSTOP : 0u),
                WS_EX_CLIENTEDGE};
    case ControlKind::Memo:
        return {L"EDIT", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    }
    throw Error("Unknown control kind");
}

SIZE TextSize(HFONT font, std::wstring_view text) {
    const ScreenDC screen;
    const SelectedObject selected(screen.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

bool IsMinimizing(int showCommand) {
    return showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ||
           showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_FORCEMINIMIZE;
}

} // namespace

MainWindow::MainWindow(Application& application, ProcessInfo process, const MapiLicenseKeys& keys)
    : MainWindow(application, nullptr, std::move(process), keys) {}

MainWindow::MainWindow(Application& application, MailboxSource& mailbox, ProcessInfo process)
    : MainWindow(application, &mailbox, std::move(process), {}) {}

MainWindow::MainWindow(Application& application, MailboxSource* mailbox, ProcessInfo process,
                       const MapiLicenseKeys& keys)
    : application_(application), process_(std::move(process)),
      userName_([this] { form_->OnUserNameChange(); }),
      views_(subjectList_, messageView_, attachmentList_), convertGlyph_(ConvertGlyph),
      exitGlyph_(ExitGlyph) {
    CreateFonts();
    RegisterObjectClass<MainWindow>(
        ClassName, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    if (!CreateWindowExW(0, ClassName, WindowCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         WindowBounds.left, WindowBounds.top,
                         WindowBounds.right - WindowBounds.left,
                         WindowBounds.bottom - WindowBounds.top, application.Window(), nullptr,
                         GetModuleHandleW(nullptr), this))
        throw Error("Cannot create the main window");
    try {
        // The controls are hosted on the window, which owns their dialogs.
        if (!mailbox) {
            mapiControls_ = std::make_unique<MapiControls>(window_.get(), keys);
            mailbox = mapiControls_.get();
        }
        form_.emplace(MainFormControls{userName_, convertButton_, subjectList_, messageView_,
                                       attachmentList_},
                      *this, *mailbox);
        const auto icon = reinterpret_cast<LPARAM>(application.Icon());
        SendMessageW(window_.get(), WM_SETICON, ICON_BIG, icon);
        SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, icon);
        CreateControls();
        keys_ = std::make_unique<FormKeys>(
            window_.get(),
            std::initializer_list<HWND>{Control(ConvertButtonId), Control(ExitButtonId)},
            Control(UserNameId));
        taskbar_ = std::make_unique<TaskbarProgress>(application.Window());
    } catch (...) {
        // Closed while their site's window is still there; the window goes with the members.
        mapiControls_.reset();
        throw;
    }
    application.SetMainWindow(window_.get(),
                              [this](const MSG& message) { return keys_->PreTranslate(message); });
    application.SetBeforeErrorDisplay([this] { views_.Release(); });
}

MainWindow::~MainWindow() {
    application_.SetBeforeErrorDisplay({});
    application_.SetMainWindow(nullptr, {});
    RemoveWindowSubclass(Control(SubjectListId), &MainWindow::SubjectListProc, 0);
    // Closed and unsited while their site's window is still there.
    mapiControls_.reset();
}

void MainWindow::CreateFonts() {
    const ScreenDC screen;
    const int pixelsPerInch = GetDeviceCaps(screen.get(), LOGPIXELSY);
    font_ = MakeFont(Scaling::FontHeightFor(pixelsPerInch), FW_NORMAL);
    scaling_ = Scaling(pixelsPerInch, TextSize(font_.get(), L"0").cy);
    boldFont_ = MakeFont(scaling_.Scale(DesignFontHeight), FW_BOLD);
}

void MainWindow::CreateControls() {
    SIZE content{0, 0};
    for (const DesignControl& control : DesignLayout()) {
        RECT bounds = scaling_.ControlRect(control);
        if (control.kind == ControlKind::Label) {
            // Labels fit their text, whatever the font on this machine measures.
            const SIZE text = TextSize(font_.get(), control.text);
            bounds.right = bounds.left + text.cx;
            bounds.bottom = bounds.top + text.cy;
        }
        const ControlStyle style = StyleOf(control);
        const HWND created =
            CreateWindowExW(style.extendedStyle, style.windowClass, control.text,
                            WS_CHILD | WS_VISIBLE | style.style, bounds.left, bounds.top,
                            bounds.right - bounds.left, bounds.bottom - bounds.top, window_.get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                            GetModuleHandleW(nullptr), nullptr);
        if (!created)
            throw Error("Cannot create the window's controls");
        const HFONT font = control.id == ConvertButtonId ? boldFont_.get() : font_.get();
        SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control.kind == ControlKind::List)
            SendMessageW(created, LB_SETITEMHEIGHT, 0, scaling_.Scale(DesignItemHeight));
        // Zero asks a multi-line edit control for the largest limit it knows.
        if (control.kind == ControlKind::Memo)
            SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
        content.cx = std::max(content.cx, bounds.right);
        content.cy = std::max(content.cy, bounds.bottom);
    }
    userName_.Attach(Control(UserNameId));
    convertButton_.Attach(Control(ConvertButtonId));
    subjectList_.Attach(Control(SubjectListId));
    messageView_.Attach(Control(MessageViewId));
    attachmentList_.Attach(Control(AttachmentListId));
    scroller_.Attach(window_.get());
    scroller_.SetContentSize(content);
}

void MainWindow::Show(int showCommand) {
    // A start asked to be minimized waits on the task-bar button from the first; the window shows
    // when the button is restored.
    if (IsMinimizing(showCommand)) {
        application_.Minimize();
    } else {
        application_.ShowButton();
        ShowWindow(window_.get(),
                   showCommand == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }
    // Should the system have shown the window without activating it, or not shown it.
    RunStartupOnce();
}

void MainWindow::ShowErrorDialog(const std::string& text) {
    if (application_.Terminated())
        return;
    ReleaseViews();
    win32::ShowErrorDialog(window_.get(), FromAnsi(text));
}

void MainWindow::Close() {
    // Windows is ending the session: the program goes without signing off.
    if (application_.SessionEnding())
        return;
    // Closing goes on whatever signing off does.
    try {
        form_->OnClose();
    } catch (...) {
        application_.ShowHandlerError(std::current_exception());
    }
    application_.Terminate();
}

std::unique_ptr<BusyWork> MainWindow::BeginWork(WorkKind kind) {
    return std::make_unique<Work>(application_, kind);
}

void MainWindow::SetInputEnabled(bool enabled) {
    if (Work* work = application_.CurrentWork())
        work->FilterForeignLoops(!enabled);
}

std::unique_ptr<ExportBatch> MainWindow::BeginBatch(int total) {
    return std::make_unique<ConvertBatch>(application_, window_.get(), views_, *taskbar_, total);
}

void MainWindow::RunStartupOnce() {
    if (started_)
        return;
    started_ = true;
    application_.Guarded([this] { form_->RunStartup(); });
    // Not before: every message to the list passes a subclass, under Wine a round trip to its
    // server for each subject the start-up adds.
    SetWindowSubclass(Control(SubjectListId), &MainWindow::SubjectListProc, 0,
                      reinterpret_cast<DWORD_PTR>(this));
}

void MainWindow::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window_.get(), focus))
            savedFocus_ = focus;
        return;
    }
    if (!HIWORD(wParam))
        RestoreFocus();
    RunStartupOnce();
}

void MainWindow::RestoreFocus() {
    HWND target = savedFocus_;
    if (!target || !IsChild(window_.get(), target) || !IsWindowEnabled(target) ||
        !IsWindowVisible(target))
        target = GetNextDlgTabItem(window_.get(), nullptr, FALSE);
    if (target)
        SetFocus(target);
}

void MainWindow::OnCommand(int id, int notification) {
    switch (id) {
    case UserNameId:
        if (notification == EN_CHANGE && userName_.TakeChange())
            form_->OnUserNameChange();
        break;
    case ConvertButtonId:
        if (notification == BN_CLICKED)
            form_->ConvertAll();
        break;
    case ExitButtonId:
        if (notification == BN_CLICKED)
            form_->OnExitClick();
        break;
    case SubjectListId:
        if (notification == LBN_SELCHANGE)
            OnSubjectSelected();
        break;
    default:
        break;
    }
}

void MainWindow::OnSubjectSelected() {
    // A key held down selects faster than the controls can show: they follow at most a few times
    // a second and catch up when it comes up. Anything else is shown at once.
    if (!keyRepeating_) {
        views_.Release();
        form_->ExportSelected();
        return;
    }
    views_.HoldForRepeat();
    form_->ExportSelected();
    views_.RefreshIfDue();
}

LRESULT CALLBACK MainWindow::SubjectListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR self) noexcept {
    auto& window = *reinterpret_cast<MainWindow*>(self);
    switch (message) {
    case WM_KEYDOWN: {
        // The selection changes within the list's own handling of the key.
        constexpr LPARAM WasDown = 1 << 30;
        window.keyRepeating_ = (lParam & WasDown) != 0;
        const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
        // An export that took messages meanwhile may have taken the key's coming up, and dropped
        // it: the repeat ends all the same.
        if (std::exchange(window.keyRepeating_, false) &&
            GetKeyState(static_cast<int>(wParam)) >= 0)
            window.application_.Guarded([&window] { window.views_.EndRepeat(); });
        return result;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
        window.application_.Guarded([&window] { window.views_.EndRepeat(); });
        break;
    default:
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

bool MainWindow::OnColourStatic(HDC dc, HWND control, LRESULT& result) {
    // Read-only edit controls ask for a static's colours; they keep the window colour here.
    if (control != Control(MessageViewId) && control != Control(UserNameId))
        return false;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
}

void MainWindow::ReleaseViews() noexcept {
    try {
        views_.Release();
    } catch (...) {
        // The error that is being shown comes first; the views show what they could take.
    }
}

bool MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT& result) {
    OwnObjectWindow(window_, window, message);
    // Sent messages pass the work's filter here, as queued ones pass it in the loop.
    if (!application_.Admit(MSG{window, message, wParam, lParam, 0, {}}))
        return true;
    bool handled = false;
    application_.Guarded([&] { handled = Handle(message, wParam, lParam, result); });
    return handled;
}

bool MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0)
            return false;
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return true;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID != ConvertButtonId && item.CtlID != ExitButtonId)
            return false;
        const SelectedObject font(
            item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
        DrawGlyphButton(item, item.CtlID == ConvertButtonId ? convertGlyph_ : exitGlyph_);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        return OnColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                              result);
    case WM_ACTIVATE:
        OnActivate(wParam);
        return true;
    case WM_SETFOCUS:
        RestoreFocus();
        return true;
    case WM_CLOSE:
        Close();
        return true;
    case WM_SYSCOMMAND:
        // The window goes with its task-bar button.
        if ((wParam & 0xFFF0) != SC_MINIMIZE)
            return false;
        application_.Minimize();
        return true;
    case WM_SETCURSOR:
        // The frame keeps its own pointers.
        if (!application_.CurrentWork() || LOWORD(lParam) != HTCLIENT)
            return false;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        result = TRUE;
        return true;
    case WM_QUERYENDSESSION: {
        // Only a question: the work goes on whatever the answer, and the end may not follow.
        Work* work = application_.CurrentWork();
        result = !work || work->MayEndSession(lParam);
        return true;
    }
    case WM_ENDSESSION:
        // The end, wherever it arrives: when this returns, the program may be ended at any moment.
        // The writer gives up what it has not published, the work under way stops at its next
        // step, if there is one, and nothing signs off.
        if (wParam) {
            application_.EndSession();
            form_->OnEndSession();
        }
        return true;
    case WM_SIZE:
        scroller_.Update();
        return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam != 0)
            return false;
        scroller_.OnScroll(message == WM_HSCROLL, LOWORD(wParam));
        return true;
    default:
        return false;
    }
}

} // namespace kelvor::win32

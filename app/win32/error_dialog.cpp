#include "app/win32/error_dialog.h"

#include "app/win32/modal_scope.h"
#include "app/win32/unique_handle.h"
#include "platform/error.h"

#include <algorithm>

namespace kelvor::win32 {
namespace {

constexpr int IconId = 100;
constexpr int TextId = 101;
constexpr WORD ButtonClass = 0x0080;
constexpr WORD StaticClass = 0x0082;

// A dialog template in memory: a header, then one item a control, each DWORD aligned.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, std::wstring_view caption, WORD pointSize, std::wstring_view face) {
        DLGTEMPLATE header{};
        header.style = style;
        Append(&header, sizeof header);
        AppendWord(0); // no menu
        AppendWord(0); // the dialog class
        AppendString(caption);
        AppendWord(pointSize);
        AppendString(face);
    }

    void AddItem(DWORD style, WORD id, WORD windowClass, std::wstring_view text) {
        Align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.cx = 10;
        item.cy = 10;
        item.id = id;
        Append(&item, sizeof item);
        AppendWord(0xFFFF);
        AppendWord(windowClass);
        AppendString(text);
        AppendWord(0); // no creation data
        ++reinterpret_cast<DLGTEMPLATE*>(bytes_.data())->cdit;
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Append(const void* data, std::size_t size) {
        const auto* begin = static_cast<const char*>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
    }
    void AppendWord(WORD value) { Append(&value, sizeof value); }
    void AppendString(std::wstring_view text) {
        Append(text.data(), text.size() * sizeof(wchar_t));
        AppendWord(0);
    }
    void Align() {
        while (bytes_.size() % 4 != 0)
            bytes_.push_back(0);
    }

    // The allocation is aligned well beyond the DWORD the system requires of a template.
    std::vector<char> bytes_;
};

struct DialogState {
    const std::wstring* text;
    ModalScope* scope;
};

int TextWidth(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Places the icon, the text and the button, sizes the dialog to them and centres it on the
// screen.
void Arrange(HWND dialog, const std::wstring& text) {
    const HWND icon = GetDlgItem(dialog, IconId);
    const HWND label = GetDlgItem(dialog, TextId);
    const HWND button = GetDlgItem(dialog, IDOK);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_HAND)), 0);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::vector<std::wstring> lines;
    int textWidth = 0;
    int lineHeight = 0;
    {
        const UniqueWindowDC labelDC(GetDC(label));
        const HDC dc = labelDC.get();
        SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        lines = WrapText(dc, text, screenWidth / 2);
        for (const auto& line : lines)
            textWidth = std::max(textWidth, TextWidth(dc, line));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineHeight = metrics.tmHeight;
    }
    std::wstring shown;
    for (const auto& line : lines)
        shown += (shown.empty() ? L"" : L"\r\n") + line;
    SetWindowTextW(label, shown.c_str());

    RECT units{8, 8, 50, 14}; // margin and button size in dialog units
    MapDialogRect(dialog, &units);
    const int margin = units.left;
    const int buttonWidth = units.right;
    const int buttonHeight = units.bottom;
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;
    const int bodyHeight = std::max(iconSize, textHeight);
    const int textLeft = margin + iconSize + margin;
    const int clientWidth = std::max(textLeft + textWidth + margin, buttonWidth + 2 * margin);
    const int buttonTop = margin + bodyHeight + margin;
    const int clientHeight = buttonTop + buttonHeight + margin;

    MoveWindow(icon, margin, margin + (bodyHeight - iconSize) / 2, iconSize, iconSize, FALSE);
    MoveWindow(label, textLeft, margin + (bodyHeight - textHeight) / 2, textWidth + 1, textHeight,
               FALSE);
    MoveWindow(button, (clientWidth - buttonWidth) / 2, buttonTop, buttonWidth, buttonHeight,
               FALSE);

    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(dialog, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK ErrorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
        case WM_INITDIALOG: {
            const auto* state = reinterpret_cast<const DialogState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Arrange(dialog, *state->text);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                state->scope->Restore();
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
        }
    } catch (...) {
        EndDialog(dialog, IDCANCEL);
    }
    return FALSE;
}

} // namespace

void ShowErrorDialog(HWND owner, const std::wstring& text) {
    DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          ErrorDialogCaption, 8, L"MS Shell Dlg");
    dialog.AddItem(SS_ICON, IconId, StaticClass, L"");
    dialog.AddItem(SS_LEFT | SS_NOPREFIX, TextId, StaticClass, L"");
    dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, ButtonClass, L"OK");

    ModalScope scope(owner);
    DialogState state{&text, &scope};
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, ErrorDialogProc,
                                reinterpret_cast<LPARAM>(&state));
    if (result == -1)
        throw Error("Cannot show the error dialog");
}

std::vector<std::wstring> WrapText(HDC dc, std::wstring_view text, int maxWidth) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        std::wstring_view rest =
            text.substr(start, end == std::wstring_view::npos ? text.npos : end - start);
        bool first = true;
        while (first || !rest.empty()) {
            first = false;
            int fit = 0;
            SIZE size{};
            GetTextExtentExPointW(dc, rest.data(), static_cast<int>(rest.size()), maxWidth, &fit,
                                  nullptr, &size);
            std::size_t take = rest.size();
            if (static_cast<std::size_t>(fit) < rest.size()) {
                const std::size_t blank =
                    rest.substr(0, static_cast<std::size_t>(fit) + 1).rfind(L' ');
                take = blank != std::wstring_view::npos && blank > 0
                           ? blank
                           : std::max<std::size_t>(static_cast<std::size_t>(fit), 1);
            }
            std::wstring_view line = rest.substr(0, take);
            while (!line.empty() && line.back() == L' ')
                line.remove_suffix(1);
            lines.emplace_back(line);
            rest.remove_prefix(take);
            while (!rest.empty() && rest.front() == L' ')
                rest.remove_prefix(1);
        }
        if (end == std::wstring_view::npos)
            break;
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

} // namespace kelvor::win32

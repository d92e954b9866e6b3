#include "standin/logon_dialog.h"

#include "standin/failure.h"
#include "standin/module.h"
#include "standin/stage.h"
#include "standin/text.h"

#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

namespace kelvor::standin {
namespace {

constexpr WORD ButtonClass = 0x0080;
constexpr WORD StaticClass = 0x0082;
constexpr WORD NoId = 0xFFFF;

// The template's fixed parts follow each other without padding.
static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18);

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    WORD windowClass;
    std::wstring_view text;
};

// A dialog template is a sequence of WORDs: the fixed parts, then texts with their terminating
// zero, each item starting on a DWORD boundary.
class TemplateWriter {
public:
    template <class Fixed> void PutFixed(const Fixed& part) {
        static_assert(sizeof(Fixed) % sizeof(WORD) == 0);
        const std::size_t at = words_.size();
        words_.resize(at + sizeof(Fixed) / sizeof(WORD));
        std::memcpy(words_.data() + at, &part, sizeof(Fixed));
    }
    void PutWord(WORD word) { words_.push_back(word); }
    void PutText(std::wstring_view text) {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0)
            words_.push_back(0);
    }
    // The vector's storage is aligned for any fundamental type, as DialogBoxIndirect requires.
    const DLGTEMPLATE* Template() const {
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

private:
    std::vector<WORD> words_;
};

TemplateWriter LogonTemplate() {
    const Item items[] = {
        {SS_LEFT | WS_CHILD | WS_VISIBLE, 7, 7, 166, 16, NoId, StaticClass,
         L"Signing on to the stand-in mailbox."},
        {BS_DEFPUSHBUTTON | WS_CHILD | WS_VISIBLE | WS_TABSTOP, 65, 30, 50, 14, IDOK, ButtonClass,
         L"OK"},
    };
    TemplateWriter writer;
    writer.PutFixed(
        DLGTEMPLATE{DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                    static_cast<WORD>(std::size(items)), 0, 0, 180, 51});
    writer.PutWord(0); // no menu
    writer.PutWord(0); // the system's dialog class
    writer.PutText(L"Stand-in logon");
    writer.PutWord(8); // the font's size in points
    writer.PutText(L"MS Shell Dlg");
    for (const Item& item : items) {
        writer.AlignToDword();
        writer.PutFixed(DLGITEMTEMPLATE{item.style, 0, item.x, item.y, item.cx, item.cy, item.id});
        writer.PutWord(0xFFFF); // a predefined class by its atom
        writer.PutWord(item.windowClass);
        writer.PutText(item.text);
        writer.PutWord(0); // no creation data
    }
    return writer;
}

INT_PTR CALLBACK LogonProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        LogQuietly("LogonDialog shown");
        return TRUE;
    case WM_COMMAND:
        // The dialog manager turns Esc and the close box into IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

void ShowLogonDialog(HWND owner) {
    const TemplateWriter writer = LogonTemplate();
    if (DialogBoxIndirectParamW(ModuleHandle(), writer.Template(), owner, LogonProcedure, 0) ==
        -1) {
        const DWORD error = GetLastError();
        throw Failure{error ? HRESULT_FROM_WIN32(error) : E_FAIL,
                      L"Cannot show the logon dialog: " + SystemMessage(error)};
    }
    // As Windows' dialog manager does when a modal dialog ends, whatever the owner's state was
    // before; Wine's leaves a disabled owner disabled.
    if (owner)
        EnableWindow(owner, TRUE);
    Stage::Instance().Log("LogonDialog closed");
}

} // namespace kelvor::standin

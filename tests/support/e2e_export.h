#pragma once

// Exports of the real kelvor.exe seen from outside: the files each export should leave in the
// gateway tree, and the user's side of the window (clicks on subjects, typing, the message boxes
// the program shows).

#include "app/win32/layout.h"
#include "support/win32_kelvor_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvor::testing_support {

// The bytes of a file, or "(missing)" when there is none, so that a comparison names the case.
inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "(missing)";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the gateway tree should hold: every file the exports so far wrote, with its bytes.
class ExpectedGateway {
public:
    // A whole export of `message` as number n. An export that failed leaves nothing.
    void Export(int n, const MailMessage& message, std::string_view user) {
        apiIn_[std::to_string(n) + ".API"] = RequestBytes(n, message, user);
        attIn_[std::to_string(n) + ".MSG"] = message.body;
        for (std::size_t k = 0; k < message.attachments.size(); ++k)
            attIn_[std::to_string(n) + "." + std::to_string(k)] = message.attachments[k].bytes;
    }

    // Both directories hold exactly the expected files, each with the expected bytes.
    void ExpectOnDisk(const ProgramFolder& folder) const { ExpectOnDisk(folder.Gateway()); }
    void ExpectOnDisk(const std::filesystem::path& gateway) const {
        EXPECT_EQ(ListingOf(gateway / "API_IN"), Names(apiIn_)) << "files in API_IN";
        EXPECT_EQ(ListingOf(gateway / "ATT_IN"), Names(attIn_)) << "files in ATT_IN";
        for (const auto& [directory, files] : {std::pair{"API_IN", &apiIn_}, {"ATT_IN", &attIn_}})
            for (const auto& [name, bytes] : *files)
                EXPECT_EQ(FileBytes(gateway / directory / name), bytes)
                    << directory << "\\" << name;
    }
    // Both directories hold the expected names and no others.
    bool Listed(const std::filesystem::path& gateway) const {
        return ListingOf(gateway / "API_IN") == Names(apiIn_) &&
               ListingOf(gateway / "ATT_IN") == Names(attIn_);
    }

private:
    // The names sorted as a listing sorts them, joined by spaces.
    static std::string Names(const std::map<std::string, std::string>& files) {
        std::string names;
        for (const auto& [name, bytes] : files)
            names += (names.empty() ? "" : " ") + name;
        return names;
    }

    std::map<std::string, std::string> apiIn_;
    std::map<std::string, std::string> attIn_;
};

// Waits until the file holds exactly `expected` (a request file appears whole when it closes).
inline bool WaitForBytes(const std::filesystem::path& path, const std::string& expected,
                         std::chrono::milliseconds timeout = 30s) {
    return WaitFor([&] { return FileBytes(path) == expected; }, timeout);
}

inline std::string Ansi(std::wstring_view wide) {
    return Narrow(wide, CP_ACP);
}

// The main window of a running kelvor.exe, looked at and used from outside.
class KelvorWindow {
public:
    explicit KelvorWindow(HWND window) : window_(window) {}

    // Waits until the program is idle, its start-up or Convert done, and brings
    // the window to the front.
    bool Ready() const { return window_ && WaitIdle(window_) && BringToFront(window_); }

    HWND Handle() const { return window_; }
    HWND Control(win32::ControlId id) const { return GetDlgItem(window_, id); }

    // A click on line `index` of the subject list.
    void ClickSubject(int index) const {
        const HWND list = Control(win32::SubjectListId);
        RECT item{};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(list, &middle);
        ClickAt(middle);
    }
    void ClickControl(win32::ControlId id) const {
        RECT rect{};
        GetWindowRect(Control(id), &rect);
        ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }

    bool ConvertEnabled() const {
        return IsWindowEnabled(Control(win32::ConvertButtonId)) != FALSE;
    }
    int SelectedSubject() const {
        return static_cast<int>(SendMessageW(Control(win32::SubjectListId), LB_GETCURSEL, 0, 0));
    }
    std::string MemoText() const { return Ansi(RemoteText(Control(win32::MessageViewId))); }
    std::vector<std::wstring> AttachmentList() const {
        return RemoteListItems(Control(win32::AttachmentListId));
    }
    // The control of the window's thread that has the keyboard focus.
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
        return info.hwndFocus;
    }
    // Open and taking input: no modal box in front of it.
    bool Usable() const { return IsWindowVisible(window_) && IsWindowEnabled(window_); }

private:
    HWND window_;
};

// A modal box or dialog of the program: the general error display ("Kelvor") or the error dialog
// ("Error").
class ProgramBox {
public:
    ProgramBox(const ChildProcess& process, const wchar_t* caption,
               std::chrono::milliseconds timeout = 30s)
        : window_(process.FindWindowByCaption(caption, L"#32770", timeout)) {}

    explicit operator bool() const { return window_ != nullptr; }
    HWND Handle() const { return window_; }

    // The text it shows (its static controls that hold text, joined by line ends).
    std::wstring Text() const {
        std::wstring text;
        for (HWND child = GetWindow(window_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"Static") != 0 ||
                (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                continue;
            const std::wstring part = RemoteText(child);
            if (!part.empty())
                text += (text.empty() ? L"" : L"\n") + part;
        }
        return text;
    }

    // Presses its OK button and waits until it has gone.
    bool PressOk() const {
        PostMessageW(GetDlgItem(window_, IDOK), BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(window_) || !IsWindowVisible(window_); });
    }

private:
    HWND window_;
};

} // namespace kelvor::testing_support

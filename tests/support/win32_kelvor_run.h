#pragma once

// One run of the real kelvor.exe for an end-to-end test: a copy of the program in a folder of
// its own with kelvor.prm and a gateway tree beside it, a stand-in mailbox and its call log.

#include "driver/child_process.h"
#include "driver/narrow_text.h"
#include "driver/remote_window.h"
#include "driver/user_input.h"
#include "driver/wait.h"
#include "support/mail_messages.h"
#include "support/native_path.h"
#include "support/program_folder.h"
#include "support/standin_mailbox.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::testing_support {

using namespace driver;

class KelvorRun {
public:
    // `program` is a build of kelvor.exe, copied as kelvor.exe into the program's folder, which
    // may be given a name of its own.
    explicit KelvorRun(std::string_view mailboxJson, const char* program = KELVOR_EXE,
                       const std::filesystem::path& programFolder = {})
        : folder_(programFolder), mailbox_(mailboxJson) {
        folder_.MakeGatewayTree();
        folder_.WriteConfiguration("kelvor", "mail");
        std::filesystem::copy_file(NativePath(program), folder_.ExecutablePath());
    }

    const ProgramFolder& Folder() const { return folder_; }
    const StandinMailbox& Mailbox() const { return mailbox_; }

    // Starts the program with `arguments` after its name, in the given show state.
    ChildProcess& Start(std::wstring_view arguments = L"", int showCommand = SW_SHOWNORMAL) {
        std::wstring line = L"kelvor.exe";
        if (!arguments.empty())
            line += L" " + std::wstring(arguments);
        process_ =
            std::make_unique<ChildProcess>(folder_.ExecutablePath().wstring(), line, showCommand);
        return *process_;
    }

    ChildProcess& Process() { return *process_; }

    // The main window, once the start-up sequence has run and the program waits for input.
    HWND MainWindow() {
        const HWND window = process_->FindWindowByCaption(L"KELVOR");
        if (window)
            driver::WaitIdle(window);
        return window;
    }

    std::vector<std::string> Log() const { return mailbox_.LogLines(); }
    // Whether a line of the log starts with `prefix` ("get MsgNoteText" matches the line that
    // also shows the value read).
    bool Logged(std::string_view prefix) const {
        const auto lines = Log();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.starts_with(prefix); });
    }
    int CountInLog(std::string_view line) const {
        const auto lines = Log();
        return static_cast<int>(std::count(lines.begin(), lines.end(), std::string(line)));
    }

private:
    ProgramFolder folder_;
    StandinMailbox mailbox_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace kelvor::testing_support

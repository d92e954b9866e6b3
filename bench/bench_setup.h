#pragma once

// Set-up shared by the benchmarks that run the real kelvor.exe under Wine: a generated mailbox
// for the stand-in controls, and a copy of the program beside a kelvor.prm.

#include "driver/child_process.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kelvor::bench {

struct MailboxShape {
    int messages = 0;
    std::size_t textBytes = 0;
    // The files attached, in this order, to every `attachmentEvery`-th message (0, k, 2k ...).
    std::vector<std::wstring> attachments;
    int attachmentEvery = 1;
};

// Message i of a generated mailbox, as the program writes it: its subject, its sender, and its
// text with CR LF line ends (the mailbox gives it mixed line ends).
struct GeneratedMessage {
    std::string subject;
    std::string sender;
    std::string body;
    std::vector<std::string> attachmentNames;
};
GeneratedMessage Generated(const MailboxShape& shape, int i);

// Writes the JSON mailbox and points the stand-in at it for every process started afterwards.
void UseGeneratedMailbox(const std::wstring& jsonPath, const MailboxShape& shape);

// Writes a file of the given size with varied bytes.
void WriteDataFile(const std::wstring& path, std::size_t size);

// Copies kelvor.exe into the folder and writes a kelvor.prm beside it whose gateway tree is
// folder\gateway\ with empty API_IN and ATT_IN. Returns the copy's path.
std::wstring PrepareProgram(const std::wstring& kelvorExe, const std::wstring& folder);

// A fresh, empty folder.
void RecreateFolder(const std::wstring& folder);

// kelvor.exe started with the arguments, once its start-up has listed `messages` subjects and
// its message loop runs; closed by its window's close box at the end.
class RunningKelvor {
public:
    RunningKelvor(const std::wstring& kelvorExe, const std::wstring& arguments, int messages);
    ~RunningKelvor();
    RunningKelvor(const RunningKelvor&) = delete;
    RunningKelvor& operator=(const RunningKelvor&) = delete;

    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    HANDLE Process() const { return process_.Handle(); }

private:
    driver::ChildProcess process_;
    HWND window_ = nullptr;
};

double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();

} // namespace kelvor::bench

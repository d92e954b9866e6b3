#pragma once

// Set-up shared by the benchmarks that run the real kelvor.exe under Wine: a generated mailbox
// for the stand-in controls, and a copy of the program beside a kelvor.prm.

#include <windows.h>

#include <string>

namespace kelvor::bench {

struct MailboxShape {
    int messages = 0;
    std::size_t textBytes = 0;
    // Attachments of every message, by path (empty: none).
    std::wstring attachment0;
    std::wstring attachment1;
};

// Writes the JSON mailbox and points the stand-in at it for every process started afterwards.
void UseGeneratedMailbox(const std::wstring& jsonPath, const MailboxShape& shape);

// Writes a file of the given size with varied bytes.
void WriteDataFile(const std::wstring& path, std::size_t size);

// Copies kelvor.exe into the folder and writes a kelvor.prm beside it whose gateway tree is
// folder\gateway\ with empty API_IN and ATT_IN. Returns the copy's path.
std::wstring PrepareProgram(const std::wstring& kelvorExe, const std::wstring& folder);

double SecondsSince(LARGE_INTEGER start);
LARGE_INTEGER Now();

} // namespace kelvor::bench

#include "bench/bench_setup.h"

#include "app/win32/layout.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kelvor::bench {

namespace {

constexpr const char* AttachmentNames[] = {"report.pdf", "notes"};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Narrow(text)) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// The lines of every message's text; line i ends in CR LF, LF or CR by i modulo 3.
std::vector<std::string> TextLines(std::size_t bytes) {
    std::vector<std::string> lines;
    std::size_t size = 0;
    while (size < bytes) {
        lines.push_back("Line " + std::to_string(lines.size()) + " of the message text.");
        size += lines.back().size() + 2;
    }
    return lines;
}

bool HasAttachments(const MailboxShape& shape, int i) {
    return !shape.attachments.empty() && i % shape.attachmentEvery == 0;
}

} // namespace

GeneratedMessage Generated(const MailboxShape& shape, int i) {
    GeneratedMessage message{
        "Message " + std::to_string(i) + " of the benchmark", "Ann Example", {}, {}};
    for (const std::string& line : TextLines(shape.textBytes))
        message.body += line + "\r\n";
    if (HasAttachments(shape, i))
        for (std::size_t k = 0; k < shape.attachments.size(); ++k)
            message.attachmentNames.push_back(AttachmentNames[k % 2]);
    return message;
}

void UseGeneratedMailbox(const std::wstring& jsonPath, const MailboxShape& shape) {
    std::ofstream json(Narrow(jsonPath), std::ios::binary);
    std::string text;
    const std::vector<std::string> lines = TextLines(shape.textBytes);
    for (std::size_t line = 0; line < lines.size(); ++line)
        text += lines[line] + (line % 3 == 0 ? "\\r\\n" : line % 3 == 1 ? "\\n" : "\\r");
    json << "{\"messages\":[";
    for (int i = 0; i < shape.messages; ++i) {
        const GeneratedMessage message = Generated(shape, i);
        json << (i ? ",\n" : "\n") << "{\"subject\":\"" << message.subject << "\",\"sender\":\""
             << message.sender << "\",\"text\":\"" << text << "\"";
        if (HasAttachments(shape, i)) {
            json << ",\"attachments\":[";
            for (std::size_t k = 0; k < shape.attachments.size(); ++k)
                json << (k ? "," : "") << "{\"name\":\"" << message.attachmentNames[k]
                     << "\",\"path\":" << JsonString(shape.attachments[k]) << "}";
            json << "]";
        }
        json << "}";
    }
    json << "]}\n";
    if (!json)
        throw std::runtime_error("cannot write the mailbox " + Narrow(jsonPath));
    SetEnvironmentVariableW(L"KELVOR_STANDIN_MAILBOX", jsonPath.c_str());
}

void WriteDataFile(const std::wstring& path, std::size_t size) {
    std::ofstream out(Narrow(path), std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i * 31 + 7));
}

void RecreateFolder(const std::wstring& folder) {
    const std::wstring command = L"cmd /c rmdir /s /q \"" + folder + L"\" 2>nul";
    _wsystem(command.c_str());
    CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring PrepareProgram(const std::wstring& kelvorExe, const std::wstring& folder) {
    RecreateFolder(folder);
    RecreateFolder(folder + L"\\gateway");
    CreateDirectoryW((folder + L"\\gateway\\API_IN").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\gateway\\ATT_IN").c_str(), nullptr);
    const std::wstring copy = folder + L"\\kelvor.exe";
    if (!CopyFileW(kelvorExe.c_str(), copy.c_str(), FALSE))
        throw std::runtime_error("cannot copy kelvor.exe");
    std::ofstream prm(Narrow(folder + L"\\kelvor.prm"), std::ios::binary);
    prm << Narrow(folder) << "\\gateway\\\r\nACME\r\nMAIN\r\n";
    return copy;
}

RunningKelvor::RunningKelvor(const std::wstring& kelvorExe, const std::wstring& arguments,
                             int messages)
    : process_(kelvorExe, driver::CommandLineOf(kelvorExe, arguments)) {
    constexpr auto Hour = std::chrono::hours(1);
    window_ = process_.FindWindowByCaption(L"KELVOR", nullptr, Hour);
    if (!window_)
        throw std::runtime_error("the KELVOR window did not appear");
    // Answered once the start-up has handed the window to its message loop.
    driver::WaitIdle(window_, Hour);
    if (SendMessageW(Control(win32::SubjectListId), LB_GETCOUNT, 0, 0) != messages)
        throw std::runtime_error("the subjects were not listed");
}

RunningKelvor::~RunningKelvor() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    try {
        process_.WaitForExit(std::chrono::minutes(1));
    } catch (const std::exception&) {
        // Ended by force with the process object.
    }
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double SecondsSince(LARGE_INTEGER start) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now().QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace kelvor::bench

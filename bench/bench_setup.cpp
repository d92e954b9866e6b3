#include "bench/bench_setup.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kelvor::bench {

namespace {

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

void RecreateFolder(const std::wstring& folder) {
    const std::wstring command = L"cmd /c rmdir /s /q \"" + folder + L"\" 2>nul";
    _wsystem(command.c_str());
    CreateDirectoryW(folder.c_str(), nullptr);
}

} // namespace

void UseGeneratedMailbox(const std::wstring& jsonPath, const MailboxShape& shape) {
    std::ofstream json(Narrow(jsonPath), std::ios::binary);
    std::string text;
    for (int line = 0; text.size() < shape.textBytes; ++line)
        text += "Line " + std::to_string(line) + " of the message text." +
                (line % 3 == 0   ? "\\r\\n"
                 : line % 3 == 1 ? "\\n"
                                 : "\\r");
    json << "{\"messages\":[";
    for (int i = 0; i < shape.messages; ++i) {
        json << (i ? ",\n" : "\n") << "{\"subject\":\"Message " << i
             << " of the benchmark\",\"sender\":\"Ann Example\",\"text\":\"" << text << "\"";
        if (!shape.attachment0.empty())
            json << ",\"attachments\":[{\"name\":\"report.pdf\",\"path\":"
                 << JsonString(shape.attachment0)
                 << "},{\"name\":\"notes\",\"path\":" << JsonString(shape.attachment1) << "}]";
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

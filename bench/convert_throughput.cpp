// Convert under Wine: the real kelvor.exe with the stand-in controls exporting 500, 2,000 and
// 20,000 messages (4 KiB texts, a 64 KiB attachment on every fourth message), timed from the
// press of Convert to the end of the batch, just after the close of the last request file, against
// a plain program that writes the same request, body and copy files with plain Win32 calls in the
// same prefix. Then 200 subjects stepped through with the arrow key held down, against the time the
// key was held.
//
//   bench_convert_throughput <kelvor.exe> <work folder> [largest run, 20000 by default]

#include "app/win32/layout.h"
#include "bench/bench_setup.h"
#include "driver/narrow_text.h"
#include "driver/remote_window.h"
#include "driver/user_input.h"
#include "driver/wait.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kelvor;

namespace {

constexpr std::size_t TextBytes = 4096;
constexpr std::size_t AttachmentBytes = 65536;
constexpr int AttachmentEvery = 4;
constexpr int SteppedSubjects = 200;

std::string RequestBytes(int n, const bench::GeneratedMessage& message) {
    const std::string number = std::to_string(n);
    std::string bytes = "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n"
                        "SUBJECT= " +
                        message.subject +
                        ";\r\nTO= ACME.MAIN.bench;\r\nFROM-TEXT= " + message.sender +
                        ";\r\nMSG-FILE= " + number + ".MSG;\r\n";
    if (!message.attachmentNames.empty()) {
        bytes += "ATTACH-FILE=\r\n";
        for (std::size_t k = 0; k < message.attachmentNames.size(); ++k)
            bytes += (k ? ",\r\n" : "") + std::string("    Current-File= ") + number + "." +
                     std::to_string(k) + ";\r\n    Original-File= " + message.attachmentNames[k] +
                     ";";
        bytes += "\r\n;\r\n";
    }
    return bytes + "-END-\r\n";
}

bench::MailboxShape ShapeIn(const std::wstring& folder, int messages) {
    return {messages, TextBytes, {folder + L"\\attachment.bin"}, AttachmentEvery};
}

class File {
public:
    File(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
        : handle_(CreateFileW(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot open " + driver::Utf8(path));
    }
    ~File() { CloseHandle(handle_); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    void Write(const std::string& bytes) const {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            throw std::runtime_error("cannot write");
    }
    std::string ReadAll() const {
        std::string bytes(static_cast<std::size_t>(GetFileSize(handle_, nullptr)), '\0');
        DWORD read = 0;
        if (!bytes.empty() &&
            !ReadFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            throw std::runtime_error("cannot read");
        bytes.resize(read);
        return bytes;
    }

private:
    HANDLE handle_;
};

std::string FileBytes(const std::wstring& path) {
    try {
        return File(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).ReadAll();
    } catch (const std::exception&) {
        return "(missing)";
    }
}

// kelvor.exe in the folder, on a generated mailbox, with the user name "bench".
class Kelvor : public bench::RunningKelvor {
public:
    Kelvor(const std::wstring& kelvorExe, const std::wstring& folder, int messages)
        : RunningKelvor(Prepare(kelvorExe, folder, ShapeIn(folder, messages)), L"bench", messages),
          folder_(folder) {}

    // Waits until export n has closed its request file.
    void WaitForExport(int n) const {
        const std::wstring path = folder_ + L"\\gateway\\API_IN\\" + std::to_wstring(n) + L".API";
        if (!driver::WaitFor([&] { return FileBytes(path).ends_with("-END-\r\n"); },
                             std::chrono::hours(1)))
            throw std::runtime_error("export " + std::to_string(n) + " did not end");
    }

private:
    static std::wstring Prepare(const std::wstring& kelvorExe, const std::wstring& folder,
                                const bench::MailboxShape& shape) {
        const std::wstring copy = bench::PrepareProgram(kelvorExe, folder);
        bench::WriteDataFile(shape.attachments[0], AttachmentBytes);
        bench::UseGeneratedMailbox(folder + L"\\mailbox.json", shape);
        return copy;
    }

    std::wstring folder_;
};

double KelvorConvert(const std::wstring& kelvorExe, const std::wstring& folder, int messages) {
    const Kelvor kelvor(kelvorExe, folder, messages);
    const HWND convert = kelvor.Control(win32::ConvertButtonId);
    if (!IsWindowEnabled(convert))
        throw std::runtime_error("no enabled Convert button");
    // Sent, not posted: it returns once the batch has ended, and nothing polls the gateway
    // tree meanwhile, where each look at a file not yet there reads the whole directory.
    const LARGE_INTEGER start = bench::Now();
    SendMessageW(convert, BM_CLICK, 0, 0);
    const double seconds = bench::SecondsSince(start);
    kelvor.WaitForExport(messages);
    return seconds;
}

// The same files as kelvor.exe's Convert, in the same order, with nothing but the file calls.
double PlainConvert(const std::wstring& folder, int messages) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring gateway = folder + L"\\gateway\\";
    CreateDirectoryW(gateway.c_str(), nullptr);
    CreateDirectoryW((gateway + L"API_IN").c_str(), nullptr);
    CreateDirectoryW((gateway + L"ATT_IN").c_str(), nullptr);
    const bench::MailboxShape shape = ShapeIn(folder, messages);
    bench::WriteDataFile(shape.attachments[0], AttachmentBytes);
    std::vector<bench::GeneratedMessage> generated;
    for (int i = 0; i < messages; ++i)
        generated.push_back(bench::Generated(shape, i));

    const LARGE_INTEGER start = bench::Now();
    for (int i = 0; i < messages; ++i) {
        const std::wstring n = std::to_wstring(i + 1);
        const File request(gateway + L"API_IN\\" + n + L".API", GENERIC_WRITE, FILE_SHARE_READ,
                           CREATE_ALWAYS);
        File(gateway + L"ATT_IN\\" + n + L".MSG", GENERIC_WRITE, 0, CREATE_ALWAYS)
            .Write(generated[i].body);
        for (std::size_t k = 0; k < generated[i].attachmentNames.size(); ++k)
            CopyFileW(shape.attachments[k].c_str(),
                      (gateway + L"ATT_IN\\" + n + L"." + std::to_wstring(k)).c_str(), TRUE);
        request.Write(RequestBytes(i + 1, generated[i]));
    }
    return bench::SecondsSince(start);
}

// "identical", or the first file whose bytes differ between the two gateway trees.
std::string Compare(const std::wstring& kelvorFolder, const std::wstring& plainFolder,
                    int messages) {
    const bench::MailboxShape shape = ShapeIn(plainFolder, messages);
    for (int i = 0; i < messages; ++i) {
        const std::wstring n = std::to_wstring(i + 1);
        std::vector<std::wstring> names{L"API_IN\\" + n + L".API", L"ATT_IN\\" + n + L".MSG"};
        for (std::size_t k = 0; k < bench::Generated(shape, i).attachmentNames.size(); ++k)
            names.push_back(L"ATT_IN\\" + n + L"." + std::to_wstring(k));
        for (const std::wstring& name : names)
            if (FileBytes(kelvorFolder + L"\\gateway\\" + name) !=
                FileBytes(plainFolder + L"\\gateway\\" + name))
                return "differ in " + driver::Utf8(name);
    }
    return "identical";
}

struct Stepping {
    double keySeconds;
    double exportSeconds;
};

// The arrow key held down over the subjects at the keyboard's repeat rate, from the first
// subject to the last of SteppedSubjects: how long the key was down, and how long from its
// first press to the close of the last export's request file.
Stepping StepWithTheArrowKey(const std::wstring& kelvorExe, const std::wstring& folder) {
    // One more subject than keys: whether the first key selects the first subject or the second.
    const Kelvor kelvor(kelvorExe, folder, SteppedSubjects + 1);
    if (!driver::BringToFront(kelvor.Window()))
        throw std::runtime_error("the KELVOR window did not come to the front");
    // From the focused Convert button to the subjects.
    driver::PressKey(VK_TAB);
    Sleep(500);
    DWORD speed = 31;
    int delay = 1;
    SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    // Speed 0 to 31 is about 2.5 to 30 repeats a second; delay 0 to 3 is 250 to 1,000 ms.
    const double repeat = 1.0 / (2.5 + 27.5 * speed / 31.0);
    const double firstRepeat = 0.25 * (delay + 1);

    const LARGE_INTEGER start = bench::Now();
    for (int key = 0; key < SteppedSubjects; ++key) {
        const double due = key == 0 ? 0.0 : firstRepeat + (key - 1) * repeat;
        while (bench::SecondsSince(start) < due)
            Sleep(1);
        driver::SendKeys({{VK_DOWN, true}});
    }
    driver::SendKeys({{VK_DOWN, false}});
    const double keySeconds = bench::SecondsSince(start);
    kelvor.WaitForExport(SteppedSubjects);
    return {keySeconds, bench::SecondsSince(start)};
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_convert_throughput <kelvor.exe> <work folder> "
                             "[largest run]\n");
        return 2;
    }
    try {
        const std::wstring work = argv[2];
        const int largest = argc > 3 ? _wtoi(argv[3]) : 20000;
        // Every run gets fresh folders: under Wine, emptying one of thousands of files takes
        // longer than the run. scripts/bench removes them all afterwards.
        CreateDirectoryW(work.c_str(), nullptr);
        double kelvor500 = 0;
        double plain500 = 0;
        for (const int messages : {500, 2000, 20000}) {
            if (messages > largest)
                break;
            // The best of a few rounds: other work on the machine only ever adds time.
            double kelvor = 1e9;
            double plain = 1e9;
            std::string files;
            for (int round = 1; round <= (messages < 20000 ? 3 : 1); ++round) {
                const std::wstring run = std::to_wstring(messages) + L"-" + std::to_wstring(round);
                const std::wstring kelvorFolder = work + L"\\kelvor-" + run;
                const std::wstring plainFolder = work + L"\\plain-" + run;
                kelvor = std::min(kelvor, KelvorConvert(argv[1], kelvorFolder, messages));
                plain = std::min(plain, PlainConvert(plainFolder, messages));
                files = Compare(kelvorFolder, plainFolder, messages);
            }
            const double kelvorPerMessage = kelvor / messages * 1000.0;
            const double plainPerMessage = plain / messages * 1000.0;
            std::printf("Convert of %d messages: kelvor.exe %.2f s (%.2f ms a message), plain "
                        "program %.2f s (%.2f ms a message); ratio %.2f (goal: at most 1.5); "
                        "files %s\n",
                        messages, kelvor, kelvorPerMessage, plain, plainPerMessage, kelvor / plain,
                        files.c_str());
            if (messages == 500) {
                kelvor500 = kelvorPerMessage;
                plain500 = plainPerMessage;
            } else if (messages == 2000) {
                std::printf("Time a message at 2,000 against 500: kelvor.exe %.2f (goal: at most "
                            "1.2), plain program %.2f\n",
                            kelvorPerMessage / kelvor500, plainPerMessage / plain500);
            }
            std::fflush(stdout);
        }
        const Stepping stepping = StepWithTheArrowKey(argv[1], work + L"\\stepping");
        std::printf("Arrow key held over %d subjects: held %.2f s; the last export closed %.2f s "
                    "after the first press, %.2f s after the key came up\n",
                    SteppedSubjects, stepping.keySeconds, stepping.exportSeconds,
                    stepping.exportSeconds - stepping.keySeconds);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_convert_throughput: %s\n", e.what());
        return 1;
    }
}

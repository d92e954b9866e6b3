// Convert under Wine: the real kelvor.exe with the stand-in controls exporting 500, 2,000 and
// 20,000 messages (4 KiB texts, a 64 KiB attachment on every fourth message), timed from the
// press of Convert to the end of the batch, just after the rename of the last request file,
// against a floor: a plain program without window or views in the same prefix, which signs on and
// fetches through the same controls, then, timed, reads every message through them with the reads
// an export makes, in its order, and writes the same request, body and copy files with plain Win32
// calls, each created marked for deletion, put on the disk and kept as Kelvor does; and the same
// floor without the flushes, which is what they cost. Each side's time is the median of
// alternating rounds, which the load of the machine moves least. Every file of the two gateway
// trees is compared. Then 200 subjects stepped through with the arrow key held down, against the
// time the key was held.
//
//   bench_convert_throughput <kelvor.exe> <work folder> [largest run, 20000 by default]

#include "app/win32/layout.h"
#include "bench/bench_setup.h"
#include "bench/line_ends.h"
#include "driver/narrow_text.h"
#include "driver/remote_window.h"
#include "driver/user_input.h"
#include "driver/wait.h"
#include "mailbox/com/mapi_controls.h"
#include "platform/unique_handle.h"

#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kelvor;

namespace {

constexpr std::size_t TextBytes = 4096;
constexpr std::size_t AttachmentBytes = 65536;
constexpr int AttachmentEvery = 4;
constexpr int SteppedSubjects = 200;

bench::MailboxShape ShapeIn(const std::wstring& folder, int messages) {
    return {messages, TextBytes, {folder + L"\\attachment.bin"}, AttachmentEvery};
}

// The attachment file and the mailbox in the folder, the stand-in pointed at them.
void PrepareMailbox(const std::wstring& folder, int messages) {
    const bench::MailboxShape shape = ShapeIn(folder, messages);
    bench::WriteDataFile(shape.attachments[0], AttachmentBytes);
    bench::UseGeneratedMailbox(folder + L"\\mailbox.json", shape);
}

HANDLE InvalidHandle() noexcept {
    return INVALID_HANDLE_VALUE;
}
void CloseFile(HANDLE file) noexcept {
    CloseHandle(file);
}
void CloseSearch(HANDLE search) noexcept {
    FindClose(search);
}
using FileOwner = UniqueHandle<HANDLE, CloseFile, InvalidHandle>;
using SearchOwner = UniqueHandle<HANDLE, CloseSearch, InvalidHandle>;

class File {
public:
    File(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
        : file_(CreateFileW(path.c_str(), access, share, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!file_)
            throw std::runtime_error("cannot open " + driver::Utf8(path));
    }

    void Write(const std::string& bytes) const {
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            throw std::runtime_error("cannot write");
    }
    std::string ReadAll() const {
        std::string bytes(static_cast<std::size_t>(GetFileSize(file_.get(), nullptr)), '\0');
        DWORD read = 0;
        if (!bytes.empty() &&
            !ReadFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            throw std::runtime_error("cannot read");
        bytes.resize(read);
        return bytes;
    }
    void Flush() const {
        if (!FlushFileBuffers(file_.get()))
            throw std::runtime_error("cannot flush");
    }
    // Marked, the system removes the file when it is closed.
    void Mark(bool marked) const {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = marked;
        if (!SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition,
                                        sizeof disposition))
            throw std::runtime_error("cannot mark");
    }

private:
    FileOwner file_;
};

// A file of an export: created new, and marked for deletion until the export is whole; others
// may rename it while it is open, as the request is renamed.
File NewFile(const std::wstring& path) {
    File file(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW);
    file.Mark(true);
    return file;
}

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
        : RunningKelvor(Prepare(kelvorExe, folder, messages), L"bench", messages), folder_(folder) {
    }

    // Waits until export n has closed its request file.
    void WaitForExport(int n) const {
        const std::wstring path = folder_ + L"\\gateway\\API_IN\\" + std::to_wstring(n) + L".API";
        if (!driver::WaitFor([&] { return FileBytes(path).ends_with("-END-\r\n"); },
                             std::chrono::hours(1)))
            throw std::runtime_error("export " + std::to_string(n) + " did not end");
    }

private:
    static std::wstring Prepare(const std::wstring& kelvorExe, const std::wstring& folder,
                                int messages) {
        const std::wstring copy = bench::PrepareProgram(kelvorExe, folder);
        PrepareMailbox(folder, messages);
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

// The apartment kelvor.exe hosts the controls in.
class OleApartment {
public:
    OleApartment() {
        if (FAILED(OleInitialize(nullptr)))
            throw std::runtime_error("cannot initialise OLE");
    }
    ~OleApartment() { OleUninitialize(); }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
};

std::string Ansi(const std::u16string& text) {
    return driver::Narrow({reinterpret_cast<const wchar_t*>(text.data()), text.size()}, CP_ACP);
}

// The bytes of request n, and its body and copy files written, each put on the disk when `flush`
// says so; the request itself is left to the caller.
std::string FloorFiles(MapiControls& mailbox, const std::wstring& gateway, int position, int n,
                       bool flush, std::vector<File>& files) {
    const std::string number = std::to_string(n);
    const std::wstring name = std::to_wstring(n);
    mailbox.SetMsgIndex(position);
    std::string bytes =
        "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\nSUBJECT= ";
    bytes += Ansi(mailbox.MsgSubject());
    bytes += ";\r\nTO= ACME.MAIN.bench;\r\nFROM-TEXT= ";
    bytes += Ansi(mailbox.MsgOrigDisplayName());
    const auto written = [&](const std::wstring& path, const std::string& content) {
        files.push_back(NewFile(path));
        files.back().Write(content);
        if (flush)
            files.back().Flush();
    };
    written(gateway + L"ATT_IN\\" + name + L".MSG", bench::WithCrLf(Ansi(mailbox.MsgNoteText())));
    bytes += ";\r\nMSG-FILE= " + number + ".MSG;\r\n";
    if (mailbox.AttachmentCount() > 0) {
        bytes += "ATTACH-FILE=\r\n";
        const std::int32_t count = mailbox.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            if (k > 0)
                bytes += ",\r\n";
            mailbox.SetAttachmentIndex(k);
            // The export reads the path once for its view and once to copy from.
            mailbox.AttachmentPathName();
            const std::u16string from = mailbox.AttachmentPathName();
            written(gateway + L"ATT_IN\\" + name + L"." + std::to_wstring(k),
                    File(reinterpret_cast<const wchar_t*>(from.c_str()), GENERIC_READ,
                         FILE_SHARE_READ, OPEN_EXISTING)
                        .ReadAll());
            bytes += "    Current-File= " + number + "." + std::to_string(k) +
                     ";\r\n    Original-File= ";
            bytes += Ansi(mailbox.AttachmentName());
            bytes += ";";
        }
        bytes += "\r\n;\r\n";
    }
    return bytes + "-END-\r\n";
}

// Export n of the message at the position: the request file created first under its temporary
// name and written last, in one piece, then given its name; between, the reads an export makes,
// in its order, and the body and copy files. Every file is created new and marked for deletion,
// written, put on the disk when `flush` says so, kept once all are, and the request renamed
// without replacing while still open, as Kelvor claims its names and makes them visible.
void FloorExport(MapiControls& mailbox, const std::wstring& gateway, int position, int n,
                 bool flush) {
    const std::wstring name = std::to_wstring(n);
    const std::wstring temporary = gateway + L"API_IN\\" + name + L".tmp";
    const File request = NewFile(temporary);
    {
        std::vector<File> files;
        request.Write(FloorFiles(mailbox, gateway, position, n, flush, files));
        if (flush)
            request.Flush();
        for (const File& file : files)
            file.Mark(false);
    }
    request.Mark(false);
    if (!MoveFileExW(temporary.c_str(), (gateway + L"API_IN\\" + name + L".API").c_str(),
                     MOVEFILE_WRITE_THROUGH))
        throw std::runtime_error("cannot rename " + driver::Utf8(temporary));
}

// The floor: the controls set up as kelvor.exe's start-up sets them up, untimed, then every
// message exported, timed.
double FloorConvert(const std::wstring& folder, int messages, bool flush) {
    bench::RecreateFolder(folder);
    const std::wstring gateway = folder + L"\\gateway\\";
    CreateDirectoryW(gateway.c_str(), nullptr);
    CreateDirectoryW((gateway + L"API_IN").c_str(), nullptr);
    CreateDirectoryW((gateway + L"ATT_IN").c_str(), nullptr);
    PrepareMailbox(folder, messages);
    const OleApartment apartment;
    MapiControls mailbox;
    mailbox.SetLogonUI(true);
    mailbox.SetNewSession(true);
    mailbox.SignOn();
    mailbox.SetMessagesSessionID(mailbox.SessionID());
    mailbox.Fetch();
    if (mailbox.MsgCount() != messages)
        throw std::runtime_error("the floor's mailbox holds another number of messages");

    const LARGE_INTEGER start = bench::Now();
    for (int i = 0; i < messages; ++i)
        FloorExport(mailbox, gateway, i, i + 1, flush);
    const double seconds = bench::SecondsSince(start);
    mailbox.SignOff();
    return seconds;
}

// The paths of every file under the folder, relative to it, added to `names`.
void AddFileNames(const std::wstring& root, const std::wstring& relative,
                  std::set<std::wstring>& names) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW entry{};
    const SearchOwner search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!search)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            AddFileNames(root, path, names);
        else
            names.insert(path);
    } while (FindNextFileW(search.get(), &entry));
}

// "identical", or how many files differ or are in one tree alone, and the first few of them.
std::string CompareTrees(const std::wstring& kelvorGateway, const std::wstring& floorGateway) {
    std::set<std::wstring> names;
    AddFileNames(kelvorGateway, L"", names);
    AddFileNames(floorGateway, L"", names);
    std::vector<std::wstring> differing;
    for (const std::wstring& name : names)
        if (FileBytes(kelvorGateway + L"\\" + name) != FileBytes(floorGateway + L"\\" + name))
            differing.push_back(name);
    if (differing.empty())
        return "identical (" + std::to_string(names.size()) + " files)";
    std::string text = "differ: " + std::to_string(differing.size()) + " of " +
                       std::to_string(names.size()) + ", ";
    for (std::size_t i = 0; i < std::min<std::size_t>(differing.size(), 5); ++i)
        text += (i ? " " : "") + driver::Utf8(differing[i]);
    return text + (differing.size() > 5 ? " ..." : "");
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
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
        double floor500 = 0;
        for (const int messages : {500, 2000, 20000}) {
            if (messages > largest)
                break;
            // Medians of alternating rounds: other work on the machine only ever adds time, and
            // creating a file takes many times longer at some moments than at others (the file
            // system passes over recently freed inodes one by one). Each side goes first in turn,
            // so that none always runs in the wake of another's writes.
            std::vector<double> kelvor, floor, unflushed, ratios, flushCosts;
            std::string files;
            const int rounds = messages < 20000 ? 5 : 1;
            for (int round = 0; round < rounds; ++round) {
                const std::wstring run = std::to_wstring(messages) + L"-" + std::to_wstring(round);
                const std::wstring kelvorFolder = work + L"\\kelvor-" + run;
                const std::wstring floorFolder = work + L"\\floor-" + run;
                double k = 0, f = 0, u = 0;
                for (int side = 0; side < 3; ++side) {
                    switch ((round + side) % 3) {
                    case 0:
                        k = KelvorConvert(argv[1], kelvorFolder, messages);
                        break;
                    case 1:
                        f = FloorConvert(floorFolder, messages, true);
                        break;
                    default:
                        u = FloorConvert(work + L"\\unflushed-" + run, messages, false);
                    }
                }
                std::printf("round %d: kelvor.exe %.2f s, floor %.2f s, floor without flushes "
                            "%.2f s\n",
                            round + 1, k, f, u);
                kelvor.push_back(k);
                floor.push_back(f);
                unflushed.push_back(u);
                ratios.push_back(k / f);
                flushCosts.push_back((f - u) / messages * 1000.0);
                const std::string compared =
                    CompareTrees(kelvorFolder + L"\\gateway", floorFolder + L"\\gateway");
                if (files.empty() || files.starts_with("identical"))
                    files = compared;
            }
            const double kelvorPerMessage = Median(kelvor) / messages * 1000.0;
            const double floorPerMessage = Median(floor) / messages * 1000.0;
            const double ratio = Median(ratios);
            std::printf("Convert of %d messages, medians of %d rounds: kelvor.exe %.2f s (%.2f ms "
                        "a message), floor %.2f s (%.2f ms a message), floor without flushes "
                        "%.2f s; kelvor.exe against the floor %.2f (goal: at most 1.1, %s); the "
                        "flushes cost the floor %.2f ms a message; files %s\n",
                        messages, rounds, Median(kelvor), kelvorPerMessage, Median(floor),
                        floorPerMessage, Median(unflushed), ratio, Verdict(ratio <= 1.1),
                        Median(flushCosts), files.c_str());
            if (messages == 500) {
                kelvor500 = kelvorPerMessage;
                floor500 = floorPerMessage;
            } else if (messages == 2000) {
                const double growth = kelvorPerMessage / kelvor500;
                std::printf("Time a message at 2,000 against 500, on the medians: kelvor.exe %.2f "
                            "(goal: at most 1.2, %s), floor %.2f\n",
                            growth, Verdict(growth <= 1.2), floorPerMessage / floor500);
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

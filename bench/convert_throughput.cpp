// Convert under Wine: the real kelvor.exe with the stand-in controls exporting 500, 2,000 and
// 20,000 messages (4 KiB texts, a 64 KiB attachment on every fourth message), timed from the
// press of Convert to the end of the batch, just after the rename of the last request file,
// against floors made by a plain program without window or views in the same prefix. It signs on
// and fetches through the same controls, untimed, then reads the messages through them with the
// reads an export makes, in its order, and writes the same request, body and copy files with the
// file calls Kelvor's writer makes, in its order:
// - the sequential floor: each message read, then its files written, one after the other;
// - the reads alone, timed as they fill memory, then the file operations alone, timed, of every
//   message from what those reads gave. The larger of the two is the limit: what reading a
//   message while the files of the one before are written tends to.
// Each time is the median of alternating rounds, which the load of the machine moves least; each
// ratio the median of the rounds' ratios. Every file of the gateway trees is compared with
// kelvor.exe's. Then 200 subjects stepped through with the arrow key held down, against the time
// the key was held.
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
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using namespace kelvor;

namespace {

constexpr std::size_t TextBytes = 4096;
constexpr std::size_t AttachmentBytes = 65536;
constexpr int AttachmentEvery = 4;
constexpr int SteppedSubjects = 200;
// The pieces Kelvor's writer copies an attachment in.
constexpr DWORD CopyPiece = 1u << 18;

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

std::string FileBytes(const std::wstring& path) {
    const FileOwner file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return "(missing)";
    std::string bytes(static_cast<std::size_t>(GetFileSize(file.get(), nullptr)), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return "(unreadable)";
    bytes.resize(read);
    return bytes;
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

// What the reads of a message give its export: its texts in the ANSI code page, the body with
// CR LF line ends, and the files its copies come from.
struct ReadMessage {
    struct Attachment {
        std::wstring source;
        std::string name;
    };
    std::string subject;
    std::string sender;
    std::string body;
    std::vector<Attachment> attachments;
};

// The reads an export makes of the message at the position, in its order.
ReadMessage Read(MapiControls& mailbox, int position) {
    ReadMessage message;
    mailbox.SetMsgIndex(position);
    message.subject = Ansi(mailbox.MsgSubject());
    message.sender = Ansi(mailbox.MsgOrigDisplayName());
    message.body = bench::WithCrLf(Ansi(mailbox.MsgNoteText()));
    if (mailbox.AttachmentCount() > 0) {
        const std::int32_t count = mailbox.AttachmentCount();
        for (std::int32_t k = 0; k < count; ++k) {
            mailbox.SetAttachmentIndex(k);
            // The export reads the path once for its view and once to copy from.
            mailbox.AttachmentPathName();
            const std::u16string source = mailbox.AttachmentPathName();
            message.attachments.push_back(
                {{source.begin(), source.end()}, Ansi(mailbox.AttachmentName())});
        }
    }
    return message;
}

std::string RequestBytes(const ReadMessage& message, int n) {
    const std::string number = std::to_string(n);
    std::string bytes =
        "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\nSUBJECT= " +
        message.subject + ";\r\nTO= ACME.MAIN.bench;\r\nFROM-TEXT= " + message.sender +
        ";\r\nMSG-FILE= " + number + ".MSG;\r\n";
    if (!message.attachments.empty()) {
        bytes += "ATTACH-FILE=\r\n";
        for (std::size_t k = 0; k < message.attachments.size(); ++k) {
            if (k > 0)
                bytes += ",\r\n";
            bytes += "    Current-File= " + number + "." + std::to_string(k) +
                     ";\r\n    Original-File= " + message.attachments[k].name + ";";
        }
        bytes += "\r\n;\r\n";
    }
    return bytes + "-END-\r\n";
}

// A file of an export as Kelvor's writer makes it: created new through a handle that writes,
// shared with readers and with its deletion, and marked for deletion through a second handle
// without the right to write, the keeper, which holds it once the first is closed.
class ExportFile {
public:
    explicit ExportFile(const std::wstring& path)
        : writer_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!writer_)
            throw std::runtime_error("cannot create " + driver::Utf8(path));
        keeper_ = FileOwner(ReOpenFile(writer_.get(), DELETE | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
        if (!keeper_)
            throw std::runtime_error("cannot keep " + driver::Utf8(path));
        Mark(true);
    }

    void Write(std::string_view bytes) const {
        DWORD written = 0;
        if (!WriteFile(writer_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            throw std::runtime_error("cannot write");
    }
    void Flush() const {
        if (!FlushFileBuffers(writer_.get()))
            throw std::runtime_error("cannot flush");
    }
    void CloseWriter() { writer_.reset(); }
    // Marked, the system removes the file when its last handle is closed.
    void Mark(bool marked) const {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = marked;
        if (!SetFileInformationByHandle(keeper_.get(), FileDispositionInfo, &disposition,
                                        sizeof disposition))
            throw std::runtime_error("cannot mark");
    }
    void CloseKeeper() { keeper_.reset(); }

private:
    FileOwner writer_;
    FileOwner keeper_;
};

// A copy as Kelvor's writer makes one: read from its file in pieces and put on the disk at its
// end (the attachment is far smaller than the 32 MiB between the flushes of a long copy).
ExportFile Copy(const std::wstring& from, const std::wstring& to) {
    const FileOwner source(CreateFileW(from.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source)
        throw std::runtime_error("cannot open " + driver::Utf8(from));
    ExportFile copy(to);
    std::vector<char> buffer(CopyPiece);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source.get(), buffer.data(), CopyPiece, &got, nullptr))
            throw std::runtime_error("cannot read " + driver::Utf8(from));
        if (got == 0)
            break;
        copy.Write({buffer.data(), got});
    }
    copy.Flush();
    return copy;
}

// Export n of a message read: the request created first under its temporary name and written
// last, between them the body and the copies, each put on the disk; then the handles that wrote
// closed, the marks cleared, the request renamed without replacing, the keepers closed and the
// request's folder put on the disk, as far as the system does.
void WriteFiles(const std::wstring& gateway, const ReadMessage& message, int n) {
    const std::wstring name = std::to_wstring(n);
    const std::wstring requests = gateway + L"API_IN\\";
    const std::wstring temporary = requests + name + L".tmp";
    ExportFile request(temporary);
    std::vector<ExportFile> files;
    files.emplace_back(gateway + L"ATT_IN\\" + name + L".MSG");
    files.back().Write(message.body);
    files.back().Flush();
    for (std::size_t k = 0; k < message.attachments.size(); ++k)
        files.push_back(Copy(message.attachments[k].source,
                             gateway + L"ATT_IN\\" + name + L"." + std::to_wstring(k)));
    request.Write(RequestBytes(message, n));
    request.Flush();

    request.CloseWriter();
    for (ExportFile& file : files)
        file.CloseWriter();
    request.Mark(false);
    for (const ExportFile& file : files)
        file.Mark(false);
    if (!MoveFileExW(temporary.c_str(), (requests + name + L".API").c_str(), 0))
        throw std::runtime_error("cannot rename " + driver::Utf8(temporary));
    request.CloseKeeper();
    for (ExportFile& file : files)
        file.CloseKeeper();
    const FileOwner folder(CreateFileW(
        requests.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder)
        FlushFileBuffers(folder.get());
}

// A floor's set-up, untimed: a fresh folder with an empty gateway tree and the mailbox, and the
// controls set up as kelvor.exe's start-up sets them up; then `timed` with the controls and the
// gateway folder.
void WithFloorMailbox(const std::wstring& folder, int messages,
                      const std::function<void(MapiControls&, const std::wstring&)>& timed) {
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
    timed(mailbox, gateway);
    mailbox.SignOff();
}

double SequentialFloor(const std::wstring& folder, int messages) {
    double seconds = 0;
    WithFloorMailbox(folder, messages, [&](MapiControls& mailbox, const std::wstring& gateway) {
        const LARGE_INTEGER start = bench::Now();
        for (int i = 0; i < messages; ++i)
            WriteFiles(gateway, Read(mailbox, i), i + 1);
        seconds = bench::SecondsSince(start);
    });
    return seconds;
}

struct Apart {
    double reads;
    double files;
};

Apart ReadsAndFilesApart(const std::wstring& folder, int messages) {
    Apart apart{};
    WithFloorMailbox(folder, messages, [&](MapiControls& mailbox, const std::wstring& gateway) {
        std::vector<ReadMessage> read;
        read.reserve(static_cast<std::size_t>(messages));
        LARGE_INTEGER start = bench::Now();
        for (int i = 0; i < messages; ++i)
            read.push_back(Read(mailbox, i));
        apart.reads = bench::SecondsSince(start);
        start = bench::Now();
        for (int i = 0; i < messages; ++i)
            WriteFiles(gateway, read[static_cast<std::size_t>(i)], i + 1);
        apart.files = bench::SecondsSince(start);
    });
    return apart;
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

// The first comparison that found a difference, or the last.
void KeepComparison(std::string& kept, const std::string& compared) {
    if (kept.empty() || kept.starts_with("identical"))
        kept = compared;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

// One round's times, in seconds.
struct Round {
    double kelvor;
    double floor;
    Apart apart;

    double Limit() const { return std::max(apart.reads, apart.files); }
};

double MedianOf(const std::vector<Round>& rounds, const std::function<double(const Round&)>& of) {
    std::vector<double> values;
    for (const Round& round : rounds)
        values.push_back(of(round));
    return Median(values);
}

// The sizes run: those the goals are set at, then the largest.
std::vector<int> Sizes(int largest) {
    std::vector<int> sizes;
    for (const int messages : {500, 2000})
        if (messages < largest)
            sizes.push_back(messages);
    sizes.push_back(largest);
    return sizes;
}

bool HasGoals(int messages) {
    return messages == 500 || messages == 2000;
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
        if (largest < 1)
            throw std::runtime_error("the largest run is a number of messages");
        // Every run gets fresh folders: under Wine, emptying one of thousands of files takes
        // longer than the run. scripts/bench removes them all afterwards.
        CreateDirectoryW(work.c_str(), nullptr);
        double kelvor500 = 0;
        double floor500 = 0;
        for (const int messages : Sizes(largest)) {
            // Medians of alternating rounds: other work on the machine only ever adds time, and
            // creating a file takes many times longer at some moments than at others (the file
            // system passes over recently freed inodes one by one). Each side goes first in turn,
            // so that none always runs in the wake of another's writes.
            std::vector<Round> rounds;
            std::string floorFiles, apartFiles;
            const int roundCount = messages <= 2000 ? 5 : 1;
            for (int number = 0; number < roundCount; ++number) {
                const std::wstring run = std::to_wstring(messages) + L"-" + std::to_wstring(number);
                const std::wstring kelvorFolder = work + L"\\kelvor-" + run;
                const std::wstring floorFolder = work + L"\\floor-" + run;
                const std::wstring apartFolder = work + L"\\apart-" + run;
                Round round{};
                for (int side = 0; side < 3; ++side) {
                    switch ((number + side) % 3) {
                    case 0:
                        round.kelvor = KelvorConvert(argv[1], kelvorFolder, messages);
                        break;
                    case 1:
                        round.floor = SequentialFloor(floorFolder, messages);
                        break;
                    default:
                        round.apart = ReadsAndFilesApart(apartFolder, messages);
                    }
                }
                std::printf("round %d: kelvor.exe %.3f s, sequential floor %.3f s, reads alone "
                            "%.3f s, file operations alone %.3f s\n",
                            number + 1, round.kelvor, round.floor, round.apart.reads,
                            round.apart.files);
                std::fflush(stdout);
                rounds.push_back(round);
                const std::wstring gateway = L"\\gateway";
                KeepComparison(floorFiles,
                               CompareTrees(kelvorFolder + gateway, floorFolder + gateway));
                KeepComparison(apartFiles,
                               CompareTrees(kelvorFolder + gateway, apartFolder + gateway));
            }
            const double kelvor = MedianOf(rounds, [](const Round& r) { return r.kelvor; });
            const double floor = MedianOf(rounds, [](const Round& r) { return r.floor; });
            const double kelvorPerMessage = kelvor / messages * 1000.0;
            const double floorPerMessage = floor / messages * 1000.0;
            std::printf(
                "Convert of %d messages, medians of %d rounds: kelvor.exe %.3f s (%.2f ms a "
                "message), sequential floor %.3f s (%.2f ms a message), reads alone %.3f s, file "
                "operations alone %.3f s, limit (the larger of the two) %.3f s; kelvor.exe's "
                "files against the sequential floor's %s, against the file operations alone's "
                "%s\n",
                messages, roundCount, kelvor, kelvorPerMessage, floor, floorPerMessage,
                MedianOf(rounds, [](const Round& r) { return r.apart.reads; }),
                MedianOf(rounds, [](const Round& r) { return r.apart.files; }),
                MedianOf(rounds, [](const Round& r) { return r.Limit(); }), floorFiles.c_str(),
                apartFiles.c_str());
            const double toFloor =
                MedianOf(rounds, [](const Round& r) { return r.kelvor / r.floor; });
            const double toLimit =
                MedianOf(rounds, [](const Round& r) { return r.kelvor / r.Limit(); });
            if (HasGoals(messages))
                std::printf("kelvor.exe at %d messages, medians of the rounds' ratios: against "
                            "the sequential floor %.2f (goal: at most 0.75, %s), against the limit "
                            "%.2f (goal: at most 1.3, %s)\n",
                            messages, toFloor, Verdict(toFloor <= 0.75), toLimit,
                            Verdict(toLimit <= 1.3));
            else
                std::printf("kelvor.exe at %d messages, medians of the rounds' ratios: against "
                            "the sequential floor %.2f, against the limit %.2f (no goals at this "
                            "size)\n",
                            messages, toFloor, toLimit);
            if (messages == 500) {
                kelvor500 = kelvorPerMessage;
                floor500 = floorPerMessage;
            } else if (messages == 2000 && kelvor500 > 0) {
                const double growth = kelvorPerMessage / kelvor500;
                std::printf("Time a message at 2,000 against 500, on the medians: kelvor.exe %.2f "
                            "(goal: at most 1.2, %s), sequential floor %.2f\n",
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

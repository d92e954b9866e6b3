// Answer times under Wine: how long the real kelvor.exe's main window takes to answer a message
// sent to it, sent again a few milliseconds after each answer, while the window works: the
// start-up listing 70,000 subjects, from the window's appearance until it is idle, and Convert of
// one message whose attachment is a 2 GiB file, from the press of Convert until the batch has
// ended, and, given a folder whose writes and flushes wait while a flag file exists
// (scripts/with-stalling-folder), Convert into a gateway there that stalls for 10 s once the first
// request has appeared, from the press of Convert until the batch has ended. The system counts a
// window hung that leaves a message unanswered for five seconds.
//
//   bench_answer_times <kelvor.exe> <work folder> [<stalling folder> <flag file>]

#include "app/win32/busy_property.h"
#include "app/win32/layout.h"
#include "bench/bench_setup.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kelvor;

namespace {

constexpr int ListedSubjects = 70000;
constexpr std::uintmax_t LargeAttachmentBytes = std::uintmax_t{2} << 30;
constexpr int RoundCount = 5;
constexpr int StalledMessages = 300;
constexpr DWORD StallMs = 10 * 1000;
constexpr DWORD SendGapMs = 5;
// Long enough to time the longest silence rather than cut it short.
constexpr UINT AnswerTimeoutMs = 10 * 60 * 1000;
constexpr double GoalMs = 250.0;

struct Answer {
    // When it was sent, from the beginning of the phase.
    double sentSeconds;
    double ms;
};

// Sends the window WM_NULL, a few milliseconds after each answer, until `done` holds.
std::vector<Answer> Probe(HWND window, const std::function<bool()>& done) {
    std::vector<Answer> answers;
    const LARGE_INTEGER start = bench::Now();
    while (!done()) {
        const double sentSeconds = bench::SecondsSince(start);
        const LARGE_INTEGER sent = bench::Now();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, AnswerTimeoutMs, &result) &&
            !IsWindow(window))
            throw std::runtime_error("the KELVOR window went away during the work");
        answers.push_back({sentSeconds, bench::SecondsSince(sent) * 1000.0});
        Sleep(SendGapMs);
    }
    return answers;
}

bool Busy(HWND window) {
    return GetPropW(window, win32::BusyProperty) != nullptr;
}

// Start-up of kelvor.exe on the mailbox of ListedSubjects messages, from its window's appearance
// until the subjects are listed and it is idle.
std::vector<Answer> DuringStartup(const std::wstring& kelvor) {
    const driver::ChildProcess process(kelvor, driver::CommandLineOf(kelvor, L""));
    const HWND window = process.FindWindowByCaption(L"KELVOR", nullptr, std::chrono::hours(1));
    if (!window)
        throw std::runtime_error("the KELVOR window did not appear");
    // Before its work begins the window is not busy either, but its list is still empty.
    std::vector<Answer> answers = Probe(window, [&] {
        return !Busy(window) && SendMessageW(GetDlgItem(window, win32::SubjectListId), LB_GETCOUNT,
                                             0, 0) == ListedSubjects;
    });
    PostMessageW(window, WM_CLOSE, 0, 0);
    process.WaitForExit(std::chrono::minutes(1));
    return answers;
}

// The attachment, sparse, and the folder's copy of it, removed again once the program using them
// has ended.
class LargeAttachment {
public:
    LargeAttachment(const std::wstring& path, const std::wstring& copy) : path_(path), copy_(copy) {
        if (!std::ofstream(path_))
            throw std::runtime_error("cannot create " + path_.string());
        std::filesystem::resize_file(path_, LargeAttachmentBytes);
    }
    ~LargeAttachment() {
        std::error_code ignored;
        std::filesystem::remove(copy_, ignored);
        std::filesystem::remove(path_, ignored);
    }
    LargeAttachment(const LargeAttachment&) = delete;
    LargeAttachment& operator=(const LargeAttachment&) = delete;

private:
    std::filesystem::path path_;
    std::filesystem::path copy_;
};

// Convert of the one message, from the press of Convert until the batch has ended.
std::vector<Answer> DuringLargeCopy(const std::wstring& kelvorExe, const std::wstring& folder) {
    const std::wstring kelvor = bench::PrepareProgram(kelvorExe, folder);
    const std::wstring source = folder + L"\\large.bin";
    const std::wstring gateway = folder + L"\\gateway\\";
    const LargeAttachment attachment(source, gateway + L"ATT_IN\\1.0");
    bench::UseGeneratedMailbox(folder + L"\\mailbox.json", {1, 200, {source}, 1});
    std::vector<Answer> answers;
    {
        const bench::RunningKelvor running(kelvor, L"bench", 1);
        const HWND window = running.Window();
        const std::filesystem::path request(gateway + L"API_IN\\1.API");
        bool seenBusy = false;
        PostMessageW(running.Control(win32::ConvertButtonId), BM_CLICK, 0, 0);
        // The batch may not have begun when the first answer comes; the request is named last.
        answers = Probe(window, [&] {
            const bool busy = Busy(window);
            seenBusy = seenBusy || busy;
            return !busy && (seenBusy || std::filesystem::exists(request));
        });
        if (!std::filesystem::exists(request))
            throw std::runtime_error("the Convert wrote no request");
    }
    return answers;
}

// Convert of StalledMessages messages into a gateway on the stalling folder, whose writes and
// flushes wait for StallMs once the first request has appeared.
std::vector<Answer> DuringStall(const std::wstring& kelvorExe, const std::wstring& folder,
                                const std::wstring& flag) {
    const std::wstring kelvor = bench::PrepareProgram(kelvorExe, folder);
    bench::UseGeneratedMailbox(folder + L"\\mailbox.json", {StalledMessages, 200, {}, 1});
    const std::filesystem::path first(folder + L"\\gateway\\API_IN\\1.API");
    const std::filesystem::path last(folder + L"\\gateway\\API_IN\\" +
                                     std::to_wstring(StalledMessages) + L".API");
    std::vector<Answer> answers;
    {
        const bench::RunningKelvor running(kelvor, L"bench", StalledMessages);
        const HWND window = running.Window();
        LARGE_INTEGER raised{};
        bool stalled = false;
        PostMessageW(running.Control(win32::ConvertButtonId), BM_CLICK, 0, 0);
        answers = Probe(window, [&] {
            if (!stalled && std::filesystem::exists(first)) {
                if (!std::ofstream(std::filesystem::path(flag)))
                    throw std::runtime_error("cannot raise the stall's flag");
                raised = bench::Now();
                stalled = true;
            }
            if (stalled && bench::SecondsSince(raised) * 1000.0 >= StallMs)
                std::filesystem::remove(std::filesystem::path(flag));
            return std::filesystem::exists(last) && !Busy(window);
        });
    }
    return answers;
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? 0.0 : ms[ms.size() / 2];
}

// A round: how many answers came over how long, their median, and the slowest and when it was sent.
void PrintRound(int round, const std::vector<Answer>& answers) {
    if (answers.empty()) {
        std::printf("  round %d: no answers\n", round);
        return;
    }
    std::vector<double> ms;
    for (const Answer& answer : answers)
        ms.push_back(answer.ms);
    const auto slowest =
        std::max_element(answers.begin(), answers.end(),
                         [](const Answer& a, const Answer& b) { return a.ms < b.ms; });
    const auto overGoal =
        static_cast<int>(std::count_if(ms.begin(), ms.end(), [](double m) { return m > GoalMs; }));
    std::printf(
        "  round %d: %zu answers in %.2f s, median %.1f ms, slowest %.1f ms (sent %.2f s in), "
        "%d over %.0f ms\n",
        round, ms.size(), answers.back().sentSeconds + answers.back().ms / 1000.0, Median(ms),
        slowest->ms, slowest->sentSeconds, overGoal, GoalMs);
    std::fflush(stdout);
}

// Each round printed as it ends, then the median of the rounds' medians and the slowest answer
// of all.
void Rounds(const std::string& what, const std::function<std::vector<Answer>()>& run) {
    std::vector<double> medians;
    double slowest = 0;
    for (int round = 1; round <= RoundCount; ++round) {
        const std::vector<Answer> answers = run();
        PrintRound(round, answers);
        std::vector<double> ms;
        for (const Answer& answer : answers) {
            ms.push_back(answer.ms);
            slowest = std::max(slowest, answer.ms);
        }
        medians.push_back(Median(ms));
    }
    const double median = Median(medians);
    std::printf("%s: median %.1f ms (median of the rounds' medians), slowest %.1f ms (goal: at "
                "most %.0f ms for both, %s)\n",
                what.c_str(), median, slowest, GoalMs,
                median <= GoalMs && slowest <= GoalMs ? "met" : "MISSED");
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: bench_answer_times <kelvor.exe> <work folder> "
                             "[<stalling folder> <flag file>]\n");
        return 2;
    }
    try {
        const std::wstring work = argv[2];
        CreateDirectoryW(work.c_str(), nullptr);
        const std::wstring listingFolder = work + L"\\listing";
        const std::wstring kelvor = bench::PrepareProgram(argv[1], listingFolder);
        bench::UseGeneratedMailbox(listingFolder + L"\\mailbox.json", {ListedSubjects, 200, {}, 1});
        std::printf("Answer times of the main window to WM_NULL, sent %lu ms after each answer, "
                    "%d rounds each\n",
                    SendGapMs, RoundCount);
        Rounds("Start-up listing 70,000 subjects", [&] { return DuringStartup(kelvor); });
        Rounds("Convert of a message with a 2 GiB attachment",
               [&] { return DuringLargeCopy(argv[1], work + L"\\large-copy"); });
        if (argc == 5)
            Rounds("Convert of " + std::to_string(StalledMessages) +
                       " messages into a gateway whose writes stall for " +
                       std::to_string(StallMs / 1000) + " s",
                   [&] { return DuringStall(argv[1], argv[3], argv[4]); });
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_answer_times: %s\n", e.what());
        return 1;
    }
}

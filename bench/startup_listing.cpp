// Start-up listing under Wine: kelvor.exe with the stand-in on 20,000 messages, from process
// start to the filled, idle window, against the lister that makes the same COM calls without a
// window.
//
//   bench_startup_listing <kelvor.exe> <kelvor_list_mailbox.exe> <work folder>

#include "bench/bench_setup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>

using namespace kelvor;

namespace {

constexpr int Messages = 20000;
constexpr int Rounds = 3;

double ListerSeconds(const std::wstring& lister) {
    const LARGE_INTEGER start = bench::Now();
    const driver::ChildProcess process(lister, driver::CommandLineOf(lister, L""), SW_SHOWNORMAL,
                                       true);
    if (process.WaitForExit(std::chrono::minutes(10)) != 0)
        throw std::runtime_error("the lister failed");
    return bench::SecondsSince(start);
}

double KelvorSeconds(const std::wstring& kelvor) {
    const LARGE_INTEGER start = bench::Now();
    const bench::RunningKelvor running(kelvor, L"", Messages);
    return bench::SecondsSince(start);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: bench_startup_listing <kelvor.exe> <lister.exe> <work folder>\n");
        return 2;
    }
    try {
        const std::wstring folder = argv[3];
        const std::wstring kelvor = bench::PrepareProgram(argv[1], folder);
        bench::UseGeneratedMailbox(folder + L"\\mailbox.json", {Messages, 200, {}, 1});
        double window = 1e9;
        double lister = 1e9;
        for (int round = 1; round <= Rounds; ++round) {
            const double k = KelvorSeconds(kelvor);
            const double l = ListerSeconds(argv[2]);
            std::printf("round %d: kelvor.exe %.3f s, lister %.3f s\n", round, k, l);
            window = std::min(window, k);
            lister = std::min(lister, l);
        }
        const double ratio = window / lister;
        std::printf("Start-up listing of %d messages, the best of %d rounds: kelvor.exe %.3f s; "
                    "lister without a window %.3f s; ratio %.3f (goal: at most 1.5, %s)\n",
                    Messages, Rounds, window, lister, ratio, ratio <= 1.5 ? "met" : "MISSED");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_startup_listing: %s\n", e.what());
        return 1;
    }
}

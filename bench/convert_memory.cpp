// Memory: the peak working set of kelvor.exe after Convert of 5,000 messages, less its peak after
// start-up on the same mailbox.
//
//   bench_convert_memory <kelvor.exe> <work folder>

#include "app/win32/layout.h"
#include "bench/bench_setup.h"

#include <psapi.h>

#include <cstdio>
#include <exception>
#include <stdexcept>

using namespace kelvor;

namespace {

constexpr int Messages = 5000;

struct WorkingSet {
    double peakMiB;
    double nowMiB;
};

WorkingSet Measure(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters)))
        throw std::runtime_error("cannot read the memory counters");
    constexpr double MiB = 1024.0 * 1024.0;
    return {static_cast<double>(counters.PeakWorkingSetSize) / MiB,
            static_cast<double>(counters.WorkingSetSize) / MiB};
}

int CountFiles(const std::wstring& pattern) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_convert_memory <kelvor.exe> <work folder>\n");
        return 2;
    }
    try {
        const std::wstring folder = argv[2];
        const std::wstring kelvor = bench::PrepareProgram(argv[1], folder);
        bench::WriteDataFile(folder + L"\\a0.bin", 65536);
        bench::WriteDataFile(folder + L"\\a1.bin", 65536);
        bench::UseGeneratedMailbox(
            folder + L"\\mailbox.json",
            {Messages, 4096, {folder + L"\\a0.bin", folder + L"\\a1.bin"}, 1});

        WorkingSet afterStart{};
        WorkingSet afterConvert{};
        {
            const bench::RunningKelvor running(kelvor, L"bench", Messages);
            afterStart = Measure(running.Process());
            SendMessageW(running.Control(win32::ConvertButtonId), BM_CLICK, 0, 0);
            afterConvert = Measure(running.Process());
        }
        const int requests = CountFiles(folder + L"\\gateway\\API_IN\\*.API");
        std::printf("Working set now: %.1f MiB after start-up, %.1f MiB after Convert\n",
                    afterStart.nowMiB, afterConvert.nowMiB);
        const double growth = afterConvert.peakMiB - afterStart.peakMiB;
        std::printf("Peak working set, one run: %.1f MiB after start-up, %.1f MiB after Convert "
                    "of %d messages (%d request files); growth %.1f MiB (goal: at most 8 MiB, "
                    "%s)\n",
                    afterStart.peakMiB, afterConvert.peakMiB, Messages, requests, growth,
                    growth <= 8.0 ? "met" : "MISSED");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_convert_memory: %s\n", e.what());
        return 1;
    }
}

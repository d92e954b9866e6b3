// Linear cost: body-file writing, text conversion and reading a configuration line of 1, 8 and
// 64 MiB, each as time per MiB. Nothing quadratic: the 64 MiB figure should stay within 1.3
// times the 1 MiB figure.
//
//   bench_linear_cost [work directory, default: a new one under the temp directory]

#include "config/configuration.h"
#include "gateway/body_file.h"
#include "platform/text_conversion.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MiB = 1024 * 1024;

int Repeats(std::size_t mib) {
    return mib >= 64 ? 2 : 5;
}

double BestSecondsPerMiB(std::size_t mib, auto&& work) {
    double best = 1e9;
    for (int i = 0; i < Repeats(mib); ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best / static_cast<double>(mib);
}

std::string MixedText(std::size_t size) {
    std::string text;
    text.reserve(size);
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int line = 0; text.size() < size; ++line)
        text += std::string("Zeile mit Umlauten \xe4\xf6\xfc und Text ") + ends[line % 3];
    text.resize(size);
    return text;
}

void Report(const char* what, const double (&perMiB)[3]) {
    const double growth = perMiB[2] / perMiB[0];
    std::printf("%-24s 1 MiB: %8.3f ms/MiB   8 MiB: %8.3f ms/MiB   64 MiB: %8.3f ms/MiB   "
                "64/1: %.2f (goal: at most 1.3, %s)\n",
                what, perMiB[0] * 1e3, perMiB[1] * 1e3, perMiB[2] * 1e3, growth,
                growth <= 1.3 ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kelvor-bench-linear";
    fs::create_directories(root);
    const std::size_t sizes[] = {1, 8, 64};
    double body[3], conversion[3], configuration[3];

    for (int s = 0; s < 3; ++s) {
        const std::size_t bytes = sizes[s] * MiB;
        const std::string text = MixedText(bytes);
        body[s] = BestSecondsPerMiB(sizes[s], [&] {
            // Body files are created new, as exports create theirs.
            fs::remove(root / "body.MSG");
            kelvor::SaveBodyFile(root / "body.MSG", kelvor::NormalizeLineEnds(text)).Keep();
        });

        std::u16string wide(bytes, u'a');
        for (std::size_t i = 0; i < wide.size(); i += 7)
            wide[i] = i % 2 ? u'\u0151' : u'\u20ac';
        conversion[s] = BestSecondsPerMiB(sizes[s], [&] {
            if (kelvor::ToAnsi(wide).size() != wide.size())
                std::abort();
        });

        {
            std::ofstream prm(root / kelvor::ConfigurationFileName, std::ios::binary);
            prm << std::string(bytes, 'g') << "\r\nACME\r\nMAIN\r\n";
        }
        configuration[s] = BestSecondsPerMiB(sizes[s], [&] {
            if (kelvor::LoadConfiguration(root / "kelvor").GatewayDir.native().size() <= bytes)
                std::abort();
        });
    }
    std::printf("Time per MiB, the best of %d runs at 1 and 8 MiB and of %d at 64 MiB:\n",
                Repeats(1), Repeats(64));
    Report("body file", body);
    Report("text conversion", conversion);
    Report("configuration line", configuration);
    fs::remove_all(root);
    return 0;
}

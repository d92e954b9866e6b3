// Export throughput: Convert of 5,000 messages (4 KiB text with mixed line ends, two 64 KiB
// attachments each) through the real export code, against a baseline that writes the same bytes
// and copies the same files with plain system calls, putting each file on the disk before the
// request's rename and the rename after it, as the export does.
//
//   bench_export_throughput [work directory, default: a new one under the temp directory]

#include "bench/line_ends.h"
#include "support/memory_controls.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using kelvor::testing_support::MemoryForm;
using kelvor::testing_support::ScriptedAttachment;
using kelvor::testing_support::ScriptedMessage;

namespace {

constexpr int Messages = 5000;
constexpr int Rounds = 3;

std::string MixedText() {
    std::string text;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int line = 0; text.size() < 4096 - 80; ++line)
        text += "Line " + std::to_string(line) + " of the message, with some words in it." +
                ends[line % 3];
    text.resize(4096, 'x');
    return text;
}

fs::path FreshGateway(const fs::path& root) {
    fs::remove_all(root);
    fs::create_directories(root / "API_IN");
    fs::create_directories(root / "ATT_IN");
    return root;
}

double Seconds(auto&& work) {
    // Start each measurement with no dirty pages left by the one before.
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double RealExport(const fs::path& gateway, const std::u16string& text, const fs::path& a0,
                  const fs::path& a1) {
    MemoryForm f(kelvor::ProgramValues{.GatewayDir = fs::path(gateway.string() + "/"),
                                       .RecipientQualifier1 = "ACME",
                                       .RecipientQualifier2 = "MAIN",
                                       .TargetUser = "jsmith"});
    const std::string path0 = a0.string();
    const std::string path1 = a1.string();
    for (int i = 0; i < Messages; ++i) {
        f.mailbox.messages.push_back(ScriptedMessage{
            u"Subject A",
            u"Ann Example",
            text,
            {ScriptedAttachment{u"report.pdf", std::u16string(path0.begin(), path0.end())},
             ScriptedAttachment{u"notes", std::u16string(path1.begin(), path1.end())}}});
        f.subjectList.Add("Subject A");
    }
    f.mailbox.SignOn();
    f.mailbox.SetMessagesSessionID(f.mailbox.SessionID());
    f.mailbox.Fetch();
    return Seconds([&] { f.form.ConvertAll(); });
}

// A file created new with the bytes, on the disk; false when it cannot be.
bool WriteSynced(const fs::path& path, const std::string& bytes, int from = -1) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool written = fd != -1;
    if (from != -1) {
        for (off_t offset = 0; written;) {
            const ssize_t moved = ::copy_file_range(from, &offset, fd, nullptr, 1 << 18, 0);
            written = moved >= 0;
            if (moved <= 0)
                break;
        }
    } else {
        written = written &&
                  ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    written = written && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

double Baseline(const fs::path& gateway, const std::string& body, const fs::path& a0,
                const fs::path& a1) {
    const int sources[] = {::open(a0.c_str(), O_RDONLY), ::open(a1.c_str(), O_RDONLY)};
    const int apiIn = ::open((gateway / "API_IN").c_str(), O_RDONLY | O_DIRECTORY);
    const double seconds = Seconds([&] {
        for (int n = 1; n <= Messages; ++n) {
            const std::string number = std::to_string(n);
            std::string request =
                "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n"
                "SUBJECT= Subject A;\r\nTO= ACME.MAIN.jsmith;\r\n"
                "FROM-TEXT= Ann Example;\r\nMSG-FILE= " +
                number + ".MSG;\r\nATTACH-FILE=\r\n    Current-File= " + number +
                ".0;\r\n    Original-File= report.pdf;,\r\n    Current-File= " + number +
                ".1;\r\n    Original-File= notes;\r\n;\r\n-END-\r\n";
            const fs::path temporary = gateway / "API_IN" / (number + ".tmp");
            bool written = WriteSynced(gateway / "ATT_IN" / (number + ".MSG"), body);
            for (int k = 0; k < 2; ++k)
                written =
                    written && WriteSynced(gateway / "ATT_IN" / (number + "." + std::to_string(k)),
                                           {}, sources[k]);
            // Written whole under a name of its own, then named, as the export does.
            if (!written || !WriteSynced(temporary, request) ||
                ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD,
                            (gateway / "API_IN" / (number + ".API")).c_str(),
                            RENAME_NOREPLACE) != 0 ||
                ::fsync(apiIn) != 0)
                std::abort();
        }
    });
    for (const int fd : {sources[0], sources[1], apiIn})
        ::close(fd);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kelvor-bench-export";
    fs::create_directories(root);
    const fs::path a0 = root / "attachment0.bin";
    const fs::path a1 = root / "attachment1.bin";
    for (const auto& path : {a0, a1}) {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 65536; ++i)
            out.put(static_cast<char>(i * 31 + path.string().size()));
    }
    const std::string text = MixedText();
    const std::u16string wide(text.begin(), text.end());
    const std::string body = kelvor::bench::WithCrLf(text);

    std::vector<double> ratios;
    for (int round = 1; round <= Rounds; ++round) {
        // Alternate the order, so neither side always runs after the other's writes.
        double real = 0;
        double baseline = 0;
        if (round % 2) {
            real = RealExport(FreshGateway(root / "real"), wide, a0, a1);
            baseline = Baseline(FreshGateway(root / "baseline"), body, a0, a1);
        } else {
            baseline = Baseline(FreshGateway(root / "baseline"), body, a0, a1);
            real = RealExport(FreshGateway(root / "real"), wide, a0, a1);
        }
        std::printf("round %d: export %.3f s, baseline %.3f s\n", round, real, baseline);
        ratios.push_back(real / baseline);
    }
    std::sort(ratios.begin(), ratios.end());
    const double ratio = ratios[ratios.size() / 2];
    std::printf("Export of %d messages against the baseline: %.3f, the median of the rounds' "
                "ratios (goal: at most 1.15, %s)\n",
                Messages, ratio, ratio <= 1.15 ? "met" : "MISSED");
    fs::remove_all(root);
    return 0;
}

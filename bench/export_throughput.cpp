// Export throughput: Convert of 5,000 messages (4 KiB text with mixed line ends, two 64 KiB
// attachments each) through the real export code, against a baseline that writes the same bytes
// with plain buffered writes and copies the same files with the platform's own copy call.
//
//   bench_export_throughput [work directory, default: a new one under the temp directory]

#include "bench/line_ends.h"
#include "support/memory_controls.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

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

double Baseline(const fs::path& gateway, const std::string& body, const fs::path& a0,
                const fs::path& a1) {
    return Seconds([&] {
        for (int n = 1; n <= Messages; ++n) {
            const std::string number = std::to_string(n);
            std::string request =
                "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n"
                "SUBJECT= Subject A;\r\nTO= ACME.MAIN.jsmith;\r\n"
                "FROM-TEXT= Ann Example;\r\nMSG-FILE= " +
                number + ".MSG;\r\nATTACH-FILE=\r\n    Current-File= " + number +
                ".0;\r\n    Original-File= report.pdf;,\r\n    Current-File= " + number +
                ".1;\r\n    Original-File= notes;\r\n;\r\n-END-\r\n";
            std::ofstream(gateway / "ATT_IN" / (number + ".MSG"), std::ios::binary) << body;
            fs::copy_file(a0, gateway / "ATT_IN" / (number + ".0"),
                          fs::copy_options::overwrite_existing);
            fs::copy_file(a1, gateway / "ATT_IN" / (number + ".1"),
                          fs::copy_options::overwrite_existing);
            // Written whole under a name of its own, then named, as the export does.
            const fs::path temporary = gateway / "API_IN" / (number + ".tmp");
            std::ofstream(temporary, std::ios::binary) << request;
            fs::rename(temporary, gateway / "API_IN" / (number + ".API"));
        }
    });
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

    double bestReal = 1e9;
    double bestBaseline = 1e9;
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
        bestReal = std::min(bestReal, real);
        bestBaseline = std::min(bestBaseline, baseline);
    }
    std::printf("Export of %d messages: %.3f s; baseline: %.3f s; ratio %.3f (goal: at most "
                "1.15)\n",
                Messages, bestReal, bestBaseline, bestReal / bestBaseline);
    fs::remove_all(root);
    return 0;
}

// What a gateway sees of the real kelvor.exe's requests while Convert copies large attachments:
// a reader that polls API_IN finds each request whole, its body file and copy in place; killed in
// the copy of an attachment of 2 GiB, the program leaves only the whole exports before it, and the
// next run takes the number of the one it was killed in.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

namespace kelvor::testing_support {
namespace {

// Large enough that copying it takes most of an export's time.
constexpr std::uintmax_t AttachmentSize = 32u << 20;

// The numbers of the files in the directory whose names end in `suffix`.
std::vector<int> Numbered(const std::filesystem::path& directory, const std::wstring& suffix) {
    std::vector<int> numbers;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().extension() == suffix)
            numbers.push_back(std::stoi(entry.path().stem().wstring()));
    }
    return numbers;
}

TEST(WholeRequests, AReaderFindsOnlyWholeRequestsAndAKilledProgramLeavesNoOther) {
    KelvorRun run("{}");
    const std::string large =
        run.Folder().Attachment("large.bin", std::string(AttachmentSize, 'L'));
    const MailMessage message{"Large", "Ann", "Text", "Text", {{"large.bin", large, ""}}};
    const std::string huge = run.Folder().Attachment("huge.bin", "");
    std::filesystem::resize_file(huge, std::uintmax_t{2} << 30);
    std::vector<MailMessage> messages(6, message);
    messages.push_back({"Huge", "Ann", "Text", "Text", {{"huge.bin", huge, ""}}});
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(messages));
    const std::filesystem::path apiIn = std::filesystem::path(run.Folder().Gateway()) / "API_IN";
    const std::filesystem::path attIn = std::filesystem::path(run.Folder().Gateway()) / "ATT_IN";
    // What a gateway taking request n would find wrong with it. A request it cannot open at that
    // moment (renaming it, the program still holds it) it takes later.
    const auto fault = [&](int n) -> std::string {
        const std::string number = std::to_string(n);
        const std::string request = FileBytes(apiIn / (number + ".API"));
        if (request == "(missing)")
            return {};
        if (request != RequestBytes(n, message, "jsmith"))
            return number + ".API";
        std::error_code error;
        if (FileBytes(attIn / (number + ".MSG")) != "Text" ||
            std::filesystem::file_size(attIn / (number + ".0"), error) != AttachmentSize)
            return number + ".MSG or " + number + ".0";
        return {};
    };

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    std::atomic<bool> stop = false;
    std::atomic<int> passes = 0;
    std::set<std::string> faults;
    std::thread gateway([&] {
        for (; !stop; ++passes) {
            for (const int n : Numbered(apiIn, L".API"))
                faults.insert(fault(n));
        }
    });

    // Killed in the copy of the seventh message's attachment, as Task Manager ends a program.
    PostMessageW(window.Control(win32::ConvertButtonId), BM_CLICK, 0, 0);
    const int killed = 7;
    const bool caught = WaitFor(
        [&] {
            std::error_code error;
            if (std::filesystem::file_size(attIn / "7.0", error) <= AttachmentSize || error)
                return false;
            TerminateProcess(run.Process().Handle(), 9);
            return true;
        },
        120s);
    const int seen = passes;
    WaitFor([&] { return passes > seen + 1; });
    stop = true;
    gateway.join();
    ASSERT_TRUE(caught);
    EXPECT_EQ(run.Process().WaitForExit(), 9u);
    // The reader found requests, each of them whole, and nothing else is left.
    EXPECT_EQ(faults, std::set<std::string>{""});
    EXPECT_EQ(run.Folder().Listing("API_IN"), "1.API 2.API 3.API 4.API 5.API 6.API");
    EXPECT_EQ(run.Folder().Listing("ATT_IN"),
              "1.0 1.MSG 2.0 2.MSG 3.0 3.MSG 4.0 4.MSG 5.0 5.MSG 6.0 6.MSG");
    for (int n = 1; n < killed; ++n)
        EXPECT_EQ(FileBytes(apiIn / (std::to_string(n) + ".API")),
                  RequestBytes(n, message, "jsmith"));

    run.Start(L"jsmith");
    const KelvorWindow next(run.MainWindow());
    ASSERT_TRUE(next.Ready());
    next.ClickSubject(0);
    const std::string after = std::to_string(killed) + ".API";
    EXPECT_TRUE(WaitForBytes(apiIn / after, RequestBytes(killed, message, "jsmith")));
    PostMessageW(next.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

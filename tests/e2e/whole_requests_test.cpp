// What a gateway sees of the real kelvor.exe's requests while Convert copies large attachments:
// every request it finds in API_IN is whole, with its body file and copy in place, and a program
// killed in the middle of an export leaves no request that is not.

#include "platform/unique_handle.h"
#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace kelvor::testing_support {
namespace {

constexpr int Messages = 10;
// Large enough that copying it takes most of an export's time.
constexpr std::uintmax_t AttachmentSize = 32u << 20;

void CloseKernelHandle(HANDLE handle) noexcept {
    CloseHandle(handle);
}
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

// Messages that each name the same large attachment file.
std::vector<MailMessage> LargeAttachments(const ProgramFolder& folder) {
    const std::string path = folder.Attachment("large.bin", std::string(AttachmentSize, 'L'));
    std::vector<MailMessage> messages;
    for (int i = 0; i < Messages; ++i) {
        const std::string subject = "Message " + std::to_string(i);
        messages.push_back({subject.c_str(), "Ann", "Text", "Text", {{"large.bin", path, ""}}});
    }
    return messages;
}

std::filesystem::path Directory(const ProgramFolder& folder, const char* name) {
    return std::filesystem::path(folder.Gateway()) / name;
}

// The numbers of the files in API_IN that end in `suffix`.
std::vector<int> Numbered(const ProgramFolder& folder, const std::wstring& suffix) {
    std::vector<int> numbers;
    for (const auto& entry : std::filesystem::directory_iterator(Directory(folder, "API_IN"))) {
        if (entry.path().extension() == suffix)
            numbers.push_back(std::stoi(entry.path().stem().wstring()));
    }
    return numbers;
}

// What is wrong with export n as a gateway would find it once its request is there: the
// request's bytes, its body file and its copy; empty when nothing is.
std::string Fault(const ProgramFolder& folder, const std::vector<MailMessage>& messages, int n) {
    const std::string number = std::to_string(n);
    const std::string request = FileBytes(Directory(folder, "API_IN") / (number + ".API"));
    if (request == "(missing)")
        return {};
    if (n < 1 || n > static_cast<int>(messages.size()))
        return number + ".API is no export of this run";
    if (request != RequestBytes(n, messages.at(static_cast<std::size_t>(n - 1)), "jsmith"))
        return number + ".API holds " + std::to_string(request.size()) + " bytes" +
               (request.ends_with("-END-\r\n") ? "" : ", not ending in -END-");
    if (FileBytes(Directory(folder, "ATT_IN") / (number + ".MSG")) != "Text")
        return number + ".MSG is not whole";
    std::error_code error;
    if (std::filesystem::file_size(Directory(folder, "ATT_IN") / (number + ".0"), error) !=
        AttachmentSize)
        return number + ".0 is not whole";
    return {};
}

// A gateway that takes requests as they appear: it polls API_IN from another thread while
// Convert runs and looks at every request it finds.
TEST(WholeRequests, AReaderOfTheGatewayFindsOnlyWholeRequestsDuringConvert) {
    KelvorRun run("{}");
    const auto messages = LargeAttachments(run.Folder());
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(messages));
    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());

    std::atomic<bool> stop = false;
    std::atomic<int> passes = 0;
    std::set<std::string> faults;
    std::thread gateway([&] {
        while (!stop) {
            for (const int n : Numbered(run.Folder(), L".API")) {
                if (std::string fault = Fault(run.Folder(), messages, n); !fault.empty())
                    faults.insert(std::move(fault));
            }
            ++passes;
        }
    });
    PressKey(VK_RETURN);
    const bool all =
        WaitFor([&] { return Numbered(run.Folder(), L".API").size() == Messages; }, 120s);
    // The reader looks once more at all of them.
    const int seen = passes;
    WaitFor([&] { return passes > seen + 1; });
    stop = true;
    gateway.join();
    ASSERT_TRUE(all);
    EXPECT_EQ(faults, std::set<std::string>{});
    for (int n = 1; n <= Messages; ++n)
        EXPECT_EQ(Fault(run.Folder(), messages, n), "") << "export " << n;
    EXPECT_TRUE(Numbered(run.Folder(), L".tmp").empty());

    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

// Killed while a request is written, the program leaves the exports before it whole and that
// request under its temporary name; the next run numbers its exports after it.
TEST(WholeRequests, AProgramKilledInTheMiddleOfAnExportLeavesNoRequestThatIsNotWhole) {
    KelvorRun run("{}");
    const auto messages = LargeAttachments(run.Folder());
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(messages));
    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    const UniqueKernelHandle thread(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE,
                                               GetWindowThreadProcessId(window.Handle(), nullptr)));
    ASSERT_TRUE(thread);

    // The program is stopped where it is, and killed only if a request is still being written.
    PressKey(VK_RETURN);
    std::optional<int> killed;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<int> writing = Numbered(run.Folder(), L".tmp");
            if (writing.empty())
                return false;
            SuspendThread(thread.get());
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            GetThreadContext(thread.get(), &context);
            if (Numbered(run.Folder(), L".tmp") != writing) {
                ResumeThread(thread.get());
                return false;
            }
            TerminateProcess(run.Process().Handle(), 9);
            killed = writing.at(0);
            return true;
        },
        120s));
    EXPECT_EQ(run.Process().WaitForExit(), 9u);
    ASSERT_TRUE(killed);

    const std::vector<int> requests = Numbered(run.Folder(), L".API");
    EXPECT_EQ(requests.size(), static_cast<std::size_t>(*killed - 1));
    for (const int n : requests) {
        EXPECT_LT(n, *killed);
        EXPECT_EQ(Fault(run.Folder(), messages, n), "") << "export " << n;
    }

    run.Start(L"jsmith");
    const KelvorWindow next(run.MainWindow());
    ASSERT_TRUE(next.Ready());
    next.ClickSubject(0);
    const int n = *killed + 1;
    EXPECT_TRUE(WaitForBytes(Directory(run.Folder(), "API_IN") / (std::to_string(n) + ".API"),
                             RequestBytes(n, messages[0], "jsmith")));
    EXPECT_TRUE(std::filesystem::exists(Directory(run.Folder(), "API_IN") /
                                        (std::to_string(*killed) + ".tmp")));
    PressAltKey('E');
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

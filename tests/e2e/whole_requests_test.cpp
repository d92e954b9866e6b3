// What a gateway sees of the real kelvor.exe's requests while Convert copies large attachments:
// a reader that polls API_IN finds each request whole, its body file and copy in place; killed in
// the middle of an export, the program leaves that request under its temporary name alone, and
// the next run numbers its exports after it.

#include "platform/unique_handle.h"
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

void CloseKernelHandle(HANDLE handle) noexcept {
    CloseHandle(handle);
}

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
    run.Mailbox().WriteFile("mailbox.json", MailboxFile(std::vector(10, message)));
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
    const UniqueHandle<HANDLE, CloseKernelHandle> thread(
        OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE,
                   GetWindowThreadProcessId(window.Handle(), nullptr)));
    ASSERT_TRUE(thread);
    std::atomic<bool> stop = false;
    std::atomic<int> passes = 0;
    std::set<std::string> faults;
    std::thread gateway([&] {
        for (; !stop; ++passes) {
            for (const int n : Numbered(apiIn, L".API"))
                faults.insert(fault(n));
        }
    });

    // Some exports into Convert the program is stopped where it is, and killed only if a
    // request is still being written.
    PostMessageW(window.Control(win32::ConvertButtonId), BM_CLICK, 0, 0);
    int killed = 0;
    const bool caught = WaitFor(
        [&] {
            const std::vector<int> writing = Numbered(apiIn, L".tmp");
            if (writing.empty() || writing[0] < 5)
                return false;
            SuspendThread(thread.get());
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            GetThreadContext(thread.get(), &context);
            if (Numbered(apiIn, L".tmp") != writing) {
                ResumeThread(thread.get());
                return false;
            }
            TerminateProcess(run.Process().Handle(), 9);
            killed = writing[0];
            return true;
        },
        120s);
    const int seen = passes;
    WaitFor([&] { return passes > seen + 1; });
    stop = true;
    gateway.join();
    ASSERT_TRUE(caught);
    EXPECT_EQ(run.Process().WaitForExit(), 9u);
    // The reader found requests, each of them whole.
    EXPECT_EQ(faults, std::set<std::string>{""});
    EXPECT_EQ(Numbered(apiIn, L".API").size(), static_cast<std::size_t>(killed - 1));
    for (int n = 1; n < killed; ++n)
        EXPECT_EQ(FileBytes(apiIn / (std::to_string(n) + ".API")),
                  RequestBytes(n, message, "jsmith"));

    run.Start(L"jsmith");
    const KelvorWindow next(run.MainWindow());
    ASSERT_TRUE(next.Ready());
    next.ClickSubject(0);
    const std::string after = std::to_string(killed + 1) + ".API";
    EXPECT_TRUE(WaitForBytes(apiIn / after, RequestBytes(killed + 1, message, "jsmith")));
    EXPECT_TRUE(std::filesystem::exists(apiIn / (std::to_string(killed) + ".tmp")));
    PostMessageW(next.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
}

} // namespace
} // namespace kelvor::testing_support

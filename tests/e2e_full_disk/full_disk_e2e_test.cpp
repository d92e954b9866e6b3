// The real kelvor.exe converting onto a file system that fills up on the way: the general error
// display says "Disk full.", the program stays open, every export before the failed one is whole
// and the failed one left none of its files behind.

#include "support/e2e_export.h"
#include "support/native_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kelvor::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace win32;

constexpr int Messages = 400;

TEST(FullDiskEndToEnd, ConvertShowsDiskFullAndTheProgramStaysOpen) {
    const char* folder = std::getenv("KELVOR_FULL_DISK_DIR");
    ASSERT_NE(folder, nullptr) << "run through scripts/with-small-disk";
    const fs::path gateway = NativePath(folder);
    fs::create_directory(gateway / "API_IN");
    fs::create_directory(gateway / "ATT_IN");

    // Empty texts take no space, so it is a request file that meets the full disk.
    std::vector<MailMessage> messages;
    for (int i = 0; i < Messages; ++i) {
        const std::string subject = "Message " + std::to_string(i);
        messages.push_back({subject.c_str(), "Ann Example", "", "", {}});
    }
    KelvorRun run(MailboxFile(messages));
    run.Folder().WriteConfiguration(gateway.string() + "\r\nACME\r\nMAIN\r\n");

    run.Start(L"jsmith");
    const KelvorWindow window(run.MainWindow());
    ASSERT_TRUE(window.Ready());
    PressKey(VK_RETURN);

    {
        const ProgramBox box(run.Process(), L"Kelvor", 120s);
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box.Text(), L"Disk full.");
        EXPECT_TRUE(IsWindowVisible(window.Handle()));
        ASSERT_TRUE(box.PressOk());
    }
    EXPECT_TRUE(WaitFor([&] { return window.Usable(); }));
    EXPECT_TRUE(run.Process().Running());

    const auto request = [&](int n) { return gateway / "API_IN" / (std::to_string(n) + ".API"); };
    const auto body = [&](int n) { return gateway / "ATT_IN" / (std::to_string(n) + ".MSG"); };
    int failed = 1;
    while (fs::exists(request(failed)))
        ++failed;
    ASSERT_GT(failed, 1) << "the disk filled before the first export";
    ASSERT_LT(failed, Messages) << "the disk never filled";
    EXPECT_EQ(window.SelectedSubject(), failed - 2)
        << "the views do not show the last export made whole";
    for (int n = 1; n < failed; ++n) {
        EXPECT_EQ(FileBytes(request(n)), RequestBytes(n, messages[n - 1], "jsmith", "ACME.MAIN."))
            << "export " << n;
        EXPECT_EQ(FileBytes(body(n)), "") << "export " << n;
    }
    // The failed export removed the body file it wrote before its request, and the batch ended
    // with it.
    EXPECT_FALSE(fs::exists(body(failed)));
    EXPECT_FALSE(fs::exists(body(failed + 1)));
    EXPECT_EQ(std::distance(fs::directory_iterator(gateway / "API_IN"), fs::directory_iterator()),
              failed - 1);

    window.ClickControl(ExitButtonId);
    EXPECT_EQ(run.Process().WaitForExit(), 0u);
    EXPECT_EQ(run.CountInLog("SignOff"), 1);
}

} // namespace
} // namespace kelvor::testing_support

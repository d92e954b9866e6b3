// Convert onto a file system that fills up on the way: the export that hits the full disk stops
// with its error, leaves no request file behind, and every export before it is whole.

#include "platform/error.h"
#include "platform/paths.h"
#include "support/memory_controls.h"
#include "support/native_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kelvor {
namespace {

namespace fs = std::filesystem;
using testing_support::MemoryForm;
using testing_support::NativePath;
using testing_support::ScriptedMessage;

constexpr int Messages = 400;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ExpectedRequest(int n, int message) {
    const std::string number = std::to_string(n);
    return "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\nSUBJECT= Message " +
           std::to_string(message) +
           ";\r\nTO= ACME.MAIN.jsmith;\r\nFROM-TEXT= Ann Example;\r\nMSG-FILE= " + number +
           ".MSG;\r\n-END-\r\n";
}

struct Fill {
    // Each message's text; the body file it makes.
    std::size_t textBytes;
    std::string error;
};

// Each case fills the disk in a gateway of its own and empties it again for the next.
class FullDisk : public testing::TestWithParam<Fill> {
protected:
    void TearDown() override {
        if (!gateway.empty())
            fs::remove_all(gateway);
    }

    fs::path gateway;
};

TEST_P(FullDisk, ConvertStopsWithItsErrorAndKeepsTheExportsBeforeWhole) {
    const char* folder = std::getenv("KELVOR_FULL_DISK_DIR");
    ASSERT_NE(folder, nullptr) << "run through scripts/with-small-disk";
    gateway = fs::path(NativePath(folder)) / "gateway";
    fs::create_directory(gateway);
    fs::create_directory(gateway / "API_IN");
    fs::create_directory(gateway / "ATT_IN");

    MemoryForm f(ProgramValues{.GatewayDir = fs::path(gateway.string() + PathSeparator),
                               .RecipientQualifier1 = "ACME",
                               .RecipientQualifier2 = "MAIN",
                               .TargetUser = "jsmith"});
    const std::string text(GetParam().textBytes, 'x');
    for (int i = 0; i < Messages; ++i) {
        const std::string subject = "Message " + std::to_string(i);
        f.mailbox.messages.push_back(ScriptedMessage{std::u16string(subject.begin(), subject.end()),
                                                     u"Ann Example",
                                                     std::u16string(text.begin(), text.end()),
                                                     {}});
        f.subjectList.Add(subject);
    }
    f.mailbox.SignOn();
    f.mailbox.SetMessagesSessionID(f.mailbox.SessionID());
    f.mailbox.Fetch();

    std::string message;
    try {
        f.form.ConvertAll();
    } catch (const Error& e) {
        message = e.what();
    }
    const int failed = f.form.Values().ExportCounter;
    ASSERT_GT(failed, 1) << "the disk filled before the first export";
    ASSERT_LT(failed, Messages) << "the disk never filled";
    EXPECT_EQ(message, GetParam().error);
    EXPECT_EQ(f.host.closeCount, 0) << "the program stays open";

    for (int n = 1; n < failed; ++n) {
        EXPECT_EQ(ReadAll(gateway / "API_IN" / (std::to_string(n) + ".API")),
                  ExpectedRequest(n, n - 1))
            << "export " << n;
        EXPECT_EQ(ReadAll(gateway / "ATT_IN" / (std::to_string(n) + ".MSG")), text);
    }
    EXPECT_FALSE(fs::exists(gateway / "API_IN" / (std::to_string(failed) + ".API")))
        << "the failed export left its request file behind";
}

// Empty bodies take no space, so it is a request file that meets the full disk. A body of 40,000
// bytes fills the 64 KiB disk part of the way through the second one, whose write comes up short.
INSTANTIATE_TEST_SUITE_P(Bodies, FullDisk,
                         testing::Values(Fill{0, "Disk full"}, Fill{40000, "Stream write error"}));

} // namespace
} // namespace kelvor

// Writing onto a file system that fills up on the way. Convert: the export that hits the full
// disk stops with its error, leaves none of its files behind, and every export before it is
// whole. The files: each write that meets the full disk says so.

#include "platform/error.h"
#include "platform/files.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/mail_messages.h"
#include "support/memory_controls.h"
#include "support/native_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace kelvor {
namespace {

namespace fs = std::filesystem;
using testing_support::ExpectedRequest;
using testing_support::MemoryForm;
using testing_support::NativePath;
using testing_support::ScriptedMessage;

constexpr int Messages = 400;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
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
                  ExpectedRequest(n, "Message " + std::to_string(n - 1), "ACME.MAIN.jsmith",
                                  "Ann Example", {}))
            << "export " << n;
        EXPECT_EQ(ReadAll(gateway / "ATT_IN" / (std::to_string(n) + ".MSG")), text);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(gateway / "API_IN"), fs::directory_iterator()),
              failed - 1)
        << "the failed export left its request file behind";
    EXPECT_FALSE(fs::exists(gateway / "ATT_IN" / (std::to_string(failed) + ".MSG")))
        << "the failed export left its body file behind";
}

// Empty bodies take no space, so it is a request file that meets the full disk. A body of 40,000
// bytes fills the 64 KiB disk part of the way through the second one, whose write comes up short.
INSTANTIATE_TEST_SUITE_P(Bodies, FullDisk,
                         testing::Values(Fill{0, "Disk full"}, Fill{40000, "Stream write error"}));

// A folder of its own on the small disk, the disk filled up to its last byte by a file there.
class FullFolder {
public:
    FullFolder() {
        const char* disk = std::getenv("KELVOR_FULL_DISK_DIR");
        if (disk == nullptr)
            throw std::runtime_error("run through scripts/with-small-disk");
        path_ = fs::path(NativePath(disk)) / "full";
        fs::create_directory(path_);
        OutputFile filler;
        if (!filler.CreateNew(path_ / "filler"))
            throw std::runtime_error("cannot create the filler");
        try {
            for (;;)
                filler.Write(std::string(4096, 'f'));
        } catch (const EInOutError&) {
        }
        try {
            for (;;)
                filler.Write("f");
        } catch (const EInOutError&) {
        }
        filler.Keep();
    }
    FullFolder(const FullFolder&) = delete;
    FullFolder& operator=(const FullFolder&) = delete;
    ~FullFolder() { fs::remove_all(path_); }

    fs::path operator/(const char* name) const { return path_ / name; }

private:
    fs::path path_;
};

TEST(OutputFile, ReportsAFullDisk) {
    const FullFolder full;
    OutputFile file;
    ASSERT_TRUE(file.CreateNew(full / "out"));
    try {
        file.Write("x");
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Code(), DiskFull);
        EXPECT_STREQ(error.what(), "Disk full");
    }
}

TEST(WriteNewFile, ReportsATextItCannotWriteInFullAndRemovesTheFile) {
    const FullFolder full;
    try {
        WriteNewFile(full / "1.MSG", "text").Keep();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Stream write error");
    }
    EXPECT_FALSE(fs::exists(full / "1.MSG"));
}

TEST(CopyToNewFile, ReportsAFullDiskAndRemovesTheCopy) {
    const FullFolder full;
    EXPECT_THROW(CopyToNewFile(full / "filler", full / "1.0").Keep(), CopyFailed);
    EXPECT_FALSE(fs::exists(full / "1.0"));
}

} // namespace
} // namespace kelvor

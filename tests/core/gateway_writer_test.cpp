// The one writer of the gateway's files, on its own thread: what each task comes to, and what
// abandoning does to a task whose call does not return.

#include "driver/wait.h"
#include "gateway/gateway_paths.h"
#include "gateway/gateway_writer.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/program_folder.h"
#include "support/wake_count.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvor {
namespace {

using Outcome = WriterResult::Outcome;
using testing_support::ProgramFolder;

// A writer into the folder's gateway, and the times it woke its owner.
struct Writer {
    explicit Writer(const ProgramFolder& folder)
        : writer(std::filesystem::path(folder.Gateway() + PathSeparator),
                 [this] { wakes.Wake(); }) {}
    WriterResult Wait(GatewayWriter::Ticket ticket) {
        wakes.WaitUntil([&] { return writer.Done(ticket); });
        return writer.Take(ticket);
    }
    testing_support::WakeCount wakes;
    GatewayWriter writer;
};

ExportJob Job(std::vector<AttachmentToCopy> attachments = {}) {
    return {"Subject", "ACME", "MAIN", "jsmith", "Ann", "Text", std::move(attachments)};
}

// What each task comes to: the number it found or claimed last, its failure, the files left.
TEST(GatewayWriter, EachTaskComesToItsOutcome) {
    const int none = 0;
    const int largest = std::numeric_limits<std::int32_t>::max();
    // What the gateway holds first ("-API_IN": no such folder; "API_IN/x/": a folder); the task
    // (a scan, or an export after the counter, with an attachment whose file is missing); then
    // the outcome, the number, part of the failure's message and the files left.
    const std::tuple<std::string, bool, int, bool, Outcome, int, std::string, std::string> rows[] =
        {
            {"API_IN/4.API ATT_IN/7.0", false, none, false, Outcome::Done, 7, "", "4.API 7.0"},
            {"API_IN/3.MSG/", false, none, false, Outcome::Done, 0, "", "3.MSG"},
            {"", true, 0, false, Outcome::Done, 1, "", "1.API 1.MSG"},
            {"API_IN/2.tmp", true, 1, false, Outcome::Done, 3, "", "2.tmp 3.API 3.MSG"},
            {"-API_IN", true, 0, false, Outcome::NoRequestFile, 1, "", ""},
            {"", true, 0, true, Outcome::Failed, 1, "Cannot copy attachment ", ""},
            {"", true, largest, false, Outcome::Failed, largest, "No export number is left", ""},
        };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        const auto& [holds, exports, counter, missing, outcome, number, failure, left] = rows[row];
        SCOPED_TRACE(row);
        ProgramFolder folder;
        folder.MakeGatewayTree();
        std::istringstream names(holds);
        for (std::string name; names >> name;) {
            const std::filesystem::path path = std::filesystem::path(folder.Gateway()) / name;
            if (name.starts_with('-'))
                std::filesystem::remove(std::filesystem::path(folder.Gateway()) / name.substr(1));
            else if (name.ends_with('/'))
                std::filesystem::create_directory(path);
            else
                test::WriteBytes(path, name);
        }
        std::vector<AttachmentToCopy> attachments;
        if (missing)
            attachments.push_back(
                {std::filesystem::path(folder.MissingAttachment("gone")), "gone"});
        Writer w(folder);
        const WriterResult result =
            w.Wait(exports ? w.writer.Export(Job(attachments), counter) : w.writer.Scan());
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_EQ(result.number, number);
        std::string message;
        try {
            if (result.failure)
                std::rethrow_exception(result.failure);
        } catch (const std::exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message.substr(0, failure.size()), failure);
        EXPECT_EQ(message.empty(), failure.empty()) << message;
        std::string listing;
        for (const char* directory : {"API_IN", "ATT_IN"}) {
            if (std::filesystem::exists(std::filesystem::path(folder.Gateway()) / directory)) {
                const std::string names = folder.Listing(directory);
                listing += (listing.empty() || names.empty() ? "" : " ") + names;
            }
        }
        EXPECT_EQ(listing, left);
        EXPECT_GE(w.wakes.Count(), 1u);
    }
}

#ifndef _WIN32
// A call that does not return, as on a share that stopped answering: reading an attachment from a
// pipe no program writes to. Abandoning the export returns at once, and so does the writer's end;
// once the call returns, nothing of the export is left.
TEST(GatewayWriter, AbandonsAStalledExportWithoutWaitingForIt) {
    for (const bool ending : {false, true}) {
        SCOPED_TRACE(ending);
        ProgramFolder folder;
        folder.MakeGatewayTree();
        const std::string pipe = folder.MissingAttachment("pipe");
        std::filesystem::create_directories(std::filesystem::path(pipe).parent_path());
        ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
        std::optional<Writer> w(folder);
        const auto ticket = w->writer.Export(Job({{std::filesystem::path(pipe), "pipe"}}), 0);
        ASSERT_TRUE(driver::WaitFor([&] { return folder.Listing("ATT_IN") == "1.MSG"; }));
        if (ending)
            w.reset();
        else
            EXPECT_FALSE(w->writer.Abandon()) << "not past its last checkpoint";
        // The call returns: the pipe's writer comes and goes.
        ::close(::open(pipe.c_str(), O_WRONLY));
        EXPECT_TRUE(driver::WaitFor(
            [&] { return folder.Listing("API_IN") + folder.Listing("ATT_IN") == ""; }));
        if (!ending) {
            EXPECT_TRUE(driver::WaitFor([&] { return w->wakes.Count() > 0; }));
            EXPECT_FALSE(w->writer.Done(ticket)) << "an abandoned task has no result";
        }
    }
}
#endif

} // namespace
} // namespace kelvor

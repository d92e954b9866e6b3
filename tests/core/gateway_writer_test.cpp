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
#include <optional>
#include <string>

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

// Tasks run one at a time, in the order given, each with what it came to: the number it found or
// claimed last, and its failure.
TEST(GatewayWriter, RunsTheTasksInTurn) {
    ProgramFolder folder;
    folder.MakeGatewayTree();
    test::WriteBytes(folder.ApiIn("2.tmp"), "another writer's");
    Writer w(folder);
    const auto scan = w.writer.Scan();
    const auto exported = w.writer.Export(Job(), 1);
    const auto failed = w.writer.Export(
        Job({{std::filesystem::path(folder.MissingAttachment("gone")), "gone"}}), 3);
    const WriterResult results[] = {w.Wait(scan), w.Wait(exported), w.Wait(failed)};
    EXPECT_EQ(results[0].outcome, Outcome::Done);
    EXPECT_EQ(results[0].number, 2);
    EXPECT_EQ(results[1].outcome, Outcome::Done);
    EXPECT_EQ(results[1].number, 3) << "past the number another writer holds";
    EXPECT_EQ(results[2].outcome, Outcome::Failed);
    EXPECT_EQ(results[2].number, 4);
    EXPECT_THROW(std::rethrow_exception(results[2].failure), CopyFailed);
    EXPECT_EQ(folder.Listing("API_IN") + " " + folder.Listing("ATT_IN"), "2.tmp 3.API 3.MSG");
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

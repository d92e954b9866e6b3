#pragma once

// The one writer of the gateway's files: every call on the gateway, which a share may keep waiting
// for a minute, is made on a thread of its own, so that the window's thread, which reads the
// mailbox and shows the views, never waits for one. Tasks run one at a time, in the order given.

#include "gateway/export_job.h"
#include "platform/path.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace kelvor {

// What became of a task that was not abandoned.
struct WriterResult {
    enum class Outcome {
        Done,
        // An export whose request file could not be created: nothing was written.
        NoRequestFile,
        Failed,
    };
    Outcome outcome;
    // The last export number the task claimed (an export) or found (a scan).
    std::int32_t number;
    std::exception_ptr failure;
};

class GatewayWriter {
public:
    using Ticket = std::uint64_t;

    // `wake` is called on the writer's thread each time a task has ended, and never once the
    // writer is gone; it must be quick and safe from any thread.
    GatewayWriter(Path gatewayDir, std::function<void()> wake);
    // Abandons every task and returns at once: a call that a share keeps waiting is not waited
    // for, and goes with the process (the files of an export under way with it, on Windows).
    ~GatewayWriter();
    GatewayWriter(const GatewayWriter&) = delete;
    GatewayWriter& operator=(const GatewayWriter&) = delete;

    // The highest export number the gateway's files are named by (LastExportNumber).
    Ticket Scan();
    // The export of `job` under the first free number after `counter`.
    Ticket Export(ExportJob job, std::int32_t counter);
    // Whether the task's result is there to take.
    bool Done(Ticket ticket) const;
    WriterResult Take(Ticket ticket);
    // Whether the task is under way.
    bool Running(Ticket ticket) const;
    // Abandons every task given so far: those waiting at once, the one under way at its next
    // checkpoint, leaving nothing of it in the gateway; a call on a share that does not answer is
    // cancelled where the system can. Abandoned tasks have no result, but those whose request took
    // its name, before or after. Returns at once: true when the task under way is past its last
    // checkpoint, its request taking its name (or refused it) while it runs on.
    bool Abandon();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace kelvor

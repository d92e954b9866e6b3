#include "gateway/gateway_writer.h"

#include "gateway/export_files.h"
#include "gateway/gateway_paths.h"
#include "platform/call_canceller.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace kelvor {
namespace {

// Thrown at a checkpoint of an abandoned task.
struct Abandoned {};

struct Task {
    GatewayWriter::Ticket ticket;
    // None for a scan.
    std::optional<ExportJob> job;
    std::int32_t counter;
};

} // namespace

// Shared with the thread, which may outlive the writer while a call keeps it waiting.
struct GatewayWriter::State {
    explicit State(Path directory) : gatewayDir(std::move(directory)) {}

    const Path gatewayDir;
    mutable std::mutex mutex;
    std::condition_variable tasksGiven;
    std::function<void()> wake;
    std::deque<Task> tasks;
    std::map<Ticket, WriterResult> results;
    Ticket lastGiven = 0;
    // Tasks up to this one are abandoned.
    Ticket abandoned = 0;
    Ticket running = 0;
    bool publishing = false;
    bool closing = false;
    // Set by the thread before it takes its first task.
    std::optional<CallCanceller> canceller;

    // Throws Abandoned where the running task is to be given up; past the last checkpoint, it no
    // longer can be.
    void Check(Checkpoint checkpoint) {
        const std::lock_guard lock(mutex);
        if (running <= abandoned)
            throw Abandoned();
        if (checkpoint == Checkpoint::Publish)
            publishing = true;
    }

    WriterResult Run(Task& task) {
        const auto check = [this](Checkpoint checkpoint) { Check(checkpoint); };
        try {
            if (!task.job) {
                return {WriterResult::Outcome::Done,
                        LastExportNumber(gatewayDir, [&] { check(Checkpoint::Piece); }), nullptr};
            }
            const bool written = WriteExport(gatewayDir, *task.job, task.counter, check);
            return {written ? WriterResult::Outcome::Done : WriterResult::Outcome::NoRequestFile,
                    task.counter, nullptr};
        } catch (const Abandoned&) {
            throw;
        } catch (...) {
            return {WriterResult::Outcome::Failed, task.counter, std::current_exception()};
        }
    }

    void Serve() {
        {
            const std::lock_guard lock(mutex);
            canceller.emplace();
        }
        for (;;) {
            Task task;
            {
                std::unique_lock lock(mutex);
                tasksGiven.wait(lock, [&] { return closing || !tasks.empty(); });
                if (closing)
                    return;
                task = std::move(tasks.front());
                tasks.pop_front();
                running = task.ticket;
            }
            std::optional<WriterResult> result;
            try {
                result = Run(task);
            } catch (const Abandoned&) {
            }
            const std::lock_guard lock(mutex);
            running = 0;
            publishing = false;
            // An abandoned task's result is no one's, but for files that took their names.
            if (result &&
                (task.ticket > abandoned || result->outcome == WriterResult::Outcome::Done))
                results.emplace(task.ticket, std::move(*result));
            if (wake)
                wake();
        }
    }
};

GatewayWriter::GatewayWriter(Path gatewayDir, std::function<void()> wake)
    : state_(std::make_shared<State>(std::move(gatewayDir))) {
    state_->wake = std::move(wake);
    std::thread([state = state_] { state->Serve(); }).detach();
}

GatewayWriter::~GatewayWriter() {
    Abandon();
    const std::lock_guard lock(state_->mutex);
    state_->wake = nullptr;
    state_->closing = true;
    state_->tasksGiven.notify_one();
}

GatewayWriter::Ticket GatewayWriter::Scan() {
    const std::lock_guard lock(state_->mutex);
    state_->tasks.push_back({++state_->lastGiven, std::nullopt, 0});
    state_->tasksGiven.notify_one();
    return state_->lastGiven;
}

GatewayWriter::Ticket GatewayWriter::Export(ExportJob job, std::int32_t counter) {
    const std::lock_guard lock(state_->mutex);
    state_->tasks.push_back({++state_->lastGiven, std::move(job), counter});
    state_->tasksGiven.notify_one();
    return state_->lastGiven;
}

bool GatewayWriter::Done(Ticket ticket) const {
    const std::lock_guard lock(state_->mutex);
    return state_->results.contains(ticket);
}

WriterResult GatewayWriter::Take(Ticket ticket) {
    const std::lock_guard lock(state_->mutex);
    return state_->results.extract(ticket).mapped();
}

bool GatewayWriter::Running(Ticket ticket) const {
    const std::lock_guard lock(state_->mutex);
    return state_->running == ticket;
}

bool GatewayWriter::Abandon() {
    const std::lock_guard lock(state_->mutex);
    State& state = *state_;
    state.abandoned = state.lastGiven;
    state.tasks.clear();
    if (state.publishing)
        return true;
    // Not while the request takes its name: that call ends as it would have.
    if (state.running && state.canceller)
        state.canceller->Cancel();
    return false;
}

} // namespace kelvor

#pragma once

// What all stand-in controls of a process share: the mailbox read from KELVOR_STANDIN_MAILBOX,
// its faults, the call log named by KELVOR_STANDIN_LOG, and the sessions signed on.
//
// Creating a session control reads both variables and the mailbox file afresh, so each new pair
// of controls starts from the file as it is then, with fault counts at zero. When the last
// control is released, the stage lets go of the mailbox and closes the log, so that both files
// can be removed.

#include "standin/call_log.h"
#include "standin/failure.h"
#include "standin/fault_plan.h"
#include "standin/mailbox_file.h"

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>

namespace kelvor::standin {

class Stage {
public:
    static Stage& Instance();

    void Reload();
    // Loads the mailbox unless it has been loaded already.
    void EnsureLoaded();

    // The served mailbox; throws the Failure that reading it met.
    std::shared_ptr<const Mailbox> ServedMailbox();
    // What the mailbox asks the controls to offer; IPersistStreamInit when it could not be read.
    Persistence OfferedPersistence();

    std::optional<Failure> InjectedFault(std::string_view op, std::optional<std::int32_t> message);
    bool Logging();
    void Log(std::string_view line);

    void ControlCreated();
    void ControlReleased();

    void OpenSession(std::int32_t id);
    void CloseSession(std::int32_t id);
    bool IsOpen(std::int32_t id);

private:
    Stage() = default;
    void LoadLocked();
    void UnloadLocked();

    std::mutex mutex_;
    bool loaded_ = false;
    std::shared_ptr<const Mailbox> mailbox_;
    std::optional<Failure> loadFailure_;
    FaultPlan faults_;
    CallLog log_;
    std::multiset<std::int32_t> sessions_;
    long controls_ = 0;
};

// Logs from where no exception may leave, a COM method or a dialog procedure: a line the log
// cannot take is lost.
void LogQuietly(std::string_view line) noexcept;

// Counts one live control for as long as it exists.
class StageReference {
public:
    StageReference() { Stage::Instance().ControlCreated(); }
    StageReference(const StageReference&) = delete;
    StageReference& operator=(const StageReference&) = delete;
    ~StageReference() { Stage::Instance().ControlReleased(); }
};

} // namespace kelvor::standin

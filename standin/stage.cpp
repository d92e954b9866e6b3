#include "standin/stage.h"

#include "standin/text.h"

#include <windows.h>

namespace kelvor::standin {

Stage& Stage::Instance() {
    static Stage stage;
    return stage;
}

void Stage::Reload() {
    const std::lock_guard lock(mutex_);
    LoadLocked();
}

void Stage::EnsureLoaded() {
    const std::lock_guard lock(mutex_);
    if (!loaded_)
        LoadLocked();
}

void Stage::UnloadLocked() {
    loaded_ = false;
    mailbox_.reset();
    loadFailure_.reset();
    faults_ = FaultPlan();
    log_ = CallLog();
}

void Stage::LoadLocked() {
    UnloadLocked();
    loaded_ = true;
    try {
        if (const auto logPath = Environment(L"KELVOR_STANDIN_LOG"); logPath && !logPath->empty())
            log_ = CallLog(*logPath);
        const auto path = Environment(L"KELVOR_STANDIN_MAILBOX");
        if (!path || path->empty())
            throw Failure{HRESULT_FROM_WIN32(ERROR_ENVVAR_NOT_FOUND),
                          L"No mailbox: the environment variable KELVOR_STANDIN_MAILBOX does not "
                          L"name a mailbox file"};
        auto mailbox = std::make_shared<Mailbox>(ReadMailboxFile(*path));
        faults_ = FaultPlan(std::move(mailbox->faults));
        mailbox_ = std::move(mailbox);
    } catch (const Failure& failure) {
        loadFailure_ = failure;
    }
}

std::shared_ptr<const Mailbox> Stage::ServedMailbox() {
    const std::lock_guard lock(mutex_);
    if (!loaded_)
        LoadLocked();
    if (loadFailure_)
        throw *loadFailure_;
    return mailbox_;
}

Persistence Stage::OfferedPersistence() {
    const std::lock_guard lock(mutex_);
    return mailbox_ ? mailbox_->persistence : Persistence::StreamInit;
}

std::optional<Failure> Stage::InjectedFault(std::string_view op,
                                            std::optional<std::int32_t> message) {
    const std::lock_guard lock(mutex_);
    return faults_.Match(op, message);
}

bool Stage::Logging() {
    const std::lock_guard lock(mutex_);
    return log_.Enabled();
}

void Stage::Log(std::string_view line) {
    const std::lock_guard lock(mutex_);
    log_.Write(line);
}

void LogQuietly(std::string_view line) noexcept {
    try {
        Stage::Instance().Log(line);
    } catch (...) {
    }
}

void Stage::ControlCreated() {
    const std::lock_guard lock(mutex_);
    ++controls_;
}

void Stage::ControlReleased() {
    const std::lock_guard lock(mutex_);
    if (--controls_ == 0)
        UnloadLocked();
}

void Stage::OpenSession(std::int32_t id) {
    const std::lock_guard lock(mutex_);
    sessions_.insert(id);
}

void Stage::CloseSession(std::int32_t id) {
    const std::lock_guard lock(mutex_);
    if (const auto found = sessions_.find(id); found != sessions_.end())
        sessions_.erase(found);
}

bool Stage::IsOpen(std::int32_t id) {
    const std::lock_guard lock(mutex_);
    return sessions_.contains(id);
}

} // namespace kelvor::standin

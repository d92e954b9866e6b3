#pragma once

// In-memory stand-ins for the window's controls and the mailbox, for native tests of the form's
// logic. They record what the form does to them so tests can check order and state.

#include "app/form_views.h"
#include "app/main_form.h"
#include "mailbox/mailbox_source.h"
#include "platform/error.h"
#include "support/wake_count.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvor::testing_support {

class MemoryList : public ListView {
public:
    std::vector<std::string> items;
    int selected = -1;

    void Clear() override {
        items.clear();
        selected = -1;
    }
    void Add(const std::string& item) override { items.push_back(item); }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    int Count() const override { return static_cast<int>(items.size()); }
    int ItemIndex() const override { return selected; }
    void SetItemIndex(int index) override { selected = index; }
};

class MemoryText : public MessageView {
public:
    std::string text;
    // Beyond it the view refuses a text with RefusedText: its own words, not the window's, so that
    // a test sees only what the program does with a refusal.
    std::size_t capacity = std::string::npos;
    static constexpr const char* RefusedText = "memory view refused the text";

    void Clear() override { text.clear(); }
    void SetText(const std::string& value) override {
        if (value.size() > capacity)
            throw Error(RefusedText);
        text = value;
    }
    std::string Text() const override { return text; }
};

class MemoryEdit : public EditView {
public:
    std::string text;
    bool readOnly = false;
    bool tabStop = true;
    std::function<void()> onChange;

    std::string Text() const override { return text; }
    void SetText(const std::string& value) override {
        if (value == text)
            return;
        text = value;
        if (onChange)
            onChange();
    }
    void SetReadOnly(bool value) override { readOnly = value; }
    void SetTabStop(bool value) override { tabStop = value; }
    void SetFocus() override {
        focused = true;
        if (onFocus)
            onFocus();
    }
    bool focused = false;
    std::function<void()> onFocus;
};

class MemoryButton : public ButtonView {
public:
    bool enabled = true;
    bool focused = false;

    std::function<void()> onFocus;

    void SetEnabled(bool value) override { enabled = value; }
    bool Enabled() const override { return enabled; }
    void SetFocus() override {
        focused = true;
        if (onFocus)
            onFocus();
    }
};

class MemoryHost : public FormHost {
public:
    std::vector<std::string> dialogs;
    int closeCount = 0;
    // Each batch's progress: (done, total).
    std::vector<std::pair<int, int>> progress;
    // Steps of all work so far, and the one at which the user stops the work (0: never).
    int workSteps = 0;
    int stopAtStep = 0;
    // The kinds of work begun, in order.
    std::vector<WorkKind> works;
    Path executablePath = std::filesystem::path("/opt/kelvor/kelvor");
    std::string commandLine = "kelvor";
    std::function<void()> onClose;
    // When set, dialogs ("DIALOG <text>") and closes ("CLOSE") are also appended here, so a test
    // can see them in order with the mailbox calls.
    std::vector<std::string>* journal = nullptr;
    // When set, a batch's begin ("BATCH <total>"), progress ("PROGRESS <done>"), finish
    // ("FINISH") and end ("END") are appended here.
    std::vector<std::string>* batchJournal = nullptr;

    void ShowErrorDialog(const std::string& text) override {
        dialogs.push_back(text);
        Note("DIALOG " + text);
    }
    void Close() override {
        ++closeCount;
        Note("CLOSE");
        if (onClose)
            onClose();
    }
    std::unique_ptr<BusyWork> BeginWork(WorkKind kind) override {
        works.push_back(kind);
        return std::make_unique<Work>(*this);
    }
    void SetInputEnabled(bool enabled) override { Note(enabled ? "INPUT on" : "INPUT off"); }
    void Wake() override { wakes_.Wake(); }
    Path ExecutablePath() const override { return executablePath; }
    std::string CommandLine() const override { return commandLine; }
    std::unique_ptr<ExportBatch> BeginBatch(int total) override {
        NoteBatch("BATCH " + std::to_string(total));
        return std::make_unique<Batch>(*this, total);
    }

private:
    class Work : public BusyWork {
    public:
        explicit Work(MemoryHost& host) : host_(host) {}
        void Step() override { host_.Step(); }
        void Wait(const std::function<bool()>& done) override { host_.Wait(done); }
        bool WaitAfterStop(const std::function<bool()>& done) override {
            return host_.WaitAfterStop(done);
        }

    private:
        MemoryHost& host_;
    };

    class Batch : public ExportBatch {
    public:
        Batch(MemoryHost& host, int total) : host_(host), total_(total) {}
        ~Batch() override { host_.NoteBatch("END"); }
        void Step() override { host_.Step(); }
        void Wait(const std::function<bool()>& done) override { host_.Wait(done); }
        bool WaitAfterStop(const std::function<bool()>& done) override {
            return host_.WaitAfterStop(done);
        }
        void Progress(int done) override {
            host_.progress.emplace_back(done, total_);
            host_.NoteBatch("PROGRESS " + std::to_string(done));
            host_.Step();
        }
        void Finish() override { host_.NoteBatch("FINISH"); }

    private:
        MemoryHost& host_;
        int total_;
    };

    void Step() {
        if (++workSteps == stopAtStep)
            throw WorkStopped();
    }
    // One step a wait, once it is over, however long the writer took: the steps count alike in
    // every run, and a stop there comes after what was waited for.
    void Wait(const std::function<bool()>& done) {
        WaitAfterStop(done);
        Step();
    }
    bool WaitAfterStop(const std::function<bool()>& done) {
        wakes_.WaitUntil(done);
        return true;
    }

    WakeCount wakes_;

    void NoteBatch(const std::string& entry) {
        if (batchJournal)
            batchJournal->push_back(entry);
    }

    void Note(const std::string& entry) {
        if (journal)
            journal->push_back(entry);
    }
};

struct ScriptedAttachment {
    std::u16string name;
    std::u16string path;
};

struct ScriptedMessage {
    std::u16string subject;
    std::u16string sender;
    std::u16string text;
    std::vector<ScriptedAttachment> attachments;
};

// A mailbox that behaves like the stand-in server: SessionID is positive while signed on,
// indexes are checked, and any operation can be made to fail. Every call is logged by name
// ("SignOn", "put MsgIndex 2", "get MsgSubject", ...).
class ScriptedMailbox : public MailboxSource {
public:
    std::vector<ScriptedMessage> messages;
    std::int32_t sessionIdOnSignOn = 7;
    std::vector<std::string> log;
    // Operation name ("SignOn", "get MsgSubject", "put MsgIndex") to the 1-based occurrence
    // that fails; 0 makes every occurrence fail.
    std::map<std::string, int> faults;
    // Runs at the start of every operation, with its name: lets a test look at the files on
    // disk at a given point of an export.
    std::function<void(const std::string&)> onCall;

    void SetLogonUI(bool value) override { Call("put LogonUI", value ? "true" : "false"); }
    void SetNewSession(bool value) override { Call("put NewSession", value ? "true" : "false"); }
    std::int32_t SessionID() override {
        Call("get SessionID");
        return sessionId_;
    }
    void SignOn() override {
        Call("SignOn");
        if (sessionId_ > 0)
            throw Error("Session already signed on");
        sessionId_ = sessionIdOnSignOn;
    }
    void SignOff() override {
        Call("SignOff");
        sessionId_ = 0;
    }
    void SetMessagesSessionID(std::int32_t value) override {
        Call("put Messages.SessionID", std::to_string(value));
        messagesSessionId_ = value;
    }
    void Fetch() override {
        Call("Fetch");
        if (messagesSessionId_ <= 0 || messagesSessionId_ != sessionId_)
            throw Error("Invalid session");
        fetched_ = true;
    }
    std::int32_t MsgCount() override {
        Call("get MsgCount");
        return fetched_ ? static_cast<std::int32_t>(messages.size()) : 0;
    }
    void SetMsgIndex(std::int32_t value) override {
        Call("put MsgIndex", std::to_string(value));
        if (value < 0 || value >= static_cast<std::int32_t>(messages.size()))
            throw Error("Invalid message index");
        msgIndex_ = value;
        attachmentIndex_ = 0;
    }
    std::u16string MsgSubject() override {
        Call("get MsgSubject");
        return Current().subject;
    }
    std::u16string MsgOrigDisplayName() override {
        Call("get MsgOrigDisplayName");
        return Current().sender;
    }
    std::u16string MsgNoteText() override {
        Call("get MsgNoteText");
        return Current().text;
    }
    std::int32_t AttachmentCount() override {
        Call("get AttachmentCount");
        return static_cast<std::int32_t>(Current().attachments.size());
    }
    void SetAttachmentIndex(std::int32_t value) override {
        Call("put AttachmentIndex", std::to_string(value));
        if (value < 0 || value >= static_cast<std::int32_t>(Current().attachments.size()))
            throw Error("Invalid attachment index");
        attachmentIndex_ = value;
    }
    std::u16string AttachmentName() override {
        Call("get AttachmentName");
        return Current().attachments.at(attachmentIndex_).name;
    }
    std::u16string AttachmentPathName() override {
        Call("get AttachmentPathName");
        return Current().attachments.at(attachmentIndex_).path;
    }

    std::int32_t CurrentSessionID() const { return sessionId_; }

private:
    void Call(const std::string& op, const std::string& value = {}) {
        if (onCall)
            onCall(op);
        const int occurrence = ++occurrences_[op];
        const auto fault = faults.find(op);
        if (fault != faults.end() && (fault->second == 0 || fault->second == occurrence)) {
            log.push_back("FAIL " + op);
            throw Error("Injected failure of " + op);
        }
        log.push_back(value.empty() ? op : op + " " + value);
    }
    const ScriptedMessage& Current() const {
        if (!fetched_ || msgIndex_ >= static_cast<std::int32_t>(messages.size()))
            throw Error("No current message");
        return messages[static_cast<std::size_t>(msgIndex_)];
    }

    std::int32_t sessionId_ = 0;
    std::int32_t messagesSessionId_ = 0;
    bool fetched_ = false;
    std::int32_t msgIndex_ = 0;
    std::int32_t attachmentIndex_ = 0;
    std::map<std::string, int> occurrences_;
};

// A form wired to in-memory controls, the way the Win32 shell wires the real window: the edit
// field's change runs OnUserNameChange, and closing runs OnClose. `focus` names the control that
// was given the focus last. The program-wide values are those of a form that has not started,
// or those given.
struct MemoryForm {
    explicit MemoryForm(ProgramValues values = {})
        : form(Controls(), host, mailbox, std::move(values)) {
        convertButton.enabled = false;
        userName.onChange = [this] { form.OnUserNameChange(); };
        host.onClose = [this] { form.OnClose(); };
        host.journal = &mailbox.log;
        userName.onFocus = [this] { focus = "userName"; };
        convertButton.onFocus = [this] { focus = "convertButton"; };
    }
    MemoryForm(const MemoryForm&) = delete;
    MemoryForm& operator=(const MemoryForm&) = delete;

    MainFormControls Controls() {
        return {userName, convertButton, subjectList, messageView, attachmentList};
    }
    // A form over the same controls and mailbox that goes on from the given values.
    MainForm Resumed(ProgramValues values) {
        return MainForm(Controls(), host, mailbox, std::move(values));
    }

    std::string focus;
    MemoryEdit userName;
    MemoryButton convertButton;
    MemoryList subjectList;
    MemoryText messageView;
    MemoryList attachmentList;
    MemoryHost host;
    ScriptedMailbox mailbox;
    MainForm form;
};

} // namespace kelvor::testing_support

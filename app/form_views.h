#pragma once

#include "gateway/export_views.h"
#include "platform/path.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace kelvor {

// The handful of window controls the main form drives. The Win32 shell implements them with the
// real controls; the native tests with small in-memory ones. Texts are ANSI code page bytes.

class ListView : public LineList {
public:
    // Between the two, items are added without being shown one by one.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual int Count() const = 0;
    // -1 when nothing is selected.
    virtual int ItemIndex() const = 0;
    // Selecting from the program never runs the list's selection handler.
    virtual void SetItemIndex(int index) = 0;
};

class EditView {
public:
    virtual ~EditView() = default;
    virtual std::string Text() const = 0;
    // Runs the form's OnUserNameChange when, and only when, the text actually changes; an error
    // in it comes out of this call.
    virtual void SetText(const std::string& text) = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void SetTabStop(bool tabStop) = 0;
    virtual void SetFocus() = 0;
};

class ButtonView {
public:
    virtual ~ButtonView() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetFocus() = 0;
};

// The work a user waits for: the start-up, the export of a selected subject, a Convert.
enum class WorkKind { Startup, Export, Convert };

// The user stopped the work: Esc (an export, a Convert), or closing the window and the end of the
// Windows session, after which the program ends. What the work wrote whole stays; what it was
// writing is removed.
class WorkStopped : public std::exception {
public:
    explicit WorkStopped(bool programEnds = false) : programEnds_(programEnds) {}
    const char* what() const noexcept override { return "The work was stopped"; }
    bool ProgramEnds() const { return programEnds_; }

private:
    bool programEnds_;
};

// Work the user waits for, until the object goes. The window goes on answering the system
// between its steps; the user's keys and clicks do nothing but stop it.
class BusyWork {
public:
    virtual ~BusyWork() = default;
    // Between two steps of the work: the window answers what arrived when it is time to. Throws
    // WorkStopped once the work is to stop.
    virtual void Step() = 0;
    // Until `done` says so, stepping all the while; FormHost::Wake tells when to look again.
    // Throws WorkStopped as Step does.
    virtual void Wait(const std::function<bool()>& done) = 0;
    // The same once the work is stopped: false, at once, when the program is to end first.
    virtual bool WaitAfterStop(const std::function<bool()>& done) = 0;
};

// A run of exports that the user waits for, Convert's: shown as busy, with its progress, until
// the object goes.
class ExportBatch : public BusyWork {
public:
    // Between two exports: shows the progress and steps. Throws WorkStopped as Step does.
    virtual void Progress(int done) = 0;
    // After the last export, or the one the batch stopped at: the views show where it stopped.
    // Throws what the views could not show meanwhile, once every export is done.
    virtual void Finish() = 0;
};

// What the form needs from the window around it and from the process.
class FormHost {
public:
    virtual ~FormHost() = default;
    // The modal "Error" dialog; returns once the user dismissed it (at once while a quit is
    // pending).
    virtual void ShowErrorDialog(const std::string& text) = 0;
    // Closes the main window: the shell runs MainForm::OnClose, then asks for the quit.
    virtual void Close() = 0;
    // Full path of the running executable, as the OS reports it for the program's own module.
    virtual Path ExecutablePath() const = 0;
    // The process's whole command line, program name included, as 8-bit text.
    virtual std::string CommandLine() const = 0;
    // Work of that kind begins: the start-up's, or the export of the selected subject.
    virtual std::unique_ptr<BusyWork> BeginWork(WorkKind kind) = 0;
    // Off while calls into the mailbox may take messages themselves (its logon dialog, a fetch
    // that waits): the user's keys and clicks are kept from the window whichever loop takes them.
    virtual void SetInputEnabled(bool enabled) = 0;
    // A batch of `total` exports begins.
    virtual std::unique_ptr<ExportBatch> BeginBatch(int total) = 0;
    // From any thread: what a work waits for may have come about.
    virtual void Wake() = 0;
};

// A list being filled, for the life of the object.
class ListUpdate {
public:
    explicit ListUpdate(ListView& list) : list_(list) { list_.BeginUpdate(); }
    ~ListUpdate() { list_.EndUpdate(); }
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;

private:
    ListView& list_;
};

struct MainFormControls {
    EditView& userName;
    ButtonView& convertButton;
    ListView& subjectList;
    MessageView& messageView;
    ListView& attachmentList;
};

} // namespace kelvor

#pragma once

// What the user and the system can do while work runs, decided from the message alone: which
// messages the program's windows take, which stop one asks for, and what Windows hears when it
// asks whether the session may end.

#include "app/form_views.h"

#include <windows.h>

#include <string>

namespace kelvor::win32 {

// A stop asked of the work that runs; later ones weigh more. Esc stops it; a close stops it and
// then closes the window as Exit does.
enum class WorkStop { None, Stop, Close };

// The window of the thread a message is for.
enum class WindowRole { Other, Application, Main, Control, ExitButton };

struct WorkInput {
    // The program's windows take it.
    bool admit;
    WorkStop stop;
};

// While work of `kind` runs, and a call into the mailbox that may show a dialog of its own.
WorkInput DecideWorkInput(const MSG& message, WindowRole role, WorkKind kind, bool inMailboxCall);

// The answer to Windows' question whether the session may end while work of `kind` runs.
bool SessionMayEnd(WorkKind kind, LPARAM flags);

// What Windows shows the user as the reason to wait for the work; empty for none.
std::wstring ShutdownReason(WorkKind kind, int done, int total);

} // namespace kelvor::win32

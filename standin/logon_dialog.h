#pragma once

// The stand-in's logon dialog: a modal dialog with a line of text and an OK button, shown at
// sign-on when the mailbox file asks for it, as the MAPI logon dialog would appear.

#include <windows.h>

namespace kelvor::standin {

// Shows the dialog, owned by `owner` (which may be null), until it is answered in any way, and
// logs when it is shown and when it has closed. Throws Failure when it cannot be shown.
void ShowLogonDialog(HWND owner);

} // namespace kelvor::standin

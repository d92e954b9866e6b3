#include "app/win32/process_info.h"

#include "app/win32/ansi_text.h"
#include "platform/files.h"

#include <windows.h>

namespace kelvor::win32 {

ProcessInfo ProcessInfo::Current() {
    return {ExecutablePath(), ToAnsi(GetCommandLineW())};
}

} // namespace kelvor::win32

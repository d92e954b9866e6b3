#include "app/win32/application_error.h"

#include "app/win32/ansi_text.h"
#include "mailbox/com/ole_error.h"

#include <windows.h>

namespace kelvor::win32 {
namespace {

const char* KindOf(const std::exception& error) {
    if (dynamic_cast<const EOleException*>(&error))
        return "EOleException";
    if (dynamic_cast<const EOleSysError*>(&error))
        return "EOleSysError";
    if (dynamic_cast<const Error*>(&error))
        return "Error";
    return "Exception";
}

} // namespace

std::string ApplicationErrorText(const std::exception& error) {
    return std::string(KindOf(error)) + ": " + error.what();
}

void ShowApplicationError(const std::exception& error) noexcept {
    try {
        const std::wstring text = FromAnsi(ApplicationErrorText(error));
        MessageBoxW(nullptr, text.c_str(), ApplicationErrorCaption,
                    MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    } catch (...) {
        // Nothing is left to show an error with; the exit code tells.
    }
}

} // namespace kelvor::win32

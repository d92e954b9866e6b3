#include "app/win32/program.h"

#include "app/win32/application.h"
#include "app/win32/application_error.h"
#include "app/win32/main_window.h"
#include "mailbox/com/ole_error.h"

#include <commctrl.h>
#include <ole2.h>

#include <optional>

namespace kelvor::win32 {
namespace {

// The single-threaded apartment the MAPI controls live in, for the whole run.
class OleApartment {
public:
    OleApartment() {
        const HRESULT status = OleInitialize(nullptr);
        if (FAILED(status))
            throw EOleSysError(status);
    }
    ~OleApartment() { OleUninitialize(); }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
};

} // namespace

int RunProgram(int showCommand, const MapiLicenseKeys& keys) noexcept {
    try {
        const OleApartment apartment;
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        Application application;
        std::optional<MainWindow> window;
        try {
            window.emplace(application, ProcessInfo::Current(), keys);
        } catch (const std::exception& error) {
            ShowApplicationError(error);
            return 1;
        }
        window->Show(showCommand);
        return application.Run();
    } catch (const std::exception& error) {
        ShowApplicationError(error);
        return 1;
    } catch (...) {
        return 1;
    }
}

} // namespace kelvor::win32

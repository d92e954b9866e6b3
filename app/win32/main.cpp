#include "app/win32/license_keys.h"
#include "app/win32/program.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    return kelvor::win32::RunProgram(showCommand, kelvor::win32::BuiltInLicenseKeys());
}

#include "app/win32/process_info.h"

#include "app/win32/ansi_text.h"
#include "platform/error.h"

#include <windows.h>

namespace kelvor::win32 {
namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw Error("Cannot find the program's own path");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

ProcessInfo ProcessInfo::Current() {
    return {ToAnsi(ModulePath()), ToAnsi(GetCommandLineW())};
}

} // namespace kelvor::win32

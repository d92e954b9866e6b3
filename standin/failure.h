#pragma once

// How the stand-in's operations fail: a status and, unless the failure is a bare status, a
// description the caller receives as exception or error information.

#include <windows.h>

#include <string>

namespace kelvor::standin {

struct Failure {
    HRESULT code;
    std::wstring description;
    // A bare failing status: Invoke or the method returns `code` with no description.
    bool viaStatus = false;
};

// Statuses of the stand-in's own failures.
inline constexpr HRESULT IllegalMethodCall = static_cast<HRESULT>(0x8000000E);
inline constexpr HRESULT BadIndex = DISP_E_BADINDEX;
inline constexpr HRESULT NoSession = E_HANDLE;
inline constexpr HRESULT ReadOnlyProperty = static_cast<HRESULT>(0x800A017F);
inline constexpr HRESULT InvalidMailbox = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

} // namespace kelvor::standin

#pragma once

#include "platform/error.h"

#include <string>

namespace kelvor {

// Codes of the program's own input/output failures, beside the system's error codes.
inline constexpr int ReadBeyondEndOfFile = 100;
inline constexpr int DiskFull = 101; // a write that wrote less than it was given
inline constexpr int InvalidNumericInput = 106;

// Windows reserves bit 29 of an error code for application-defined codes, so the system never
// reports one with it set. A POSIX error that has no Windows equivalent is reported as its errno
// with this bit set, which can never be taken for a Windows code.
inline constexpr int ApplicationErrorFlag = 0x20000000;

// The user's message for a failed read, write or close of a text file.
std::string InOutErrorMessage(int code);

// Translates a POSIX errno into the Windows code of the same meaning, or into the errno marked
// with ApplicationErrorFlag when Windows has none.
int InOutErrorCodeFromErrno(int posixError);

// A read, write or close of a text file failed; code is a Windows error code or one of the
// program's own codes above.
class EInOutError : public Error {
public:
    explicit EInOutError(int code) : Error(InOutErrorMessage(code)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace kelvor

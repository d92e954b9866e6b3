#include "platform/io_error.h"

#include <cerrno>

namespace kelvor {

std::string InOutErrorMessage(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case ReadBeyondEndOfFile:
        return "Read beyond end of file";
    case DiskFull:
        return "Disk full";
    case InvalidNumericInput:
        return "Invalid numeric input";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int InOutErrorCodeFromErrno(int posixError) {
    switch (posixError) {
    case ENOENT:
        return 2; // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
#ifdef ELOOP
    case ELOOP:
#endif
        return 3; // a path the system cannot use
    case EMFILE:
    case ENFILE:
        return 4; // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return 5; // ERROR_ACCESS_DENIED
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return DiskFull;
    case EBADF:
        return 6; // ERROR_INVALID_HANDLE
    default:
        return ApplicationErrorFlag | posixError;
    }
}

} // namespace kelvor

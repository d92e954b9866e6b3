#pragma once

// Errors of the MAPI controls, as the program reports them.

#include "platform/error.h"

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace kelvor {

// A failing COM status. The message is the system's text for the status, or "OLE error
// 80040154" style when the system has none.
class EOleSysError : public Error {
public:
    explicit EOleSysError(HRESULT code);
    EOleSysError(const std::string& message, HRESULT code);

    HRESULT ErrorCode() const noexcept { return code_; }

private:
    HRESULT code_;
};

// A failure a component described itself (an exception raised through IDispatch::Invoke, or
// the thread's error information after a failing method). The message is the component's
// description less trailing blanks, control characters and periods; when nothing is left of
// it, the message falls back as for EOleSysError.
class EOleException : public EOleSysError {
public:
    EOleException(const std::string& description, HRESULT code, std::string source,
                  std::string helpFile, DWORD helpContext);

    const std::string& Source() const noexcept { return source_; }
    const std::string& HelpFile() const noexcept { return helpFile_; }
    DWORD HelpContext() const noexcept { return helpContext_; }

private:
    std::string source_;
    std::string helpFile_;
    DWORD helpContext_;
};

// The system's text for a status (trailing blanks, line ends and periods removed), or
// "OLE error %.8x" when the system has none.
std::string OleErrorMessage(HRESULT code);

// Turns a failing IDispatch::Invoke status into the matching error. Takes ownership of the
// strings in `info` and frees them.
[[noreturn]] void ThrowInvokeError(HRESULT status, EXCEPINFO& info);

// Turns a failing method's HRESULT into an EOleException built from the thread's error
// information (which it takes and clears), with the message of an EOleSysError when there is
// none; does nothing for a success status.
void CheckMethodResult(HRESULT status);

} // namespace kelvor

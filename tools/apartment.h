#pragma once

// The single-threaded apartment of a tool's main thread, for the tool's whole run.

#include "mailbox/com/ole_error.h"

#include <windows.h>

#include <objbase.h>

namespace kelvor::tools {

class Apartment {
public:
    Apartment() : status_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
        if (FAILED(status_))
            throw EOleSysError(status_);
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() { CoUninitialize(); }

private:
    HRESULT status_;
};

} // namespace kelvor::tools

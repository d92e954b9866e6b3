#pragma once

// The call log: one line per operation the stand-in receives, appended to a file as it happens,
// so that a test can check the order of calls even when the process ends abruptly.

#include "standin/unique_handle.h"

#include <string>
#include <string_view>

namespace kelvor::standin {

class CallLog {
public:
    CallLog() = default;
    // Appends to `path`, creating it when missing. Throws Failure when it cannot be opened.
    explicit CallLog(const std::wstring& path);

    bool Enabled() const noexcept { return static_cast<bool>(file_); }
    // Writes `line` and a line feed.
    void Write(std::string_view line);

private:
    UniqueFileHandle file_;
};

} // namespace kelvor::standin

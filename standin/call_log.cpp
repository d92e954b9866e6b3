#include "standin/call_log.h"

#include "standin/failure.h"
#include "standin/text.h"

namespace kelvor::standin {

CallLog::CallLog(const std::wstring& path)
    : file_(CreateFileW(FromLinuxPath(path).c_str(), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_) {
        const DWORD error = GetLastError();
        throw Failure{HRESULT_FROM_WIN32(error),
                      L"Cannot open the call log " + path + L": " + SystemMessage(error)};
    }
}

void CallLog::Write(std::string_view line) {
    if (!file_)
        return;
    std::string record(line);
    record += '\n';
    DWORD written = 0;
    WriteFile(file_.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

} // namespace kelvor::standin

#include "mailbox/com/ole_error.h"

#include "mailbox/com/com_text.h"
#include "platform/local_memory_win32.h"
#include "platform/text_conversion.h"

#include <wrl/client.h>

#include <cstdio>
#include <utility>

namespace kelvor {
namespace {

bool IsTrailingJunk(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F || c == '.';
}

std::string TrimTrailing(std::string text) {
    while (!text.empty() && IsTrailingJunk(text.back()))
        text.pop_back();
    return text;
}

std::string AnsiOf(BSTR text) {
    return ToAnsi(ToU16(text));
}

std::string SystemText(HRESULT code) {
    wchar_t* raw = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    const UniqueLocal<wchar_t> buffer(raw);
    if (length == 0 || !buffer)
        return {};
    std::u16string text(length, u'\0');
    for (DWORD i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(raw[i]);
    return TrimTrailing(ToAnsi(text));
}

} // namespace

std::string OleErrorMessage(HRESULT code) {
    std::string text = SystemText(code);
    if (!text.empty())
        return text;
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "OLE error %.8lx",
                  static_cast<unsigned long>(static_cast<DWORD>(code)));
    return fallback;
}

EOleSysError::EOleSysError(HRESULT code) : EOleSysError(OleErrorMessage(code), code) {}

EOleSysError::EOleSysError(const std::string& message, HRESULT code)
    : Error(message), code_(code) {}

EOleException::EOleException(const std::string& description, HRESULT code, std::string source,
                             std::string helpFile, DWORD helpContext)
    : EOleSysError(
          [&] {
              std::string message = TrimTrailing(description);
              return message.empty() ? OleErrorMessage(code) : message;
          }(),
          code),
      source_(std::move(source)), helpFile_(std::move(helpFile)), helpContext_(helpContext) {}

void ThrowInvokeError(HRESULT status, EXCEPINFO& info) {
    if (status == DISP_E_EXCEPTION && info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    const UniqueBstr description(std::exchange(info.bstrDescription, nullptr));
    const UniqueBstr source(std::exchange(info.bstrSource, nullptr));
    const UniqueBstr helpFile(std::exchange(info.bstrHelpFile, nullptr));
    if (status != DISP_E_EXCEPTION)
        throw EOleSysError(status);
    HRESULT code = info.scode != 0 ? info.scode : static_cast<HRESULT>(info.wCode);
    if (code == 0)
        code = status;
    throw EOleException(AnsiOf(description.get()), code, AnsiOf(source.get()),
                        AnsiOf(helpFile.get()), info.dwHelpContext);
}

void CheckMethodResult(HRESULT status) {
    if (SUCCEEDED(status))
        return;
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        throw EOleException("", status, "", "", 0);
    const auto read = [](HRESULT (STDMETHODCALLTYPE IErrorInfo::*getter)(BSTR*), IErrorInfo& from) {
        BSTR text = nullptr;
        const HRESULT got = (from.*getter)(&text);
        const UniqueBstr owner(text);
        return SUCCEEDED(got) ? AnsiOf(owner.get()) : std::string();
    };
    DWORD helpContext = 0;
    if (FAILED(info->GetHelpContext(&helpContext)))
        helpContext = 0;
    throw EOleException(read(&IErrorInfo::GetDescription, *info.Get()), status,
                        read(&IErrorInfo::GetSource, *info.Get()),
                        read(&IErrorInfo::GetHelpFile, *info.Get()), helpContext);
}

} // namespace kelvor

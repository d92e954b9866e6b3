#include "standin/text.h"

#include "platform/local_memory_win32.h"

#include <windows.h>

namespace kelvor::standin {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(),
                        length);
    return result;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), result.data(),
                        length, nullptr, nullptr);
    return result;
}

std::wstring FromLinuxPath(std::wstring path) {
    if (path.empty() || path[0] != L'/' || (path.size() > 1 && path[1] == L'/'))
        return path;
    return L"Z:" + path;
}

std::wstring ResolvePath(const std::wstring& path, const std::wstring& folder) {
    std::wstring joined = FromLinuxPath(path);
    for (wchar_t& c : joined)
        if (c == L'/')
            c = L'\\';
    const bool absolute = (joined.size() >= 2 && joined[1] == L':') ||
                          (joined.size() >= 2 && joined[0] == L'\\' && joined[1] == L'\\');
    if (!absolute)
        joined = folder + joined;
    const DWORD length = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return joined;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(joined.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length)
        return joined;
    full.resize(written);
    return full;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring SystemMessage(unsigned long code) {
    wchar_t* raw = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    const UniqueLocal<wchar_t> owner(raw);
    std::wstring text(raw ? raw : L"", length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"error " + std::to_wstring(code);
    return text;
}

std::optional<std::wstring> Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

} // namespace kelvor::standin

#pragma once

// Text and path helpers of the stand-in: its files are UTF-8, Windows wants UTF-16.

#include <optional>
#include <string>
#include <string_view>

namespace kelvor::standin {

// UTF-8 to UTF-16; the input has been checked to be valid UTF-8.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A Linux absolute path "/a/b" names the same file under Wine as "Z:\a\b"; other paths pass
// unchanged.
std::wstring FromLinuxPath(std::wstring path);

// The full Windows path of `path`, taken relative to `folder` when it is relative. Forward
// slashes become backslashes; the file need not exist.
std::wstring ResolvePath(const std::wstring& path, const std::wstring& folder);

// The folder part of a full path, with its final backslash.
std::wstring FolderOf(const std::wstring& path);

// The system's text for a Win32 error code, without its line end.
std::wstring SystemMessage(unsigned long code);

// The value of an environment variable; none when it is not set.
std::optional<std::wstring> Environment(const wchar_t* name);

} // namespace kelvor::standin

#pragma once

// A property value as the stand-in passes it around, and its form in the call log.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kelvor::standin {

// Texts are views into the served mailbox, valid while the operation runs.
using Value = std::variant<bool, std::int32_t, std::wstring_view>;

// "true"/"false", decimal numbers, texts as UTF-8 with CR, LF and backslash written as "\r",
// "\n" and "\\", so that every value stays on its log line.
std::string LogForm(const Value& value);

// "0x8002000B": eight upper-case hex digits.
std::string StatusForm(long status);

} // namespace kelvor::standin

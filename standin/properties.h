#pragma once

// The properties the stand-in serves, by control: their DISPIDs, names and value kinds.

#include "mailbox/com/mapi_ids.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace kelvor::standin {

enum class Kind { Bool, Int, Text };

struct PropertySpec {
    DISPID dispid;
    std::string_view name;
    Kind kind;
    bool writable;
};

inline constexpr PropertySpec SessionProperties[] = {
    {mapi::session::LogonUI, "LogonUI", Kind::Bool, true},
    {mapi::session::NewSession, "NewSession", Kind::Bool, true},
    {mapi::session::SessionID, "SessionID", Kind::Int, false},
};

inline constexpr PropertySpec MessagesProperties[] = {
    {mapi::messages::AttachmentCount, "AttachmentCount", Kind::Int, false},
    {mapi::messages::AttachmentIndex, "AttachmentIndex", Kind::Int, true},
    {mapi::messages::AttachmentName, "AttachmentName", Kind::Text, false},
    {mapi::messages::AttachmentPathName, "AttachmentPathName", Kind::Text, false},
    {mapi::messages::MsgCount, "MsgCount", Kind::Int, false},
    {mapi::messages::MsgIndex, "MsgIndex", Kind::Int, true},
    {mapi::messages::MsgNoteText, "MsgNoteText", Kind::Text, false},
    {mapi::messages::MsgOrigDisplayName, "MsgOrigDisplayName", Kind::Text, false},
    {mapi::messages::SessionID, "SessionID", Kind::Int, true},
    {mapi::messages::MsgSubject, "MsgSubject", Kind::Text, false},
};

inline const PropertySpec* FindProperty(std::span<const PropertySpec> table, DISPID dispid) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const PropertySpec& p) { return p.dispid == dispid; });
    return found == table.end() ? nullptr : &*found;
}

// Whether `op` names an operation a fault can be set on: "SignOn", "SignOff", "Fetch",
// "get NAME" or "put NAME".
inline bool IsOperationName(std::string_view op) {
    if (op == "SignOn" || op == "SignOff" || op == "Fetch")
        return true;
    if (!op.starts_with("get ") && !op.starts_with("put "))
        return false;
    const std::string_view name = op.substr(4);
    const auto named = [&](const PropertySpec& p) { return p.name == name; };
    return std::any_of(std::begin(SessionProperties), std::end(SessionProperties), named) ||
           std::any_of(std::begin(MessagesProperties), std::end(MessagesProperties), named);
}

} // namespace kelvor::standin

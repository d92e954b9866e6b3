#pragma once

// The mailbox the stand-in serves, read from its JSON file.
//
// {
//   "sessionId": 7,                                   optional, 1 by default, positive
//   "logonDialog": true,                              optional, false by default
//   "fetchPumpMs": 2000, "fetchBusyMs": 1000,         optional, 0 by default
//   "fetchBusyUntil": "go",                           optional, a file that ends the busy part
//   "persistence": "IPersistStorage",                 optional, "IPersistStreamInit" by default
//   "messages": [ { "subject": "...", "sender": "...", "text": "...",   each optional
//                   "attachments": [ { "name": "report.pdf", "path": "files/report.pdf" },
//                                    { "name": "notes.txt", "content": "..." } ] } ],
//   "faults": [ { "op": "get MsgSubject", "message": 2, "call": 1, "hresult": "0x80040107",
//                 "description": "Invalid message index.", "via": "exception" } ]
// }
//
// A `path` is absolute or relative to the JSON file's folder; a Linux absolute path "/a/b" is
// taken as "Z:\a\b". A `content` is written as UTF-8 into a file of the stand-in's own at fetch.
// Unknown keys are refused, so that a misspelt key cannot silently change a test.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvor::standin {

struct Attachment {
    std::wstring name;
    // The full path of the file that holds the attachment; empty for a `content` attachment.
    std::wstring path;
    // UTF-8 bytes of a `content` attachment.
    std::optional<std::string> content;
};

struct Message {
    std::wstring subject;
    std::wstring sender;
    std::wstring text;
    std::vector<Attachment> attachments;
};

struct FaultSpec {
    // "SignOn", "SignOff", "Fetch", "get NAME" or "put NAME".
    std::string op;
    std::optional<std::int32_t> message;
    std::optional<std::int64_t> call;
    HRESULT hresult;
    std::wstring description;
    bool viaStatus = false;
};

// The interface the controls offer to take their design-time defaults through.
enum class Persistence { StreamInit, Storage, None };

struct Mailbox {
    std::int32_t sessionId = 1;
    // Whether a sign-on with LogonUI shows the stand-in's logon dialog.
    bool logonDialog = false;
    // How long a fetch takes: first handling the thread's messages, as a mail store that
    // downloads does, then busy without looking at them.
    std::int32_t fetchPumpMs = 0;
    std::int32_t fetchBusyMs = 0;
    // When set, the busy part of a fetch ends as soon as this file exists.
    std::wstring fetchBusyUntil;
    Persistence persistence = Persistence::StreamInit;
    std::vector<Message> messages;
    std::vector<FaultSpec> faults;
};

// Reads and checks the file at `path` (a Windows path, or a Linux absolute one). Throws
// Failure with a description that names the file and what is wrong with it.
Mailbox ReadMailboxFile(const std::wstring& path);

// Checks the JSON text of a mailbox whose relative attachment paths are taken from `folder`
// (ending in a backslash). Throws Failure, as above, naming `source`.
Mailbox ParseMailbox(const std::string& json, const std::wstring& folder,
                     const std::wstring& source);

} // namespace kelvor::standin

#include "standin/mailbox_file.h"

#include "standin/failure.h"
#include "standin/properties.h"
#include "standin/text.h"
#include "standin/unique_handle.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace kelvor::standin {
namespace {

using nlohmann::json;

// Walks the parsed file, naming the place of every problem it finds.
class Reader {
public:
    Reader(std::wstring folder, std::wstring source)
        : folder_(std::move(folder)), source_(std::move(source)) {}

    Mailbox Read(const json& root) {
        Expect(root.is_object(), "", "must be an object");
        CheckKeys(root, "",
                  {"sessionId", "logonDialog", "fetchPumpMs", "fetchBusyMs", "fetchBusyUntil",
                   "persistence", "messages", "faults"});
        Mailbox mailbox;
        if (const auto id = root.find("sessionId"); id != root.end()) {
            const auto value = Integer(*id, "sessionId");
            Expect(value > 0 && value <= std::numeric_limits<std::int32_t>::max(), "sessionId",
                   "must be a positive 32-bit number");
            mailbox.sessionId = static_cast<std::int32_t>(value);
        }
        if (const auto dialog = root.find("logonDialog"); dialog != root.end()) {
            Expect(dialog->is_boolean(), "logonDialog", "must be true or false");
            mailbox.logonDialog = dialog->get<bool>();
        }
        mailbox.fetchPumpMs = Milliseconds(root, "fetchPumpMs");
        mailbox.fetchBusyMs = Milliseconds(root, "fetchBusyMs");
        if (root.contains("fetchBusyUntil"))
            mailbox.fetchBusyUntil = ResolvePath(Text(root, "fetchBusyUntil", ""), folder_);
        if (const auto persistence = root.find("persistence"); persistence != root.end()) {
            const std::pair<const char*, Persistence> offers[] = {
                {"IPersistStreamInit", Persistence::StreamInit},
                {"IPersistStorage", Persistence::Storage},
                {"none", Persistence::None}};
            const auto offer = std::find_if(std::begin(offers), std::end(offers),
                                            [&](const auto& o) { return *persistence == o.first; });
            Expect(offer != std::end(offers), "persistence",
                   "must be \"IPersistStreamInit\", \"IPersistStorage\" or \"none\"");
            mailbox.persistence = offer->second;
        }
        for (const auto& [item, where] : Array(root, "messages", ""))
            mailbox.messages.push_back(ReadMessage(item, where));
        for (const auto& [item, where] : Array(root, "faults", ""))
            mailbox.faults.push_back(ReadFault(item, where));
        return mailbox;
    }

private:
    std::wstring folder_;
    std::wstring source_;

    [[noreturn]] void Fail(const std::string& where, const std::string& problem) const {
        const std::string subject = where.empty() ? "the top level" : where;
        throw Failure{InvalidMailbox, L"The mailbox file " + source_ + L" is not usable: " +
                                          Widen(subject + " " + problem)};
    }

    void Expect(bool condition, const std::string& where, const std::string& problem) const {
        if (!condition)
            Fail(where, problem);
    }

    static std::string Join(const std::string& where, const std::string& key) {
        return where.empty() ? key : where + "." + key;
    }

    void CheckKeys(const json& object, const std::string& where,
                   std::initializer_list<std::string_view> known) const {
        for (const auto& [key, value] : object.items())
            if (std::find(known.begin(), known.end(), key) == known.end())
                Fail(Join(where, key), "is not a known key");
    }

    std::vector<std::pair<const json&, std::string>> Array(const json& object, const char* key,
                                                           const std::string& where) const {
        std::vector<std::pair<const json&, std::string>> items;
        const auto found = object.find(key);
        if (found == object.end())
            return items;
        const std::string at = Join(where, key);
        Expect(found->is_array(), at, "must be an array");
        items.reserve(found->size());
        for (std::size_t i = 0; i < found->size(); ++i)
            items.emplace_back((*found)[i], at + "[" + std::to_string(i) + "]");
        return items;
    }

    // An optional duration of up to ten minutes, 0 when absent.
    std::int32_t Milliseconds(const json& object, const std::string& key) const {
        const auto found = object.find(key);
        if (found == object.end())
            return 0;
        const auto value = Integer(*found, key);
        Expect(value >= 0 && value <= 600000, key, "must be 0 to 600000 milliseconds");
        return static_cast<std::int32_t>(value);
    }

    std::int64_t Integer(const json& value, const std::string& where) const {
        Expect(value.is_number_integer(), where, "must be a whole number");
        if (value.is_number_unsigned())
            Expect(value.get<std::uint64_t>() <=
                       static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
                   where, "is too large");
        return value.get<std::int64_t>();
    }

    std::wstring Text(const json& object, const char* key, const std::string& where) const {
        const auto found = object.find(key);
        if (found == object.end())
            return {};
        Expect(found->is_string(), Join(where, key), "must be a string");
        return Widen(found->get_ref<const std::string&>());
    }

    Message ReadMessage(const json& item, const std::string& where) const {
        Expect(item.is_object(), where, "must be an object");
        CheckKeys(item, where, {"subject", "sender", "text", "attachments"});
        Message message{Text(item, "subject", where),
                        Text(item, "sender", where),
                        Text(item, "text", where),
                        {}};
        for (const auto& [attachment, at] : Array(item, "attachments", where))
            message.attachments.push_back(ReadAttachment(attachment, at));
        return message;
    }

    Attachment ReadAttachment(const json& item, const std::string& where) const {
        Expect(item.is_object(), where, "must be an object");
        CheckKeys(item, where, {"name", "path", "content"});
        Expect(item.contains("name"), where, "has no \"name\"");
        const bool byPath = item.contains("path");
        const bool byContent = item.contains("content");
        Expect(byPath != byContent, where, "needs either a \"path\" or a \"content\"");
        Attachment attachment{Text(item, "name", where), {}, {}};
        if (byPath) {
            const std::wstring path = Text(item, "path", where);
            Expect(!path.empty(), Join(where, "path"), "is empty");
            attachment.path = ResolvePath(path, folder_);
        } else {
            Expect(item["content"].is_string(), Join(where, "content"), "must be a string");
            attachment.content = item["content"].get<std::string>();
        }
        return attachment;
    }

    HRESULT Status(const json& value, const std::string& where) const {
        std::int64_t code = 0;
        if (value.is_string()) {
            const std::string& text = value.get_ref<const std::string&>();
            const bool hex =
                text.size() > 2 && text.size() <= 10 && text[0] == '0' &&
                (text[1] == 'x' || text[1] == 'X') &&
                text.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
            Expect(hex, where, "must be a status like \"0x80004005\"");
            code = static_cast<std::int64_t>(std::stoull(text.substr(2), nullptr, 16));
        } else {
            code = Integer(value, where);
        }
        Expect(code >= std::numeric_limits<std::int32_t>::min() && code <= 0xFFFFFFFFll, where,
               "does not fit in 32 bits");
        const auto status = static_cast<HRESULT>(static_cast<std::uint32_t>(code));
        Expect(FAILED(status), where, "is not a failing status");
        return status;
    }

    FaultSpec ReadFault(const json& item, const std::string& where) const {
        Expect(item.is_object(), where, "must be an object");
        CheckKeys(item, where, {"op", "message", "call", "hresult", "description", "via"});
        FaultSpec fault;
        Expect(item.contains("op") && item["op"].is_string(), Join(where, "op"),
               "must be a string");
        fault.op = item["op"].get<std::string>();
        Expect(IsOperationName(fault.op), Join(where, "op"),
               "\"" + fault.op + "\" is not an operation the stand-in knows");
        if (item.contains("message")) {
            const auto message = Integer(item["message"], Join(where, "message"));
            Expect(message >= std::numeric_limits<std::int32_t>::min() &&
                       message <= std::numeric_limits<std::int32_t>::max(),
                   Join(where, "message"), "does not fit in 32 bits");
            fault.message = static_cast<std::int32_t>(message);
        }
        if (item.contains("call")) {
            fault.call = Integer(item["call"], Join(where, "call"));
            Expect(*fault.call >= 1, Join(where, "call"), "must be 1 or more");
        }
        Expect(item.contains("hresult"), where, "has no \"hresult\"");
        fault.hresult = Status(item["hresult"], Join(where, "hresult"));
        fault.description = Text(item, "description", where);
        if (item.contains("via")) {
            const json& via = item["via"];
            Expect(via == "exception" || via == "status", Join(where, "via"),
                   "must be \"exception\" or \"status\"");
            fault.viaStatus = via == "status";
        }
        return fault;
    }
};

} // namespace

Mailbox ParseMailbox(const std::string& text, const std::wstring& folder,
                     const std::wstring& source) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& error) {
        // The library's messages start with a bracketed tag no reader needs.
        std::string what = error.what();
        if (const auto tag = what.find("] "); tag != std::string::npos)
            what.erase(0, tag + 2);
        throw Failure{InvalidMailbox,
                      L"The mailbox file " + source + L" is not valid JSON: " + Widen(what)};
    }
    return Reader(folder, source).Read(root);
}

Mailbox ReadMailboxFile(const std::wstring& path) {
    const std::wstring full = ResolvePath(path, L"");
    const UniqueFileHandle file(CreateFileW(full.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto fail = [&](const wchar_t* what) {
        const DWORD error = GetLastError();
        return Failure{HRESULT_FROM_WIN32(error),
                       what + (L" the mailbox file " + full + L": " + SystemMessage(error))};
    };
    if (!file)
        throw fail(L"Cannot open");
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    do {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            throw fail(L"Cannot read");
        text.append(buffer, read);
    } while (read > 0);
    return ParseMailbox(text, FolderOf(full), full);
}

} // namespace kelvor::standin

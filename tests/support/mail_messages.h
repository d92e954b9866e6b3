#pragma once

// Messages as the tests give them to a mailbox and what their exports should write: the stand-in's
// mailbox file, and the bytes of a request file. Free of any window system, for every suite.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvor::testing_support {

// A text as the mailbox file holds it (UTF-8) and as the program writes it (ANSI code page 1252).
struct MailText {
    MailText(const char* ascii = "") : utf8(ascii), ansi(ascii) {}
    MailText(std::string inUtf8, std::string inAnsi)
        : utf8(std::move(inUtf8)), ansi(std::move(inAnsi)) {}
    std::string utf8;
    std::string ansi;
};

struct MailAttachment {
    MailText name;
    // The file the mailbox names, or empty for an attachment given as content.
    std::string path;
    // What a copy of it holds; for a content attachment also what the mailbox file gives.
    std::string bytes;
};

struct MailMessage {
    MailText subject;
    MailText sender;
    MailText text;
    // The body file: the text in ANSI with every line end made CR LF.
    std::string body;
    std::vector<MailAttachment> attachments;
};

inline std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\r')
            quoted += "\\r";
        else if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + "\"";
}

// A mailbox file for the stand-in; `faults` is the JSON array text of injected faults.
inline std::string MailboxFile(const std::vector<MailMessage>& messages,
                               std::string_view faults = "[]") {
    std::string json = "{\"sessionId\": 7, \"messages\": [";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const MailMessage& message = messages[i];
        json += (i ? ", " : "") + std::string("{\"subject\": ") + JsonString(message.subject.utf8) +
                ", \"sender\": " + JsonString(message.sender.utf8) +
                ", \"text\": " + JsonString(message.text.utf8) + ", \"attachments\": [";
        for (std::size_t k = 0; k < message.attachments.size(); ++k) {
            const MailAttachment& attachment = message.attachments[k];
            json += (k ? ", " : "") + std::string("{\"name\": ") +
                    JsonString(attachment.name.utf8) +
                    (attachment.path.empty() ? ", \"content\": " + JsonString(attachment.bytes)
                                             : ", \"path\": " + JsonString(attachment.path)) +
                    "}";
        }
        json += "]}";
    }
    return json + "], \"faults\": " + std::string(faults) + "}";
}

// The request file that export n writes, from its texts as the program writes them.
inline std::string ExpectedRequest(int n, std::string_view subject, std::string_view to,
                                   std::string_view sender,
                                   const std::vector<std::string>& attachmentNames) {
    const std::string number = std::to_string(n);
    std::string bytes = "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n";
    bytes += "SUBJECT= " + std::string(subject) + ";\r\n";
    bytes += "TO= " + std::string(to) + ";\r\n";
    bytes += "FROM-TEXT= " + std::string(sender) + ";\r\n";
    bytes += "MSG-FILE= " + number + ".MSG;\r\n";
    if (!attachmentNames.empty()) {
        bytes += "ATTACH-FILE=\r\n";
        for (std::size_t k = 0; k < attachmentNames.size(); ++k)
            bytes += (k ? ",\r\n" : "") + std::string("    Current-File= ") + number + "." +
                     std::to_string(k) + ";\r\n    Original-File= " + attachmentNames[k] + ";";
        bytes += "\r\n;\r\n";
    }
    return bytes + "-END-\r\n";
}

// The request file that export n of `message` writes for `user`.
inline std::string RequestBytes(int n, const MailMessage& message, std::string_view user,
                                std::string_view qualifiers = "kelvor.mail.") {
    std::vector<std::string> names;
    for (const MailAttachment& attachment : message.attachments)
        names.push_back(attachment.name.ansi);
    return ExpectedRequest(n, message.subject.ansi, std::string(qualifiers) + std::string(user),
                           message.sender.ansi, names);
}

} // namespace kelvor::testing_support

#include "gateway/request_file.h"

namespace kelvor {

std::string RequestValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' || c == '\n') {
            out += ' ';
            if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += c;
        }
    }
    return out;
}

std::string RequestText(std::int32_t n, const ExportJob& job) {
    const std::string number = std::to_string(n);
    std::string text = "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n";
    text += "SUBJECT= " + RequestValue(job.subject) + ";\r\n";
    text += "TO= " + RequestValue(job.qualifier1) + "." + RequestValue(job.qualifier2) + "." +
            RequestValue(job.targetUser) + ";\r\n";
    text += "FROM-TEXT= " + RequestValue(job.sender) + ";\r\n";
    text += "MSG-FILE= " + number + ".MSG;\r\n";
    if (!job.attachments.empty()) {
        text += "ATTACH-FILE=\r\n";
        for (std::size_t k = 0; k < job.attachments.size(); ++k) {
            // The comma ends the entry before; the last one ends in the semicolon alone.
            if (k > 0)
                text += ",\r\n";
            text += "    Current-File= " + number + "." + std::to_string(k) + ";\r\n";
            text += "    Original-File= " + RequestValue(job.attachments[k].name) + ";";
        }
        text += "\r\n;\r\n";
    }
    text += "-END-\r\n";
    return text;
}

} // namespace kelvor

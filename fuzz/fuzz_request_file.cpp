// The request's text with hostile values: whatever the subject, names and qualifiers hold, it has
// exactly the keyword lines of one request, in order, each ended by CR LF.

#include "gateway/request_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The input holds the values separated by 0xFF bytes; missing values are empty.
std::vector<std::string_view> Values(std::string_view input, std::size_t count) {
    std::vector<std::string_view> values;
    while (values.size() + 1 < count) {
        const auto end = input.find('\xff');
        if (end == std::string_view::npos)
            break;
        values.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    values.push_back(input);
    values.resize(count);
    return values;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            std::abort(); // the last line lacks its CR LF
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void Expect(bool condition) {
    if (!condition)
        std::abort();
}

bool StartsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int attachments = data[0] % 4;
    const auto values =
        Values(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 8);
    kelvor::ExportJob job{.subject = std::string(values[0]),
                          .qualifier1 = std::string(values[1]),
                          .qualifier2 = std::string(values[2]),
                          .targetUser = std::string(values[3]),
                          .sender = std::string(values[4])};
    for (int k = 0; k < attachments; ++k)
        job.attachments.push_back({kelvor::Path(), std::string(values[5 + k])});
    const auto lines = Lines(kelvor::RequestText(7, job));
    const std::size_t expected = 8 + (attachments > 0 ? 2 + 2 * attachments : 0);
    Expect(lines.size() == expected);
    for (const auto& line : lines)
        Expect(line.find_first_of("\r\n") == std::string::npos);
    Expect(lines[0] == "WPC-API= 1.2;" && lines[1] == "MSG-TYPE= MAIL;" &&
           lines[2] == "MSG-ACTION= Import-Inbox;");
    Expect(StartsWith(lines[3], "SUBJECT= ") && lines[3].back() == ';');
    Expect(StartsWith(lines[4], "TO= ") && lines[4].back() == ';');
    Expect(StartsWith(lines[5], "FROM-TEXT= ") && lines[5].back() == ';');
    Expect(lines[6] == "MSG-FILE= 7.MSG;");
    std::size_t at = 7;
    if (attachments > 0) {
        Expect(lines[at++] == "ATTACH-FILE=");
        for (int k = 0; k < attachments; ++k) {
            Expect(lines[at++] == "    Current-File= 7." + std::to_string(k) + ";");
            const std::string& original = lines[at++];
            Expect(StartsWith(original, "    Original-File= "));
            Expect(original.back() == (k + 1 < attachments ? ',' : ';'));
        }
        Expect(lines[at++] == ";");
    }
    Expect(lines[at] == "-END-");
    return 0;
}

#include "gateway/request_file.h"

#include <utility>

namespace kelvor {
namespace {

// A request file of usual size goes out in a single write.
constexpr std::size_t BufferSize = 1 << 16;

} // namespace

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

bool RequestFile::Create(const Path& temporary, const Path& path) {
    buffer_.clear();
    path_ = Path();
    if (!file_.CreateNew(temporary)) {
        return false;
    }
    path_ = path;
    buffer_.reserve(BufferSize);
    return true;
}

void RequestFile::Write(std::string_view text) {
    if (buffer_.size() + text.size() > BufferSize) {
        WriteBuffer();
        if (text.size() >= BufferSize) {
            file_.Write(text);
            return;
        }
    }
    buffer_ += text;
}

void RequestFile::EndLine() {
    Write("\r\n");
}

void RequestFile::WriteLine(std::string_view text) {
    Write(text);
    EndLine();
}

void RequestFile::Close(std::span<OutputFile> named) {
    WriteBuffer();
    file_.Flush();
    // Every file of the export is on the disk now: the marks go last, just before the name.
    for (OutputFile& file : named)
        file.Keep();
    file_.Keep(path_);
}

bool RequestFile::Discard() {
    buffer_.clear();
    return file_.Discard();
}

void RequestFile::WriteBuffer() {
    if (!buffer_.empty()) {
        // Whatever happens, these bytes are not offered to the file a second time.
        const std::string pending = std::exchange(buffer_, std::string());
        buffer_.reserve(BufferSize);
        file_.Write(pending);
    }
}

void RequestFile::WriteHeader() {
    WriteLine("WPC-API= 1.2;");
    WriteLine("MSG-TYPE= MAIL;");
    WriteLine("MSG-ACTION= Import-Inbox;");
}

void RequestFile::WriteSubject(std::string_view subject) {
    Write("SUBJECT= ");
    Write(RequestValue(subject));
    WriteLine(";");
}

void RequestFile::WriteTo(std::string_view qualifier1, std::string_view qualifier2,
                          std::string_view targetUser) {
    Write("TO= ");
    Write(RequestValue(qualifier1));
    Write(".");
    Write(RequestValue(qualifier2));
    Write(".");
    Write(RequestValue(targetUser));
    WriteLine(";");
}

void RequestFile::WriteFromText(std::string_view sender) {
    Write("FROM-TEXT= ");
    Write(RequestValue(sender));
    WriteLine(";");
}

void RequestFile::WriteMsgFile(std::int32_t n) {
    WriteLine("MSG-FILE= " + std::to_string(n) + ".MSG;");
}

void RequestFile::WriteAttachFile() {
    WriteLine("ATTACH-FILE=");
}

void RequestFile::WriteCurrentFile(std::int32_t n, std::int32_t k) {
    WriteLine("    Current-File= " + std::to_string(n) + "." + std::to_string(k) + ";");
}

void RequestFile::WriteOriginalFile(std::string_view name) {
    Write("    Original-File= ");
    Write(RequestValue(name));
    Write(";");
}

void RequestFile::WriteEntrySeparator() {
    Write(",");
    EndLine();
}

void RequestFile::WriteAttachmentsEnd() {
    EndLine();
    WriteLine(";");
}

void RequestFile::WriteEnd() {
    WriteLine("-END-");
}

} // namespace kelvor

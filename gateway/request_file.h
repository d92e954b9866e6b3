#pragma once

#include "platform/files.h"
#include "platform/path.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor {

// A value as it may stand in a request line: every CR LF pair, lone CR and lone LF becomes one
// blank, so a value can never start a line of its own.
std::string RequestValue(std::string_view value);

// The request file of one export, written through a buffer under a temporary name and given
// its own name only once whole. Every write that fails raises EInOutError; a failure may
// surface at a later write or at Close, when the buffer is flushed.
class RequestFile {
public:
    RequestFile() = default;
    RequestFile(const RequestFile&) = delete;
    RequestFile& operator=(const RequestFile&) = delete;
    // Flushes and closes the file if still open, without reporting errors; it keeps its
    // temporary name.
    ~RequestFile();

    // Creates the file new under its temporary name, to be given the name `path` by Close; a
    // file still open is closed first as the destructor would. False when it cannot be created;
    // throws NameTaken when the temporary name exists.
    bool Create(const Path& temporary, const Path& path);
    bool IsOpen() const noexcept { return file_.IsOpen(); }

    void Write(std::string_view text);
    void EndLine();
    void WriteLine(std::string_view text);
    // Writes out the buffer, closes the file and gives it its name, never replacing a file of
    // that name: while the system runs, no one sees the file under that name other than whole.
    // Nothing is flushed to the disk, which made every export several times slower: after a
    // power failure the name may have reached the disk before the bytes, and the request may be
    // found short or empty. Throws EInOutError, NameTaken when the name exists, or Error when it
    // cannot be renamed; the file keeps its temporary name then.
    void Close();
    // Closes without reporting errors and removes the file under its temporary name, even when
    // already closed: for an export that failed part-way, its last write or its close included.
    // False when the file is still there.
    [[nodiscard]] bool Discard();

    // The keyword lines, values made safe with RequestValue.
    void WriteHeader(); // "WPC-API= 1.2;", "MSG-TYPE= MAIL;", "MSG-ACTION= Import-Inbox;"
    void WriteSubject(std::string_view subject);
    void WriteTo(std::string_view qualifier1, std::string_view qualifier2,
                 std::string_view targetUser);
    void WriteFromText(std::string_view sender);
    void WriteMsgFile(std::int32_t n);
    void WriteAttachFile();                                // "ATTACH-FILE="
    void WriteCurrentFile(std::int32_t n, std::int32_t k); // "    Current-File= n.k;"
    void WriteOriginalFile(std::string_view name);         // no line end: see below
    void WriteEntrySeparator();                            // "," and the line end
    void WriteAttachmentsEnd();                            // the line end, then ";"
    void WriteEnd();                                       // "-END-"

private:
    void Flush();
    void CloseQuietly() noexcept;

    OutputFile file_;
    Path temporary_;
    Path path_;
    std::string buffer_;
};

} // namespace kelvor

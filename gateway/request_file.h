#pragma once

#include "platform/files.h"
#include "platform/path.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvor {

// A value as it may stand in a request line: every CR LF pair, lone CR and lone LF becomes one
// blank, so a value can never start a line of its own.
std::string RequestValue(std::string_view value);

// The request file of one export, written through a buffer under a temporary name and given
// its own name only once whole and on the disk, after the files it names. Until then it is the
// unfinished file of an OutputFile: removed whatever ends the process on Windows, and by its owner
// everywhere. Every write that fails raises EInOutError; a failure may surface at a later write or
// at Close, when the buffer is written out.
class RequestFile {
public:
    // Creates the file new under its temporary name, to be given the name `path` by Close; a
    // file still held is discarded first. False when it cannot be created; throws NameTaken when
    // the temporary name exists.
    bool Create(const Path& temporary, const Path& path);
    bool IsOpen() const noexcept { return file_.IsOpen(); }

    void Write(std::string_view text);
    void EndLine();
    void WriteLine(std::string_view text);
    // Writes out the buffer and puts the file on the disk; then keeps the files it names (each
    // already on the disk), keeps itself and takes its name, never replacing a file of that name:
    // no one sees the request under that name other than whole, and after a power failure its
    // name never comes back without its bytes or the files it names. Throws EInOutError,
    // NameTaken when the name exists, or Error when it cannot be renamed; it then keeps its
    // temporary name until Discard, and the named files are left to their owners.
    void Close(std::span<OutputFile> named = {});
    // Removes the file under its temporary name, open or closed: for an export that failed
    // part-way, its last write or its close included. False when a closed file is still there.
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
    void WriteBuffer();

    OutputFile file_;
    Path path_;
    std::string buffer_;
};

} // namespace kelvor

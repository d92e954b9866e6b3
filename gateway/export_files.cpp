#include "gateway/export_files.h"

#include "gateway/body_file.h"
#include "gateway/gateway_paths.h"
#include "gateway/request_file.h"
#include "platform/files.h"
#include "platform/text_conversion.h"

#include <exception>
#include <limits>
#include <string>
#include <vector>

namespace kelvor {
namespace {

enum class Written { Published, NoRequestFile };

// Removes the body file and the copies, then the request; throws `failure`, or an error that says
// the request could not be removed.
[[noreturn]] void Undo(std::vector<OutputFile>& files, OutputFile& request, const Path& temporary,
                       const std::exception_ptr& failure) {
    // Nothing refers to a body or copy left behind, and its number is given up: not worth an
    // error of its own.
    for (OutputFile& file : files)
        file.Discard();
    if (request.Discard())
        std::rethrow_exception(failure);
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        throw Error(std::string(error.what()) + "; the unfinished request file " +
                    AnsiText(temporary) + " could not be removed");
    }
}

Written WriteNumber(const Path& gatewayDir, const ExportJob& job, std::int32_t n,
                    const std::function<void(Checkpoint)>& checkpoint) {
    const Path temporary = RequestWritingPath(gatewayDir, n);
    OutputFile request;
    if (!request.CreateNew(temporary))
        return Written::NoRequestFile;
    std::vector<OutputFile> files;
    try {
        const auto piece = [&] { checkpoint(Checkpoint::Piece); };
        piece();
        files.push_back(SaveBodyFile(BodyFilePath(gatewayDir, n), job.body));
        for (std::size_t k = 0; k < job.attachments.size(); ++k) {
            piece();
            files.push_back(CopyToNewFile(job.attachments[k].source,
                                          AttachmentCopyPath(gatewayDir, n, static_cast<int>(k)),
                                          piece));
        }
        request.Write(RequestText(n, job));
        request.Flush();
        checkpoint(Checkpoint::Publish);
        // Every file is on the disk: the marks go last, all at once with the request's name.
        request.Publish(RequestFilePath(gatewayDir, n), files);
    } catch (...) {
        Undo(files, request, temporary, std::current_exception());
    }
    return Written::Published;
}

} // namespace

bool WriteExport(const Path& gatewayDir, const ExportJob& job, std::int32_t& counter,
                 const std::function<void(Checkpoint)>& checkpoint) {
    for (;;) {
        // The counter never wraps round to numbers the gateway has had already.
        if (counter == std::numeric_limits<std::int32_t>::max())
            throw Error("No export number is left: the gateway has had every number up to " +
                        std::to_string(counter));
        try {
            return WriteNumber(gatewayDir, job, ++counter, checkpoint) == Written::Published;
        } catch (const NameTaken&) {
            // Another writer holds the number: the export starts again under the next one,
            // however many are taken.
            checkpoint(Checkpoint::Piece);
        }
    }
}

} // namespace kelvor

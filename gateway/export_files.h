#pragma once

#include "gateway/export_job.h"
#include "platform/path.h"

#include <cstdint>
#include <functional>

namespace kelvor {

// Where the export of a job can still be given up: before each piece of its work (a file, a piece
// of a copy), and for the last time just before its request takes its name.
enum class Checkpoint { Piece, Publish };

// Writes the files of one export under the first number after `counter` whose names no other
// writer holds, raising `counter` to each number it claims: the request under a name the gateway
// ignores (API_IN\n.tmp), the body file and each attachment's copy, every one on the disk before
// the request takes its name n.API, all of it or nothing. Files are created new, never opened once
// they exist; a number whose name another file holds is given up, its files removed, for the next
// one. `checkpoint` is called at each Checkpoint; what it throws abandons the export, as any
// failure ends it: every file of it is removed, the request last, as its name holds the number, and
// the exception propagates (naming the unfinished request when that cannot be removed). False when
// the request file cannot be created: then nothing is written.
bool WriteExport(const Path& gatewayDir, const ExportJob& job, std::int32_t& counter,
                 const std::function<void(Checkpoint)>& checkpoint);

} // namespace kelvor

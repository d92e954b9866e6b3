#pragma once

#include "gateway/export_job.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor {

// A value as it may stand in a request line: every CR LF pair, lone CR and lone LF becomes one
// blank, so a value can never start a line of its own.
std::string RequestValue(std::string_view value);

// The bytes of the request file of export n: the keyword lines, each ended by CR LF, naming the
// body file n.MSG and the copies n.0, n.1, ... with the attachments' original names.
std::string RequestText(std::int32_t n, const ExportJob& job);

} // namespace kelvor

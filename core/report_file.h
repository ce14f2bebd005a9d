// Writing the property-list report of a run.
#pragma once

#include <string>
#include <string_view>

#include "core/run_context.h"

namespace lcv {

// Writes the report root as an XML property list to the path, replacing any file
// there in one step. Returns false when nothing could be written.
bool writeReportFile(const DictRef& root, const std::string& path);

// Writes the report of the run, when there is one, to the temporary path with tag
// "3" and copies it to standard output through the report center.
void writeAndPrintReport(RunContext& run);

// The early end of a run (-exitIfChanged): writes and prints the property-list
// report when there is one, flushes the streams and ends the process with status 0.
[[noreturn]] void exitRunEarly(RunContext& run);

}  // namespace lcv

// Writing the property-list report of a run.
#pragma once

#include <string>
#include <string_view>

#include "core/run_context.h"

namespace lcv {

// A value as an XML property-list document (dictionary keys in their stored order).
std::string xmlPropertyListText(const Value& root);

// Writes the bytes to a new file beside the path (exclusive creation, mode 0600)
// and renames it over the path.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Writes the report root as an XML property list to the path, replacing any file
// there in one step. Returns false when nothing could be written.
bool writeReportFile(const DictRef& root, const std::string& path);

// The early end of a run (-exitIfChanged): writes and prints the property-list
// report when there is one, flushes the streams and ends the process with status 0.
[[noreturn]] void exitRunEarly(RunContext& run);

}  // namespace lcv

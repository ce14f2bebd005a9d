// Listing the two trees of a directory comparison into tree dictionaries:
// relative path -> the relative path expected on the other side.
#pragma once

#include <optional>
#include <string>

#include "core/run_context.h"

namespace lcv {

// Adds the directories below the root (and the root as "." when neither a map nor
// a restriction is given), applying the directory filter, the lproj restriction and
// the lproj map.
void AddAllDirectoriesToDict(Dict& tree, const std::string& root, RunContext& run, const DictRef& lprojMap,
                             const std::optional<std::string>& lprojRestriction);

// Adds every file (anything that is not a directory) below the root, applying the
// file-name filter to each file name.
void AddAllFilesToDict(Dict& tree, const std::string& root, RunContext& run);

// Installs the regular-expression interpreter that evaluates the filter, find and
// text-filter expressions of the run.
void installRegexMatcher(RunContext& run);

}  // namespace lcv

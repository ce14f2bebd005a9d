// The file-summary trees behind -psummarydiff: one per side, a node per directory
// and file ("type" "d" or "f", "child" name -> node, optional "result").
#pragma once

#include <string>

#include "core/value.h"

namespace lcv {

// Sets the root node "." and adds a directory node for every key of the directory
// dictionary.
void addDirectoriesToSummaryDict(Dict& tree, const Dict& dirs);
// Adds every key of the file set below the relative directory, without a result.
void addFilesToSummaryDict(Dict& tree, const Dict& files, const std::string& parentDir);
// Adds (or finds) the file node below the relative directory ("." or "./..." from
// the root) and sets its result when a category is given.
void addFileToSummaryDict(Dict& tree, const std::string& file, const std::string& parentDir,
                          const std::string* category);
// The tree as text: "./", then a line per entry with its depth, files first, then
// layout bundles, lproj directories and other directories.
std::string fileDirectorySummaryText(const Dict& tree);
// Writes that text to the path, replacing any file there in one step.
bool dumpFileDirectorySummaryDict(const Dict& tree, const std::string& outFile);

}  // namespace lcv

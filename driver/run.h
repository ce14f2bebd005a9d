// The run driver: everything lcv does between parsing its command line and exiting.
#pragma once

#include <string>
#include <vector>

namespace lcv {

class RunContext;
// Runs lcv on the argument vector (program path first) and returns the exit status.
int runLcv(const std::vector<std::string>& argv);

// The end of every run that reached the report stage or failed its path checks:
// writes the property-list report (and prints it when a report center exists),
// flushes, and removes the run's temporary files unless -debug.
void finishRun(RunContext& run);

// "2004-05-12 14:33:01 +0900" for now, in local time.
std::string localDateTimeString();

}  // namespace lcv

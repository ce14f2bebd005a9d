#include "core/report_file.h"

#include <cstdio>
#include <cstdlib>

#include "core/path.h"
#include "core/plist_io.h"

namespace lcv {

bool writeReportFile(const DictRef& root, const std::string& path) {
    if (!root) return false;
    std::string error;
    return writeXmlPlist(path, Value(root), error);
}

void writeAndPrintReport(RunContext& run) {
    if (!run.reportRoot) return;
    const std::string path = temporaryPath("3");
    if (writeReportFile(run.reportRoot, path) && run.pCenter) run.pCenter->printFileToStdOut(path);
}

void exitRunEarly(RunContext& run) {
    writeAndPrintReport(run);
    if (run.pCenter) run.pCenter->flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}

}  // namespace lcv

#include "driver/tree.h"


#include "core/path.h"
#include "core/text.h"
#include "platform/dirlist.h"
#include <cstring>

namespace lcv {

namespace {

bool qualifiesForRestriction(const std::string& relative, const std::string& restriction) {
    const std::vector<std::string> names =
        restriction.find('|') != std::string::npos ? splitString(restriction, '|') : std::vector<std::string>{restriction};
    for (const auto& comp : pathComponents(relative)) {
        if (restriction == "*.lproj") {
            if (pathExtension(comp) == "lproj") return true;
            continue;
        }
        for (const auto& n : names)
            if (comp == n) return true;
    }
    return false;
}

// The walk reports an entry it cannot examine by the short name of the failure.
platform::WalkOptions reportingTo(RunContext& run, const char* operation) {
    platform::WalkOptions options;
    options.onError = [&run, operation](const std::string&, int err) {
        const char* name = strerrorname_np(err);
        if (run.pCenter)
            run.pCenter->PrintMetaInfoToStdError(sformat("# [lcv:e:main:%s:%s:]", operation, name ? name : "walk"),
                                                 "Error");
    };
    return options;
}

}  // namespace

void AddAllDirectoriesToDict(Dict& tree, const std::string& root, RunContext& run, const DictRef& lprojMap,
                             const std::optional<std::string>& lprojRestriction) {
    const bool mapped = lprojMap && !lprojMap->empty();
    if (!lprojRestriction && !mapped) tree.set(".", ".");
    const DictRef& filter = run.directoryFilter;
    platform::walkTree(root, [&](const platform::WalkEntry& e) {
        if (e.kind != platform::EntryKind::Directory) return;
        if (filter && !filter->empty()) {
            if (RunContext::isIncludeTable(filter)) tree.remove(".");
            if (run.IsFilteredOut(filter, e.relativePath)) return;
        }
        if (lprojRestriction && !qualifiesForRestriction(e.relativePath, *lprojRestriction)) return;
        if (!mapped) {
            tree.set(e.relativePath, e.relativePath);
            return;
        }
        std::vector<std::string> comps = pathComponents(e.relativePath);
        bool replaced = false;
        for (auto& c : comps) {
            if (const Value* v = lprojMap->find(c)) {
                c = v->str();
                replaced = true;
            }
        }
        if (replaced) tree.set(e.relativePath, joinStrings(comps, "/"));
    }, reportingTo(run, "AddAllDirectoriesToDict"));
}

void AddAllFilesToDict(Dict& tree, const std::string& root, RunContext& run) {
    const DictRef& filter = run.fileNameFilter;
    platform::walkTree(root, [&](const platform::WalkEntry& e) {
        // A link whose target is gone does not exist as a file.
        if (e.kind == platform::EntryKind::Directory || e.kind == platform::EntryKind::Dangling) return;
        if (run.IsFilteredOut(filter, lastPathComponent(e.relativePath))) return;
        tree.set(e.relativePath, e.relativePath);
    }, reportingTo(run, "AddAllFilesToDict"));
}

void installRegexMatcher(RunContext& run) {
    // The embedded interpreter that evaluates user expressions is not part of this
    // build yet: without a matcher, filters accept everything.
    (void)run;
}

}  // namespace lcv

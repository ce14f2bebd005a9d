#include "driver/tree.h"

#include <algorithm>

#include "core/path.h"
#include "core/text.h"
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace lcv {

namespace {

struct WalkEntry {
    std::string relativePath;
    bool isDirectory = false;
    std::string error;  // set when the entry could not be examined
};

// Visits every entry below the root at any depth without descending through
// symbolic links; a link is classified by its target. Sidecar files "._NAME" whose
// companion NAME exists are not entries.
void walkTree(const std::string& root, const std::function<void(const WalkEntry&)>& visit,
              const std::string& relative = "") {
    const std::string dirPath = relative.empty() ? root : root + "/" + relative;
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir) return;
    std::vector<std::pair<std::string, unsigned char>> entries;
    while (dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name != "." && name != "..") entries.emplace_back(name, d->d_type);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    auto listed = [&](const std::string& name) {
        return std::binary_search(entries.begin(), entries.end(), std::make_pair(name, static_cast<unsigned char>(0)),
                                  [](const auto& a, const auto& b) { return a.first < b.first; });
    };
    for (const auto& [name, type] : entries) {
        if (startsWith(name, "._") && listed(name.substr(2))) continue;
        WalkEntry e;
        e.relativePath = relative.empty() ? name : relative + "/" + name;
        // The listing's own entry type saves a status call for plain files and
        // directories.
        if (type == DT_REG || type == DT_DIR) {
            e.isDirectory = type == DT_DIR;
            visit(e);
            if (e.isDirectory) walkTree(root, visit, e.relativePath);
            continue;
        }
        const std::string full = root + "/" + e.relativePath;
        struct stat lst, st;
        if (::lstat(full.c_str(), &lst) != 0) {
            if (errno != ENOENT) {  // an entry that vanished is skipped quietly
                const char* name = strerrorname_np(errno);
                e.error = name ? name : "lstat";
                visit(e);
            }
            continue;
        }
        const bool link = S_ISLNK(lst.st_mode);
        e.isDirectory = link ? (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) : S_ISDIR(lst.st_mode);
        visit(e);
        if (e.isDirectory && !link) walkTree(root, visit, e.relativePath);
    }
}

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

void reportWalkError(RunContext& run, const char* operation, const std::string& failure) {
    if (run.pCenter)
        run.pCenter->PrintMetaInfoToStdError(sformat("# [lcv:e:main:%s:%s:]", operation, failure.c_str()), "Error");
}

}  // namespace

void AddAllDirectoriesToDict(Dict& tree, const std::string& root, RunContext& run, const DictRef& lprojMap,
                             const std::optional<std::string>& lprojRestriction) {
    const bool mapped = lprojMap && !lprojMap->empty();
    if (!lprojRestriction && !mapped) tree.set(".", ".");
    const DictRef& filter = run.directoryFilter;
    walkTree(root, [&](const WalkEntry& e) {
        if (!e.error.empty()) {
            reportWalkError(run, "AddAllDirectoriesToDict", e.error);
            return;
        }
        if (!e.isDirectory) return;
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
    });
}

void AddAllFilesToDict(Dict& tree, const std::string& root, RunContext& run) {
    const DictRef& filter = run.fileNameFilter;
    walkTree(root, [&](const WalkEntry& e) {
        if (!e.error.empty()) {
            reportWalkError(run, "AddAllFilesToDict", e.error);
            return;
        }
        if (e.isDirectory) return;
        if (run.IsFilteredOut(filter, lastPathComponent(e.relativePath))) return;
        tree.set(e.relativePath, e.relativePath);
    });
}

void installRegexMatcher(RunContext& run) {
    // The embedded interpreter that evaluates user expressions is not part of this
    // build yet: without a matcher, filters accept everything.
    (void)run;
}

}  // namespace lcv

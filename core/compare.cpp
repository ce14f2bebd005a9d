#include "core/compare.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>

#include "core/path.h"
#include "core/text.h"

namespace lcv {

namespace {

std::string stringParam(const DictRef& p, const char* key) {
    const Value* v = p ? p->find(key) : nullptr;
    return v && v->isString() ? v->str() : std::string();
}

DictRef dictParam(const DictRef& p, const char* key) {
    const Value* v = p ? p->find(key) : nullptr;
    return v ? v->dict() : nullptr;
}

}  // namespace

Compare::Compare(const DictRef& p) {
    entityName_ = stringParam(p, kEntityName);
    obj1_parDirAbolute_ = stringParam(p, "obj1_parDirAbolute");
    obj1_parDirRelative_ = stringParam(p, "obj1_parDirRelative");
    obj1_parDirRelative_fromParam_ = stringParam(p, "obj1_parDirRelative_fromParam");
    obj1_fileName_ = stringParam(p, "obj1_fileName");
    obj1_ = dictParam(p, "obj1");
    obj2_parDirAbolute_ = stringParam(p, "obj2_parDirAbolute");
    obj2_parDirRelative_ = stringParam(p, "obj2_parDirRelative");
    obj2_parDirRelative_fromParam_ = stringParam(p, "obj2_parDirRelative_fromParam");
    obj2_fileName_ = stringParam(p, "obj2_fileName");
    obj2_ = dictParam(p, "obj2");
    if (p) {
        if (const Value* v = p->find("pCenter")) pCenter_ = v->as<PrintCenter>();
        if (const Value* v = p->find(kRun)) run_ = v->as<RunContext>();
    }
    options_ = dictParam(p, "options");
    if (run_) {
        if (!pCenter_) pCenter_ = run_->pCenter;
        if (!options_) options_ = run_->options;
    }
    set_lytToolExist();
}

DictRef Compare::childParameters(const std::string& entity, std::size_t capacity) const {
    auto p = Dict::make(capacity);
    p->set(kEntityName, entity);
    if (pCenter_) p->set("pCenter", pCenter_);
    if (options_) p->set("options", options_);
    if (run_) p->set(kRun, run_);
    return p;
}

std::string runningProgramDirectory() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return parentDirectory(std::string(buf, static_cast<std::size_t>(n)));
}

void Compare::set_lytToolExist() {
    // Every comparer looks the tool up; the answer for a path does not change
    // during a run.
    static std::map<std::string, bool> known;
    auto isFile = [](const std::string& path) {
        auto it = known.find(path);
        if (it == known.end()) it = known.emplace(path, isRegularFilePath(path)).first;
        return it->second;
    };
    static const std::string beside = [] {
        const std::string dir = runningProgramDirectory();
        return dir.empty() ? std::string() : dir + "/lyttool";
    }();
    std::vector<std::string> candidates;
    if (options_) {
        if (const Value nt = options_->get("nt"); nt.isString()) candidates.push_back(nt.str());
    }
    candidates.push_back("/usr/bin/lyttool");
    if (!beside.empty()) candidates.push_back(beside);
    for (const auto& candidate : candidates) {
        if (isFile(candidate)) {
            lyttoolPath_ = candidate;
            lytToolExist_ = true;
            return;
        }
    }
    lyttoolPath_.clear();
    lytToolExist_ = false;
}

std::vector<std::string> Compare::getNewItems() const {
    std::vector<std::string> out;
    if (!obj2_) return out;
    out.reserve(obj2_->size());
    for (const auto& [k, v] : *obj2_)
        if (!obj1_ || !obj1_->contains(k)) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getObsoleteItems() const {
    std::vector<std::string> out;
    if (!obj1_) return out;
    out.reserve(obj1_->size());
    for (const auto& [k, v] : *obj1_)
        if (!obj2_ || !obj2_->contains(k)) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getIdenticalItems() const {
    std::vector<std::string> out;
    if (!obj1_ || !obj2_) return out;
    for (const auto& [k, v] : *obj1_)
        if (obj2_->contains(k)) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getNewItemsWithTranslation() const {
    std::vector<std::string> out;
    if (!obj2_) return out;
    for (const auto& [k, v] : *obj2_)
        if (!obj1_ || !obj1_->contains(v.str())) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getObsoleteItemsWithTranslation() const {
    std::vector<std::string> out;
    if (!obj1_) return out;
    for (const auto& [k, v] : *obj1_)
        if (!obj2_ || !obj2_->contains(v.str())) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getIdenticalItemsWithTranslation() const {
    std::vector<std::string> out;
    if (!obj1_ || !obj2_) return out;
    for (const auto& [k, v] : *obj1_)
        if (obj2_->contains(v.str())) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getIdenticalItemsInDict() const {
    std::vector<std::string> out;
    if (!obj1_ || !obj2_) return out;
    for (const auto& [k, v] : *obj1_)
        if (const Value* w = obj2_->find(k); w && v == *w) out.push_back(k);
    return out;
}

std::vector<std::string> Compare::getChangedItemsInDict() const {
    std::vector<std::string> out;
    if (!obj1_ || !obj2_) return out;
    for (const auto& [k, v] : *obj1_)
        if (const Value* w = obj2_->find(k); w && !(v == *w)) out.push_back(k);
    return out;
}

void Compare::printCompareResult(std::vector<std::string> items, std::string_view category) const {
    if (!pCenter_) return;
    sortCodeUnits(items);
    std::string line(category);
    const std::size_t prefix = line.size();
    for (const auto& item : items) {
        line.resize(prefix);
        line += item;
        pCenter_->printStringToStdOut(line, true);
    }
}

void Compare::printCompareResult(std::vector<std::int64_t> items, std::string_view category) const {
    if (!pCenter_) return;
    std::sort(items.begin(), items.end());
    for (auto n : items) pCenter_->printStringToStdOut(std::string(category) + std::to_string(n), true);
}

void Compare::printDiffOutput(std::string_view kind, const std::vector<std::string>& lines, const std::string* name1,
                              const std::string* name2) const {
    if (!pCenter_) return;
    const std::string prefix =
        sformat("# [lcv:i:%.*s:file:diff:", static_cast<int>(kind.size()), kind.data()) + GetPathForHeaderWithFile(name1, name2) + ":] ";
    for (const auto& l : lines)
        if (!l.empty()) pCenter_->printStringToStdOut(prefix + l, true);
}

std::string Compare::dir1() const { return shortHeader() ? obj1_parDirRelative_fromParam_ : obj1_parDirAbolute_; }
std::string Compare::dir2() const { return shortHeader() ? obj2_parDirRelative_fromParam_ : obj2_parDirAbolute_; }

std::string Compare::GetPathForHeader() const {
    return "//->" + appendPathComponent(dir1(), obj1_fileName_) + "<-//->" + appendPathComponent(dir2(), obj2_fileName_) +
           "<-//";
}
std::string Compare::GetPath1ForHeader() const { return "//->" + appendPathComponent(dir1(), obj1_fileName_) + "<-//"; }
std::string Compare::GetPath2ForHeader() const { return "//->" + appendPathComponent(dir2(), obj2_fileName_) + "<-//"; }

std::string Compare::GetPathForHeaderWithFile(const std::string* n1, const std::string* n2) const {
    const std::string p1 = n1 ? appendPathComponent(dir1(), *n1) : std::string();
    const std::string p2 = n2 ? appendPathComponent(dir2(), *n2) : std::string();
    return "//->" + p1 + "<-//->" + p2 + "<-//";
}
std::string Compare::GetPathForHeaderWithFile1(const std::string* n) const {
    return "//->" + (n ? appendPathComponent(dir1(), *n) : std::string()) + "<-//";
}
std::string Compare::GetPathForHeaderWithFile2(const std::string* n) const {
    return "//->" + (n ? appendPathComponent(dir2(), *n) : std::string()) + "<-//";
}

std::string Compare::GetPathForPlist() const {
    const std::string p1 = appendPathComponent(dir1(), obj1_fileName_);
    const std::string p2 = appendPathComponent(dir2(), obj2_fileName_);
    if (!p1.empty() && !p2.empty()) return p1 + getFileSeparaterForPlist() + p2;
    return p1.empty() ? p2 : p1;
}
std::string Compare::GetPath1ForPlist() const { return appendPathComponent(dir1(), obj1_fileName_); }
std::string Compare::GetPath2ForPlist() const { return appendPathComponent(dir2(), obj2_fileName_); }

std::string Compare::GetPathForPlistWithFile(const std::string* n1, const std::string* n2) const {
    if (n1 && n2) return appendPathComponent(dir1(), *n1) + getFileSeparaterForPlist() + appendPathComponent(dir2(), *n2);
    if (n1) return appendPathComponent(dir1(), *n1);
    if (n2) return appendPathComponent(dir2(), *n2);
    return {};
}

DictRef Compare::GetDetailedResultSection(const std::string& section, const std::string& category,
                                          const std::string* entryKey) const {
    const DictRef detailed = GetOrCreatePlistDictFrom(reportRoot(), "File Detailed-Compare Result", 16);
    const DictRef entry = GetOrCreatePlistDictFrom(detailed, entryKey ? *entryKey : GetPathForPlist(), 16);
    const DictRef dict = GetOrCreatePlistDictFrom(entry, section, 16);
    return category.empty() ? dict : GetOrCreatePlistDictFrom(dict, category, 16);
}

bool Compare::flag(const char* key) const {
    if (!options_) return false;
    const Value* v = options_->find(key);
    return v && v->boolean();
}

int Compare::mode() const {
    if (!options_) return 0;
    const Value* v = options_->find("m");
    return v ? static_cast<int>(v->integer()) : 0;
}

bool Compare::hasMode(int m) const {
    return options_ && options_->contains("m") && mode() == m;
}

bool Compare::compModeOldNew() const { return !options_ || !options_->contains("m") || mode() == 0; }

bool Compare::mapFile() const {
    return (run_ && run_->fileNameMap) || mapFileByContent() || mapFileByGuess() || mapFileBy_ftag() ||
           mapFileByTiffImage() || flattenHierarchy();
}

bool Compare::mapDirectory() const { return run_ && run_->directoryNameMap; }

std::string layoutCacheRoot() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const std::string base = (xdg && *xdg) ? std::string(xdg) : homeDirectory() + "/.cache";
    return standardizePath(base + "/LocCache/lyt");
}

std::string Compare::cacheFileNameForLyt(const std::string& lytPath, const std::string& extension) const {
    if (cacheInLproj()) return lytPath + "." + extension;
    if (cacheInRoot()) return layoutCacheRoot() + lytPath + "." + extension;
    if (cacheInGiven()) return expandTilde(givenCachePath().str()) + lytPath + "." + extension;
    return temporaryDirectory();
}

void Compare::createParentDirectory(const std::string& path) { lcv::createParentDirectory(path); }

bool Compare::CreateEmptyFile(const std::string& path) {
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool Compare::zentelHoardGlossaryFile(const std::string& path) {
    const std::string ext = pathExtension(path);
    return ext == "ad" || ext == "wg" || ext == "lg";
}

bool Compare::xmlFile(const std::string& path) {
    const std::string ext = pathExtension(path);
    if (ext == "xml" || zentelHoardGlossaryFile(path)) return true;
    if (ext != "plist") return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char head[6] = {};
    in.read(head, 6);
    return in.gcount() > 5 && std::string_view(head, 5) == "<?xml";
}

}  // namespace lcv

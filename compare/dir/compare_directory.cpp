#include "compare/dir/compare_directory.h"

#include <algorithm>
#include <cstring>

#include "compare/file/compare_file.h"
#include "compare/file/compare_file_info.h"
#include "compare/file/summary_tree.h"
#include "core/path.h"
#include "core/text.h"
#include "platform/dirlist.h"

namespace lcv {

CompareDirectory::CompareDirectory(const DictRef& parameters) : Compare(parameters) {}

void CompareDirectory::DoCompare() {
    const bool plist = reportRoot() != nullptr;
    if (!plist && summaryTwindiff() && run() && run()->summaryTree1 && obj1() && obj2()) {
        addDirectoriesToSummaryDict(*run()->summaryTree1, *obj1());
        addDirectoriesToSummaryDict(*run()->summaryTree2, *obj2());
    }

    std::vector<std::string> newItems, obsoleteItems, identicalItems;
    if (mapDirectory()) {
        mapDirectories(newItems, obsoleteItems, identicalItems);
    } else {
        newItems = getNewItemsWithTranslation();
        obsoleteItems = getObsoleteItemsWithTranslation();
        identicalItems = getIdenticalItemsWithTranslation();
    }

    if (!skipDirectoryReport()) {
        printCompareResult(newItems, "# [lcv:i:new:dir:] ", "new");
        printCompareResult(obsoleteItems, "# [lcv:i:obsolete:dir:] ", "obsolete");
        if (printIdenticalEntity()) printCompareResult(identicalItems, "# [lcv:i:identical:dir:] ", "identical");
    }
    if (skipFileReport()) return;

    const bool lytSummary = (!compModeBinary() || treateLytAsBundle()) && lytToolExist() && !skipLyt();
    if (!printNewFileContents() && !printNewFileName() && !compModeQuick() && lytSummary)
        printNewObsoleteLytSummary(newItems, "new");
    if (!printObsoleteFileContents() && !printObsoleteFileName() && !compModeQuick() && lytSummary)
        printNewObsoleteLytSummary(obsoleteItems, "obsolete");

    sortCodeUnits(identicalItems);
    for (const auto& d1 : identicalItems) {
        const std::string d2 = obj1()->get(d1).str();
        CompMainDirectory(&d1, &d2, true, true);
    }
    if (printNewFileContents() || printNewFileName()) {
        sortCodeUnits(newItems);
        for (const auto& d2 : newItems) CompMainDirectory(nullptr, &d2, false, true);
    }
    if (printObsoleteFileContents() || printObsoleteFileName()) {
        sortCodeUnits(obsoleteItems);
        for (const auto& d1 : obsoleteItems) CompMainDirectory(&d1, nullptr, true, false);
    }

    if (!plist && summaryTwindiff() && run() && run()->summaryTree1) {
        const std::string dir = tempTextDirPath().str();
        const std::string p1 = standardizePath(appendPathComponent(dir, "fileDirectorySummary1.txt"));
        const std::string p2 = standardizePath(appendPathComponent(dir, "fileDirectorySummary2.txt"));
        dumpFileDirectorySummaryDict(*run()->summaryTree1, p1);
        dumpFileDirectorySummaryDict(*run()->summaryTree2, p2);
        if (pCenter())
            pCenter()->printStringToStdOut(
                "# [lcv:m:summaryTwindiff:] twindiff" + getSeparater() + p1 + getSeparater() + p2, true);
    }
}

void CompareDirectory::mapDirectories(std::vector<std::string>& newItems, std::vector<std::string>& obsoleteItems,
                                      std::vector<std::string>& identicalItems) {
    Dict d1, d2;
    if (obj1())
        for (const auto& [k, v] : *obj1()) d1.set(k, v);
    if (obj2())
        for (const auto& [k, v] : *obj2()) d2.set(k, v);
    for (const auto& k : d1.keys()) {
        const std::string partner = d1.get(k).str();
        if (d2.contains(partner)) {
            identicalItems.push_back(k);
            d1.remove(k);
            d2.remove(partner);
        }
    }
    const DictRef map = run() ? run()->directoryNameMap : nullptr;
    if (map) {
        for (const auto& k : d1.keys()) {
            std::vector<std::string> comps = splitString(d1.get(k).str(), '/');
            for (auto& c : comps)
                if (const Value* v = map->find(c)) c = v->str();
            const std::string m = joinStrings(comps, "/");
            if (d2.contains(m)) {
                identicalItems.push_back(k);
                d1.remove(k);
                d2.remove(m);
                obj1()->set(k, m);
                obj2()->set(m, k);
            }
        }
    }
    for (const auto& [k, v] : d1) obsoleteItems.push_back(k);
    for (const auto& [k, v] : d2) newItems.push_back(k);
}

void CompareDirectory::printCompareResult(std::vector<std::string> items, const std::string& header,
                                          const std::string& category) {
    sortCodeUnits(items);
    for (const auto& p : items) {
        std::string shown;
        if (shortHeader()) shown = appendPathComponent(obj1_parDirRelative_fromParam(), p);
        else if (category == "new") shown = appendPathComponent(obj2_parDirAbolute(), p);
        else shown = appendPathComponent(obj1_parDirAbolute(), p);
        if (reportRoot()) printToDict_directory(shown, category);
        else if (pCenter()) pCenter()->printStringToStdOut(header + shown, true);
    }
}

void CompareDirectory::printToDict_directory(const std::string& path, const std::string& category) {
    const char* key = category == "identical" ? "Identical Directory"
                      : category == "new"     ? "New Directory"
                      : category == "obsolete" ? "Obsolete Directory"
                                               : nullptr;
    if (!key) return;
    auto section = GetOrCreatePlistDictFrom(reportRoot(), "Directory Structure Compare Result", 32);
    GetOrCreatePlistArrayFrom(section, key, 32)->push_back(path);
}

bool CompareDirectory::isLayoutBundle(const std::string* d1, const std::string* d2, const std::string& abs1,
                                      const std::string& abs2) const {
    if (lytDirectMode() && d1 && *d1 == "." && (pathExtension(abs1) == "lyt" || pathExtension(abs2) == "lyt") &&
        lytToolExist())
        return true;
    const std::string& name = d2 ? *d2 : *d1;
    return pathExtension(name) == "lyt" && !compModeQuick() && (!compModeBinary() || treateLytAsBundle()) &&
           lytToolExist() && !skipLyt();
}

void CompareDirectory::compareLayoutBundle(const std::string*, const std::string*, const std::string&,
                                           const std::string&) {}

void CompareDirectory::printNewObsoleteLytSummary(const std::vector<std::string>&, const std::string&) {}

void CompareDirectory::CompMainDirectory(const std::string* d1, const std::string* d2, bool e1, bool e2) {
    const std::string abs1 = e1 && d1 ? appendPathComponent(obj1_parDirAbolute(), *d1) : std::string();
    const std::string abs2 = e2 && d2 ? appendPathComponent(obj2_parDirAbolute(), *d2) : std::string();
    if (isLayoutBundle(d1, d2, abs1, abs2)) compareLayoutBundle(d1, d2, abs1, abs2);

    const bool plist = reportRoot() != nullptr;
    const bool skipLytParts =
        (plist && !compModeQuick() && !compModeBinary()) || (!plist && compModeBinary() && treateLytAsBundle());
    auto files1 = Dict::make(1024), files2 = Dict::make(1024);
    if (e1) CollectDirectoryFiles(*files1, abs1, pCenter().get(), !compModeQuick(), skipLytParts, true, run().get());
    if (e2) CollectDirectoryFiles(*files2, abs2, pCenter().get(), !compModeQuick(), skipLytParts, true, run().get());
    if (integrationCheck()) {
        for (const char* n : {"info.lyt", "classes.lyt"}) {
            files1->remove(n);
            files2->remove(n);
        }
    }

    auto p = childParameters("File");
    p->set("obj1", files1);
    p->set("obj2", files2);
    p->set("obj1_parDirAbolute", abs1);
    p->set("obj1_parDirRelative", e1 ? appendPathComponent(obj1_parDirRelative(), *d1) : std::string());
    p->set("obj1_parDirRelative_fromParam",
           e1 ? appendPathComponent(obj1_parDirRelative_fromParam(), *d1) : std::string());
    p->set("obj1_fileName", "");
    p->set("obj2_parDirAbolute", abs2);
    p->set("obj2_parDirRelative", e2 ? appendPathComponent(obj2_parDirRelative(), *d2) : std::string());
    p->set("obj2_parDirRelative_fromParam",
           e2 ? appendPathComponent(obj2_parDirRelative_fromParam(), *d2) : std::string());
    p->set("obj2_fileName", "");
    CompareFile file(p);
    file.set_buffer1(buffer1());
    file.set_buffer2(buffer2());
    file.DoCompare();

    if (!compModeQuick() && !skipFinfo() && e1 && e2) CompMainDirInfo(d1, d2, e1, e2);
}

void CompareDirectory::CompMainDirInfo(const std::string* d1, const std::string* d2, bool e1, bool e2) {
    auto info1 = Dict::make(1), info2 = Dict::make(1);
    if (!skipUnixInfo()) {
        if (e1) CompareFileInfo::AddUnixInfoToDict(*info1, appendPathComponent(obj1_parDirAbolute(), *d1), pCenter().get(), skipLinks());
        if (e2) CompareFileInfo::AddUnixInfoToDict(*info2, appendPathComponent(obj2_parDirAbolute(), *d2), pCenter().get(), skipLinks());
    }
    auto p = childParameters("dinfo");
    p->set("obj1", info1);
    p->set("obj2", info2);
    p->set("obj1_parDirAbolute", e1 ? obj1_parDirAbolute() : std::string());
    p->set("obj1_parDirRelative", e1 ? obj1_parDirRelative() : std::string());
    p->set("obj1_parDirRelative_fromParam", e1 ? obj1_parDirRelative_fromParam() : std::string());
    p->set("obj1_fileName", e1 && d1 ? *d1 : std::string());
    p->set("obj2_parDirAbolute", e2 ? obj2_parDirAbolute() : std::string());
    p->set("obj2_parDirRelative", e2 ? obj2_parDirRelative() : std::string());
    p->set("obj2_parDirRelative_fromParam", e2 ? obj2_parDirRelative_fromParam() : std::string());
    p->set("obj2_fileName", e2 && d2 ? *d2 : std::string());
    CompareFileInfo info(p);
    info.set_buffer1(buffer1());
    info.set_buffer2(buffer2());
    info.DoCompare();
}

void CompareDirectory::CollectDirectoryFiles(Dict& files, const std::string& dir, PrintCenter* pCenter,
                                             bool skipDotUnderscore, bool skipLytParts, bool applyFilters,
                                             const RunContext* run) {
    std::vector<platform::DirEntry> entries;
    platform::listDirectoryEntries(dir, entries, platform::ListOrder::Unsorted, [&](const std::string&, int err) {
        const char* name = strerrorname_np(err);
        if (pCenter)
            pCenter->PrintMetaInfoToStdError(
                sformat("# [lcv:e:AddAllFilesToDict:%s://->%s<-//:]", name ? name : "stat", dir.c_str()), "Error");
    });
    static const char* lytParts[] = {"objects.lyt", "keyedobjects.lyt", "classes.lyt", "info.lyt", "objects.xlt"};
    const bool inLyt = skipLytParts && pathExtension(dir) == "lyt";
    for (const auto& e : entries) {
        const std::string& name = e.name;
        if (e.kind == platform::EntryKind::Directory || e.kind == platform::EntryKind::Dangling) continue;
        if (applyFilters && run && run->IsFilteredOut(run->fileNameFilter, name)) continue;
        if (skipDotUnderscore && startsWith(name, "._")) continue;
        if (inLyt && std::any_of(std::begin(lytParts), std::end(lytParts), [&](const char* p) { return name == p; }))
            continue;
        files.set(name, name);
    }
}

}  // namespace lcv

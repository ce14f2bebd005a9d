#include "compare/file/compare_file.h"

#include <algorithm>
#include <map>
#include <optional>

#include "compare/file/compare_file_info.h"
#include "compare/file/content_steps.h"
#include "compare/file/file_kinds.h"
#include "compare/file/fork_access.h"
#include "compare/file/fork_compare.h"
#include "compare/file/summary_tree.h"
#include "core/path.h"
#include "core/report_file.h"
#include "core/text.h"

namespace lcv {

CompareFile::CompareFile(const DictRef& parameters) : Compare(parameters) {}

std::string CompareFile::obtainTargetFileNameFromSourceFileName(const std::string& name, const Dict& map) const {
    if (entityName() == "FileMode") return obj2() && !obj2()->empty() ? obj2()->begin()->first : name;
    if (!mapFile()) return name;
    const Value* v = map.find(name);
    return v && v->isString() ? v->str() : name;
}

std::string CompareFile::get_source_target_filesPath(const std::string& name, const Dict& map) const {
    if (entityName() == "FileMode") return name + getFileSeparater() + obtainTargetFileNameFromSourceFileName(name, map);
    if (mapFile() && !reportRoot()) {
        const std::string target = obtainTargetFileNameFromSourceFileName(name, map);
        if (target == name && obj1_parDirRelative_fromParam() == obj2_parDirRelative_fromParam()) return name;
        return name + getFileSeparater() + target;
    }
    return name;
}

void CompareFile::mapFilesNew(std::vector<std::string>& newItems, std::vector<std::string>& obsoleteItems,
                              std::vector<std::string>& identicalItems, Dict& map) {
    Dict s, t;
    if (obj1())
        for (const auto& [k, v] : *obj1()) s.set(k, v);
    if (obj2())
        for (const auto& [k, v] : *obj2()) t.set(k, v);
    auto pair = [&](const std::string& a, const std::string& b) {
        identicalItems.push_back(a);
        map.set(a, b);
        s.remove(a);
        t.remove(b);
    };
    if (run() && run()->fileNameMap) {
        for (const auto& k : s.keys()) {
            const Value* target = run()->fileNameMap->find(k);
            if (target && target->isString() && t.contains(target->str())) pair(k, target->str());
        }
    }
    if (!doNotMapFileByName()) {
        for (const auto& k : s.keys())
            if (t.contains(k)) pair(k, k);
    }
    for (const auto& [k, v] : s) obsoleteItems.push_back(k);
    for (const auto& [k, v] : t) newItems.push_back(k);
}

void CompareFile::printToDict_file_summary(std::vector<std::string> items, const std::string& category,
                                           const Dict& map) {
    if (items.empty() || !reportRoot()) return;
    sortCodeUnits(items);
    auto section = GetOrCreatePlistDictFrom(reportRoot(), "File Binary-Compare Result", 16);
    auto list = GetOrCreatePlistArrayFrom(section, category, 16);
    for (const auto& item : items) {
        if (category == "New File") {
            list->push_back(appendPathComponent(GetPath2ForPlist(), item));
        } else if (category == "Obsolete File") {
            list->push_back(appendPathComponent(GetPath1ForPlist(), item));
        } else {
            const std::string target = entityName() == "FileMode" ? obtainTargetFileNameFromSourceFileName(item, map)
                                       : mapFile()                  ? obtainTargetFileNameFromSourceFileName(item, map)
                                                                    : item;
            list->push_back(appendPathComponent(GetPath1ForPlist(), item) + getFileSeparaterForPlist() +
                            appendPathComponent(GetPath2ForPlist(), target));
        }
    }
}

void CompareFile::printToDict_InsertBinaryCompResult(const std::string& key, bool dfSame, bool rfSame,
                                                     const std::string& category) {
    if (!reportRoot()) return;
    auto detailed = GetOrCreatePlistDictFrom(reportRoot(), "File Detailed-Compare Result", 16);
    auto entry = GetOrCreatePlistDictFrom(detailed, key, 16);
    const bool oneSided = category == "New" || category == "Obsolete";
    entry->set("Data Fork Binary-Compare Result", oneSided ? category : dfSame ? "Identical" : "Changed");
    entry->set("Resource Fork Binary-Compare Result", oneSided ? category : rfSame ? "Identical" : "Changed");
}

void CompareFile::DoCompare() {
    const bool plist = reportRoot() != nullptr;
    if (summaryTwindiff() && !plist && run() && run()->summaryTree1) {
        if (obj1()) addFilesToSummaryDict(*run()->summaryTree1, *obj1(), obj1_parDirRelative_fromParam());
        if (obj2()) addFilesToSummaryDict(*run()->summaryTree2, *obj2(), obj2_parDirRelative_fromParam());
    }

    Dict map;
    std::vector<std::string> newItems, obsoleteItems, identicalItems;
    if (entityName() == "FileMode") {
        if (obj1() && !obj1()->empty()) identicalItems.push_back(obj1()->begin()->first);
    } else if (mapFile()) {
        mapFilesNew(newItems, obsoleteItems, identicalItems, map);
    } else {
        newItems = getNewItems();
        obsoleteItems = getObsoleteItems();
        identicalItems = getIdenticalItems();
    }

    const std::string header = GetPathForHeader();
    if (plist) {
        printToDict_file_summary(newItems, "New File", map);
        printToDict_file_summary(obsoleteItems, "Obsolete File", map);
    } else {
        if (!(coupleSummaryDetailed() && printNewFileContents()))
            printCompareResult(newItems, "# [lcv:i:new:file:" + header + ":] ");
        if (!(coupleSummaryDetailed() && printObsoleteFileContents()))
            printCompareResult(obsoleteItems, "# [lcv:i:obsolete:file:" + header + ":] ");
    }

    if (compModeQuick()) {
        if (!printIdenticalEntity()) return;
        if (plist) {
            printToDict_file_summary(identicalItems, "Identical File", map);
        } else {
            std::vector<std::string> shown;
            for (const auto& n : identicalItems) shown.push_back(mapFile() ? get_source_target_filesPath(n, map) : n);
            printCompareResult(shown, "# [lcv:i:identical:file:" + header + ":] ");
        }
        return;
    }

    sortCodeUnits(identicalItems);
    for (const auto& n : identicalItems) {
        CompMainFile(n, true, true, map);
        if (!skipFinfo()) CompMainFileInfo(n, true, true, map);
    }
    if (printNewFileContents()) {
        sortCodeUnits(newItems);
        for (const auto& n : newItems) {
            if (coupleSummaryDetailed() && !plist) printCompareResult({n}, "# [lcv:i:new:file:" + header + ":] ");
            CompMainFile(n, false, true, map);
        }
    }
    if (printObsoleteFileContents()) {
        sortCodeUnits(obsoleteItems);
        for (const auto& n : obsoleteItems) {
            if (coupleSummaryDetailed() && !plist)
                printCompareResult({n}, "# [lcv:i:obsolete:file:" + header + ":] ");
            CompMainFile(n, true, false, map);
        }
    }
}

DictRef CompareFile::contentParameters(const std::string& entity, const DictRef& o1, const DictRef& o2,
                                       const std::string& name, const std::string& name2, bool e1, bool e2) const {
    auto p = childParameters(entity);
    p->set("obj1", o1);
    p->set("obj2", o2);
    p->set("obj1_parDirAbolute", e1 ? obj1_parDirAbolute() : std::string());
    p->set("obj1_parDirRelative", e1 ? obj1_parDirRelative() : std::string());
    p->set("obj1_parDirRelative_fromParam", e1 ? obj1_parDirRelative_fromParam() : std::string());
    p->set("obj1_fileName", e1 ? name : std::string());
    p->set("obj2_parDirAbolute", e2 ? obj2_parDirAbolute() : std::string());
    p->set("obj2_parDirRelative", e2 ? obj2_parDirRelative() : std::string());
    p->set("obj2_parDirRelative_fromParam", e2 ? obj2_parDirRelative_fromParam() : std::string());
    p->set("obj2_fileName", e2 ? name2 : std::string());
    return p;
}

void CompareFile::CompMainFile(const std::string& name, bool e1, bool e2, const Dict& map) {
    PrintCenter* pc = pCenter().get();
    const bool plist = reportRoot() != nullptr;
    const bool both = e1 && e2;
    const std::string name2 = e2 ? obtainTargetFileNameFromSourceFileName(name, map) : std::string();
    const std::string path1 = e1 ? appendPathComponent(obj1_parDirAbolute(), name) : std::string();
    const std::string path2 = e2 ? appendPathComponent(obj2_parDirAbolute(), name2) : std::string();
    const std::string header = GetPathForHeaderWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
    const std::string pairText = get_source_target_filesPath(name, map);

    // 1. Locate both sides. Where their resources live is found on first use: it
    // only matters when forks differ or resources are compared.
    lastPath1_.clear();
    lastPath2_.clear();
    ForkInfo& info1 = lastInfo1_;
    ForkInfo& info2 = lastInfo2_;
    info1 = ForkInfo{};
    info2 = ForkInfo{};
    for (int side = 1; side <= 2; ++side) {
        if (!(side == 1 ? e1 : e2)) continue;
        ForkInfo& info = side == 1 ? info1 : info2;
        info = readForkInfo(side == 1 ? path1 : path2);
        if (info.status != 0) {
            if (pc)
                pc->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:CompareFile:DoCompare:GetFSSpecFromPath:%s:%d:]", header.c_str(), info.status),
                    "Error");
            return;
        }
    }
    lastPath1_ = path1;
    lastPath2_ = path2;
    std::optional<ResourceLocation> loc[2];
    auto where = [&](int side) -> const ResourceLocation& {
        auto& l = loc[side - 1];
        if (!l) {
            const bool exists = side == 1 ? e1 : e2;
            l = exists ? probeResourceLocation(side == 1 ? path1 : path2, side == 1 ? info1 : info2)
                       : ResourceLocation{};
        }
        return *l;
    };
    auto rf = [&](int side) { return where(side).rf; };
    auto df = [&](int side) { return where(side).df; };

    // 2. Data fork.
    ContentState state;
    bool dfSame;
    bool mapOnlyDF = false;
    if (!both) {
        dfSame = (e1 ? info1.dataForkLength : info2.dataForkLength) == 0;
    } else if (!buffer1() || !buffer2()) {
        dfSame = false;
    } else {
        dfSame = binaryForkCompare(false, path1, path2, info1.dataForkLength, info2.dataForkLength, buffer1(), buffer2(),
                                   hexDump(), header, pc);
        if (!dfSame) {
            if (df(1) && df(2) && (printResMapOnlyChange() || filterResMap())) {
                mapOnlyDF = PureResCompare(true, path1, path2, buffer1(), buffer2(), debug(), pc, run().get());
                if (filterResMap()) dfSame = mapOnlyDF;
            } else if (!df(1) && !df(2)) {
                dfSame = identityCheck(*this, path1, path2, name, state);
            }
        }
    }
    // The verdict line of one fork; a fork whose only change is its resource map
    // counts as identical from here on.
    auto reportFork = [&](bool resourceFork, bool& same, bool mapOnly, std::uint64_t length1) {
        if (doNotDifferentiateRFDF()) return;
        const std::string kind = resourceFork ? "RF" : "DF";
        const std::string fork = resourceFork ? "Resource Fork" : "Data Fork";
        if (!same) {
            if (plist) {
                printToDict_file_summary(
                    {name}, "Changed " + fork + (mapOnly ? " (Only Resource Map differs)" : ""), map);
            } else if (pc) {
                pc->printStringToStdOut("# [lcv:i:changed:file:" + kind + ":" + (mapOnly ? "res_map:" : "") + header +
                                            ":] " + pairText,
                                        true);
            }
            if (mapOnly) same = true;
        } else if (printIdenticalEntity() && e1 && length1 != 0) {
            if (plist) printToDict_file_summary({name}, "Identical " + fork, map);
            else if (pc) pc->printStringToStdOut("# [lcv:i:identical:file:" + kind + ":" + header + ":] " + pairText, true);
        }
    };
    reportFork(false, dfSame, !dfSame && mapOnlyDF && df(1) && df(2) && printResMapOnlyChange(), info1.dataForkLength);

    // 3. Resource fork.
    bool rfSame;
    bool mapOnlyRF = false;
    if (!plist && skipRF()) {
        rfSame = true;
    } else {
        if (!both) rfSame = (e1 ? info1.resourceForkLength : info2.resourceForkLength) == 0;
        else if (!buffer1() || !buffer2()) rfSame = false;
        else
            rfSame = binaryForkCompare(true, path1, path2, info1.resourceForkLength, info2.resourceForkLength, buffer1(),
                                       buffer2(), hexDump(), header, pc);
        if (!rfSame && (printResMapOnlyChange() || filterResMap()) && rf(1) && rf(2)) {
            mapOnlyRF = PureResCompare(false, path1, path2, buffer1(), buffer2(), debug(), pc, run().get());
            if (filterResMap() && mapOnlyRF) rfSame = true;
        }
    }
    reportFork(true, rfSame, !rfSame && mapOnlyRF && rf(1) && rf(2) && printResMapOnlyChange(),
               info1.resourceForkLength);
    const bool changed = !dfSame || !rfSame;

    // 4. The pair's entry in the property-list report.
    if (plist && (e1 || e2)) {
        const std::string key = GetPathForPlistWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
        if (!e2) printToDict_InsertBinaryCompResult(key, dfSame, rfSame, "Obsolete");
        else if (!e1) printToDict_InsertBinaryCompResult(key, dfSame, rfSame, "New");
        else if (changed) printToDict_InsertBinaryCompResult(key, dfSame, rfSame, "Changed");
        else if (printIdenticalEntity()) printToDict_InsertBinaryCompResult(key, dfSame, rfSame, "Identical");
    }
    // 5. Both forks taken together.
    if (!plist && doNotDifferentiateRFDF() && both && pc) {
        if (changed) pc->printStringToStdOut("# [lcv:i:changed:file:**:" + header + ":] " + pairText, true);
        else if (printIdenticalEntity())
            pc->printStringToStdOut("# [lcv:i:identical:file:**:" + header + ":] " + pairText, true);
    }
    // 6. Two empty files would otherwise show nothing.
    if (!plist && !doNotDifferentiateRFDF() && printIdenticalEntity() && both && !changed && info1.dataForkLength == 0 &&
        info2.dataForkLength == 0 && info1.resourceForkLength == 0 && info2.resourceForkLength == 0 && pc)
        pc->printStringToStdOut("# [lcv:i:identical:file:**:" + header + ":] " + pairText, true);
    // 7. Summary trees.
    if (!plist && summaryTwindiff() && both && changed && run() && run()->summaryTree1) {
        const std::string c1 = "*1", c2 = "*2";
        addFileToSummaryDict(*run()->summaryTree1, name, obj1_parDirRelative_fromParam(), &c1);
        addFileToSummaryDict(*run()->summaryTree2, name2, obj2_parDirRelative_fromParam(), &c2);
    }
    // 8. Stop the run at the first change.
    if (exitIfChanged() && changed && run()) exitRunEarly(*run());
    // 9. Binary mode compares forks only.
    if (compModeBinary()) return;
    // 10. XML syntax.
    if (checkXMLsyntax()) checkXmlSyntax(*this, e1 ? path1 : std::string(), e2 ? path2 : std::string());
    // 11.
    if (!changed && !printIdenticalEntity()) return;

    // 12-14. Content by file kind.
    const PairContext pairContext{name, name2, path1, path2, e1, e2, dfSame};
    if (!skipStr() && FileKinds::stringFilePath(path1, path2) && (!dfSame || printIdenticalEntity()))
        compareStringsFiles(*this, pairContext, state);
    if (!skipTiff() && FileKinds::tiffFilePath(path1, path2) && (!dfSame || printIdenticalEntity()))
        compareTiffFiles(*this, pairContext, state);
    if (!skipText() && FileKinds::textFilePath(path1, path2) && (!dfSame || printIdenticalEntity()))
        compareTextFiles(*this, pairContext, state);

    // 15. Resources.
    if (skipRsrc()) return;
    const bool rf1 = rf(1), rf2 = rf(2), df1 = df(1), df2 = df(2);
    const bool res1 = rf1 || df1, res2 = rf2 || df2;
    if (both && !res1 && !res2) return;
    if (!both && !(e1 ? res1 : res2)) return;
    if (pc) {
        const std::string warnHeader = GetPathForHeaderWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
        if ((rf1 && df1) || (rf2 && df2))
            pc->PrintMetaInfoToStdOut("# [lcv:w:" + warnHeader + ":] Resources exist in both RF and DF. Compare only resources in DF.", "Warning");
        else if (res1 && !res2)
            pc->PrintMetaInfoToStdOut("# [lcv:w:obsolete:file:res:" + warnHeader + ":] Source has resource but target doesn't.", "Warning");
        else if (res2 && !res1)
            pc->PrintMetaInfoToStdOut("# [lcv:w:new:file:res:" + warnHeader + ":] Target has resource but source doesn't.", "Warning");
    }
    auto types1 = Dict::make(1024), types2 = Dict::make(1024);
    if (e1) AddResTypeToDict(*types1, path1, rf1, df1, pc, run().get());
    if (e2) AddResTypeToDict(*types2, path2, rf2, df2, pc, run().get());

    if (!skipFinfo()) {
        std::uint16_t attrs1 = 0, attrs2 = 0;
        const bool ok1 = e1 && res1 && getResfileAttrs(path1, attrs1, df1, pc) == 0;
        const bool ok2 = e2 && res2 && getResfileAttrs(path2, attrs2, df2, pc) == 0;
        const std::string pairHeader = GetPathForHeaderWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
        DictRef section;
        if (plist) {
            const std::string key = GetPathForPlistWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
            section = GetDetailedResultSection("Resource File Attribute Compare Result", {}, &key);
        }
        if (res1 && res2 && ok1 && ok2) {
            const int a1 = attrs1 & 0xFF, a2 = attrs2 & 0xFF;
            if (a1 == a2 && printIdenticalEntity()) {
                if (section) section->set("Identical Resource File Attribute", std::to_string(a1));
                else if (pc) pc->printStringToStdOut(sformat("# [lcv:i:identical:file:finfo:ResFileAttrs:%s:] %d", pairHeader.c_str(), a1), true);
            } else if (a1 != a2) {
                if (section) {
                    auto values = Dict::make(2);
                    values->set("Resource File Attribute 1", std::to_string(a1));
                    values->set("Resource File Attribute 2", std::to_string(a2));
                    section->set("Changed Resource File Attribute", values);
                } else if (pc) {
                    pc->printStringToStdOut(sformat("# [lcv:i:changed:file:finfo:ResFileAttrs:%s:] %d%s%d", pairHeader.c_str(), a1,
                                                    getSeparater().c_str(), a2),
                                            true);
                }
            }
        } else if (res2 && !res1 && ok2) {
            const int a = static_cast<std::int16_t>(attrs2);
            if (section) section->set("New Resource File Attribute", std::to_string(a));
            else if (pc) pc->printStringToStdOut(sformat("# [lcv:i:new:file:finfo:ResFileAttrs:%s:] %d", pairHeader.c_str(), a), true);
        } else if (res1 && !res2 && ok1) {
            const int a = static_cast<std::int16_t>(attrs1);
            if (section) section->set("Obsolete Resource File Attribute", std::to_string(a));
            else if (pc) pc->printStringToStdOut(sformat("# [lcv:i:obsolete:file:finfo:ResFileAttrs:%s:] %d", pairHeader.c_str(), a), true);
        }
    }
    const char* entity = res1 && res2 ? "restype" : res2 ? "new_restype" : "obsolete_restype";
    compareResourceTypes(*this, pairContext, entity, types1, types2, df1, df2);
}

void CompareFile::CompMainFileInfo(const std::string& name, bool e1, bool e2, const Dict& map) {
    const std::string name2 = e2 ? obtainTargetFileNameFromSourceFileName(name, map) : std::string();
    const std::string path1 = e1 ? appendPathComponent(obj1_parDirAbolute(), name) : std::string();
    const std::string path2 = e2 ? appendPathComponent(obj2_parDirAbolute(), name2) : std::string();
    auto info1 = Dict::make(8), info2 = Dict::make(8);
    for (int side = 1; side <= 2; ++side) {
        if (!(side == 1 ? e1 : e2)) continue;
        const std::string& path = side == 1 ? path1 : path2;
        if (path != (side == 1 ? lastPath1_ : lastPath2_) && !pathExistsNoFollow(path)) {
            const std::string header = GetPathForHeaderWithFile(e1 ? &name : nullptr, e2 ? &name2 : nullptr);
            if (pCenter())
                pCenter()->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:CompareFile:DoCompare:GetFSSpecFromPath:%s:%d:]", header.c_str(), -43), "Error");
            return;
        }
        Dict& d = side == 1 ? *info1 : *info2;
        const std::string& last = side == 1 ? lastPath1_ : lastPath2_;
        const ForkInfo known = path == last ? (side == 1 ? lastInfo1_ : lastInfo2_) : readForkInfo(path);
        CompareFileInfo::AddZixInfoToDict(d, path, known, skipCdate(), skipMdate(), pCenter().get());
        if (!skipUnixInfo()) CompareFileInfo::AddUnixInfoToDict(d, path, pCenter().get(), skipLinks());
    }
    CompareFileInfo info(contentParameters("finfo", info1, info2, name, name2, e1, e2));
    info.set_buffer1(buffer1());
    info.set_buffer2(buffer2());
    info.DoCompare();
}

MatchMaking::MatchMaking(const DictRef& parameters) : CompareFile(parameters) {}

namespace {

struct Group {
    std::string srcParentDir, tgtParentDir;
    DictRef srcFiles = Dict::make(8), tgtFiles = Dict::make(8);
};

std::string dirPart(const std::string& relative) {
    const std::string d = parentDirectory(relative);
    return d.empty() ? "." : d;
}

}  // namespace

void MatchMaking::MatchMake() {
    // Pairing by content and by image belong to later matching rules; whole trees
    // are paired here by file name, regardless of directories.
    std::vector<std::string> sources = obj1() ? obj1()->keys() : std::vector<std::string>{};
    std::vector<std::string> targets = obj2() ? obj2()->keys() : std::vector<std::string>{};
    sortCodeUnits(sources);
    sortCodeUnits(targets);
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<bool> targetUsed(targets.size(), false), sourceUsed(sources.size(), false);
    if (!doNotMapFileByName()) {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const std::string name = lastPathComponent(sources[i]);
            for (std::size_t j = 0; j < targets.size(); ++j) {
                if (targetUsed[j] || lastPathComponent(targets[j]) != name) continue;
                pairs.emplace_back(sources[i], targets[j]);
                targetUsed[j] = sourceUsed[i] = true;
                break;
            }
        }
    }
    auto runGroups = [&](std::vector<std::string>& order, std::map<std::string, Group>& groups, bool e1, bool e2) {
        for (const auto& key : order) {
            const Group& g = groups[key];
            auto p = childParameters("File");
            p->set("obj1", g.srcFiles);
            p->set("obj2", g.tgtFiles);
            auto side = [&](const char* prefix, bool exists, const std::string& parent, const std::string& abs,
                            const std::string& rel) {
                const std::string k = prefix;
                p->set(k + "_parDirAbolute", exists ? (parent == "." ? abs : appendPathComponent(abs, parent)) : "");
                p->set(k + "_parDirRelative", exists ? (parent == "." ? rel : appendPathComponent(rel, parent)) : "");
                p->set(k + "_parDirRelative_fromParam", exists ? standardizePath(parent) : "");
                p->set(k + "_fileName", "");
            };
            side("obj1", e1, g.srcParentDir, obj1_parDirAbolute(), obj1_parDirRelative());
            side("obj2", e2, g.tgtParentDir, obj2_parDirAbolute(), obj2_parDirRelative());
            CompareFile file(p);
            file.set_buffer1(buffer1());
            file.set_buffer2(buffer2());
            file.DoCompare();
        }
    };
    std::map<std::string, Group> paired, onlySource, onlyTarget;
    std::vector<std::string> pairedOrder, sourceOrder, targetOrder;
    for (const auto& [s, t] : pairs) {
        const std::string key = dirPart(s) + dirPart(t);
        if (!paired.count(key)) pairedOrder.push_back(key);
        Group& g = paired[key];
        g.srcParentDir = dirPart(s);
        g.tgtParentDir = dirPart(t);
        g.srcFiles->set(lastPathComponent(s), lastPathComponent(s));
        g.tgtFiles->set(lastPathComponent(t), lastPathComponent(t));
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (sourceUsed[i]) continue;
        const std::string key = dirPart(sources[i]);
        if (!onlySource.count(key)) sourceOrder.push_back(key);
        Group& g = onlySource[key];
        g.srcParentDir = key;
        g.srcFiles->set(lastPathComponent(sources[i]), lastPathComponent(sources[i]));
    }
    for (std::size_t j = 0; j < targets.size(); ++j) {
        if (targetUsed[j]) continue;
        const std::string key = dirPart(targets[j]);
        if (!onlyTarget.count(key)) targetOrder.push_back(key);
        Group& g = onlyTarget[key];
        g.tgtParentDir = key;
        g.tgtFiles->set(lastPathComponent(targets[j]), lastPathComponent(targets[j]));
    }
    runGroups(pairedOrder, paired, true, true);
    runGroups(sourceOrder, onlySource, true, false);
    runGroups(targetOrder, onlyTarget, false, true);
}

}  // namespace lcv

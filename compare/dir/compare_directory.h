// CompareDirectory: pairs the directories of two trees, reports new, obsolete and
// identical directories, and hands every directory pair on to file comparison and
// to directory-information comparison.
#pragma once

#include <string>
#include <vector>

#include "core/compare.h"

namespace lcv {

class CompareDirectory : public Compare {
public:
    explicit CompareDirectory(const DictRef& parameters);
    void DoCompare() override;

    // Pairs the directories through the directory-name map.
    void mapDirectories(std::vector<std::string>& newItems, std::vector<std::string>& obsoleteItems,
                        std::vector<std::string>& identicalItems);
    void printCompareResult(std::vector<std::string> items, const std::string& header, const std::string& category);
    void printToDict_directory(const std::string& path, const std::string& category);
    // The directory pair step; a missing side passes nullptr.
    void CompMainDirectory(const std::string* d1, const std::string* d2, bool e1, bool e2);
    void CompMainDirInfo(const std::string* d1, const std::string* d2, bool e1, bool e2);

    // The plain files directly inside the directory, name -> name.
    static void CollectDirectoryFiles(Dict& files, const std::string& dir, PrintCenter* pCenter, bool skipDotUnderscore,
                                      bool skipLytParts, bool applyFilters, const RunContext* run);

private:
    bool isLayoutBundle(const std::string* d1, const std::string* d2, const std::string& abs1,
                        const std::string& abs2) const;
    // The layout bundle comparison; the layout comparers are not part of this build
    // yet, so a bundle is compared as a directory of plain files only.
    void compareLayoutBundle(const std::string* d1, const std::string* d2, const std::string& abs1,
                             const std::string& abs2);
    void printNewObsoleteLytSummary(const std::vector<std::string>& items, const std::string& category);
};

}  // namespace lcv

// CompareFile: the files of one directory pair (or the two files of file mode),
// pair by pair through the decision sequence: forks, content by file kind,
// resources.
#pragma once

#include <string>
#include <vector>

#include "compare/file/fork_access.h"
#include "core/compare.h"

namespace lcv {

class CompareFile : public Compare {
public:
    explicit CompareFile(const DictRef& parameters);
    void DoCompare() override;

    // One pair (e1 and e2), or the contents of a one-sided file.
    void CompMainFile(const std::string& name, bool e1, bool e2, const Dict& map);
    // File information of one pair.
    void CompMainFileInfo(const std::string& name, bool e1, bool e2, const Dict& map);

    void printToDict_file_summary(std::vector<std::string> items, const std::string& category, const Dict& map);
    void printToDict_InsertBinaryCompResult(const std::string& key, bool dfSame, bool rfSame,
                                            const std::string& category);

    // Pairing inside one directory pair: fixed names, then names.
    void mapFilesNew(std::vector<std::string>& newItems, std::vector<std::string>& obsoleteItems,
                     std::vector<std::string>& identicalItems, Dict& map);
    std::string obtainTargetFileNameFromSourceFileName(const std::string& name, const Dict& map) const;
    // What a report line prints for a pair.
    std::string get_source_target_filesPath(const std::string& name, const Dict& map) const;

    // The parameter dictionary of a content comparer for one pair.
    DictRef contentParameters(const std::string& entity, const DictRef& o1, const DictRef& o2, const std::string& name,
                              const std::string& name2, bool e1, bool e2) const;

protected:
    // What the last CompMainFile learnt of its two files, reused by the file
    // information of the same pair.
    ForkInfo lastInfo1_, lastInfo2_;
    std::string lastPath1_, lastPath2_;
};

// Pairs the files of two whole trees regardless of their directories.
class MatchMaking : public CompareFile {
public:
    explicit MatchMaking(const DictRef& parameters);
    void MatchMake();
};

}  // namespace lcv

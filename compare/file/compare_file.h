// CompareFile: the files of one directory pair (or the two files of file mode),
// pair by pair through the decision sequence.
#pragma once

#include "core/compare.h"

namespace lcv {

class CompareFile : public Compare {
public:
    explicit CompareFile(const DictRef& parameters);
    void DoCompare() override;
};

// Pairs the files of two whole trees regardless of their directories.
class MatchMaking : public CompareFile {
public:
    explicit MatchMaking(const DictRef& parameters);
    void MatchMake();
};

}  // namespace lcv

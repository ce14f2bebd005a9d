// CompareDirectory: pairs the directories of two trees and hands each pair on to
// file and directory-information comparison.
#pragma once

#include "core/compare.h"

namespace lcv {

class CompareDirectory : public Compare {
public:
    explicit CompareDirectory(const DictRef& parameters);
    void DoCompare() override;
};

}  // namespace lcv

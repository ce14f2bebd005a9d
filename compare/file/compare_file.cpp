#include "compare/file/compare_file.h"

namespace lcv {

CompareFile::CompareFile(const DictRef& parameters) : Compare(parameters) {}

void CompareFile::DoCompare() {}

MatchMaking::MatchMaking(const DictRef& parameters) : CompareFile(parameters) {}

void MatchMaking::MatchMake() {}

}  // namespace lcv

#include "compare/dir/compare_directory.h"

namespace lcv {

CompareDirectory::CompareDirectory(const DictRef& parameters) : Compare(parameters) {}

void CompareDirectory::DoCompare() {}

}  // namespace lcv

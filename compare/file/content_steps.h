// The content steps of the file comparison: the identity checks that may declare
// differing data forks equal, and the comparisons by file kind (strings files,
// TIFF images, text, resources). Every step that a comparer of this build cannot
// take yet is skipped here, in this one place.
#pragma once

#include <string>

#include "core/value.h"

namespace lcv {

class CompareFile;

// One file pair inside the decision sequence.
struct PairContext {
    const std::string& name;
    const std::string& name2;
    const std::string& path1;  // "" for an absent side
    const std::string& path2;
    bool e1, e2;
    bool dfSame;
};

// What the identity checks prepared for the later steps.
struct ContentState {
    DictRef strPre1, strPre2;  // strings dictionaries already loaded and filtered
};

// The identity checks of two differing data forks that are no resource files:
// strings files compared by their entries, executables by their prebinding
// checksums. Returns true when the forks count as identical.
bool identityCheck(CompareFile& c, const std::string& path1, const std::string& path2, const std::string& name,
                   ContentState& state);
void checkXmlSyntax(CompareFile& c, const std::string& path1, const std::string& path2);
void compareStringsFiles(CompareFile& c, const PairContext& pair, ContentState& state);
void compareTiffFiles(CompareFile& c, const PairContext& pair, ContentState& state);
void compareTextFiles(CompareFile& c, const PairContext& pair, ContentState& state);
void compareResourceTypes(CompareFile& c, const PairContext& pair, const char* entity, const DictRef& types1,
                          const DictRef& types2, bool rsrcInDF1, bool rsrcInDF2);

}  // namespace lcv

// The run-wide state of one lcv run: the options dictionary, the tables that the
// command line fills, the report center and the report root. The driver owns one
// RunContext; comparers reach it through their parameter dictionary (key "run").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/value.h"
#include "report/print_center.h"

namespace lcv {

// One entry of the resource filter lists (--xxxx and --xxxxyyyy).
struct ResFilterEntry {
    std::uint32_t type = 0;
    std::int16_t id = 0;
    bool operator==(const ResFilterEntry&) const = default;
};

// Evaluates a user regular expression against a text. The driver installs one when
// any filter, find or text-filter option is present.
class RegexMatcher {
public:
    virtual ~RegexMatcher() = default;
    virtual bool matches(const std::string& text, const std::string& expression) = 0;
};

class RunContext : public Object {
public:
    DictRef options = Dict::make(16);
    std::shared_ptr<PrintCenter> pCenter;

    // Filter tables: regular expression -> include flag (absent until an option
    // creates them).
    DictRef fileNameFilter, directoryFilter, stringKeyFilter, plistKeyFilter, xmlPathFilter, tiffTagFilter,
        lytAttrFilter, resItemFilter;
    DictRef textFilterTable;   // file name or extension -> script path
    DictRef findStringTable;   // "fsl"/"fsr" -> array of texts
    DictRef fileNameMap;       // fixed file-name map
    DictRef directoryNameMap;  // directory-name map
    std::vector<ResFilterEntry> resTypeFilter, resTypeIdFilter;

    DictRef lprojMap = Dict::make(1), reverseLprojMap = Dict::make(1);
    std::optional<std::string> lprojRestriction;
    std::string commandLineRecord;
    bool debugFlag = false;
    // Script files written for text filters given as script text.
    std::vector<std::string> textFilterScriptFiles;

    DictRef reportRoot;                    // -plist only
    DictRef summaryTree1, summaryTree2;    // -ptwindiff / -psummarydiff only

    std::shared_ptr<RegexMatcher> matcher;

    bool anyFilterTable() const;
    // The filter test: true when the text must be skipped under the table (an
    // include table keeps only matching texts, an exclude table drops them).
    bool IsFilteredOut(const DictRef& table, const std::string& text) const;
    // True when one of the table's expressions matches the text.
    bool matchesAny(const DictRef& table, const std::string& text) const;
    static bool isIncludeTable(const DictRef& table);
};

}  // namespace lcv

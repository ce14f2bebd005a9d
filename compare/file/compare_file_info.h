// CompareFileInfo: the file-browser, date and unix information of a file pair
// ("finfo") or a directory pair ("dinfo").
#pragma once

#include <string>

#include "compare/file/fork_access.h"
#include "core/compare.h"

namespace lcv {

class CompareFileInfo : public Compare {
public:
    explicit CompareFileInfo(const DictRef& parameters);
    void DoCompare() override;

    void printInfoCompareResult(std::vector<std::string> keys, const std::string& category, const std::string& kind,
                                const std::string& entity, const Dict& targetObj) const;
    void printInfoCompareResultForChanged(std::vector<std::string> keys, const std::string& category,
                                          const std::string& kind, const std::string& entity) const;

    // "-rw-r--r-- 1 owner group" of the path itself (links not followed); with
    // skipLinks the link count shows as "*". An unreadable status gives "" and an
    // error line.
    static std::string GetUnixStatString(const std::string& path, bool skipLinks, PrintCenter* pCenter);
    // Sets "unix" in the dictionary.
    static void AddUnixInfoToDict(Dict& dict, const std::string& path, PrintCenter* pCenter, bool skipLinks);
    // Sets the file-browser keys (type, creator, flags, dates, ioFlAttrib, script)
    // that the path's information provides.
    static void AddZixInfoToDict(Dict& dict, const std::string& path, const ForkInfo& info, bool skipCdate,
                                 bool skipMdate, PrintCenter* pCenter);
    // Names of the set bits of a flags word (masked with 0xFEFF) and of a catalog
    // attribute byte (masked with 0x9D).
    static std::string flagNames(unsigned flags);
    static std::string attributeNames(unsigned attributes);
    // "%d/%d/%d %d:%02d:%02d" in local time.
    static std::string dateText(double secondsSince1970);
};

}  // namespace lcv

#include <string>

#include "core/plist_io.h"
#include "core/textplist.h"
#include "driver/options.h"

namespace lcv {

bool readGlossaryStringsFile(const std::string& path, Dict& into, std::string& reason) {
    std::string bytes, error;
    if (!readFileBytes(path, bytes, error)) {
        reason = "empty";
        return false;
    }
    StringsTable table;
    TextPlistError parseError;
    if (!parseStringsBytes(bytes, table, parseError)) {
        reason = "malformed";
        return false;
    }
    bool any = false;
    for (const auto& [source, target] : *table.strings) {
        if (!target.isString()) continue;
        into.set(source, target);
        any = true;
    }
    if (!any) reason = "empty";
    return any;
}

}  // namespace lcv

#include "core/run_context.h"

namespace lcv {

bool RunContext::anyFilterTable() const {
    return textFilterTable || findStringTable || fileNameFilter || directoryFilter || stringKeyFilter ||
           lytAttrFilter || resItemFilter || plistKeyFilter || xmlPathFilter || tiffTagFilter;
}

bool RunContext::isIncludeTable(const DictRef& table) {
    return table && !table->empty() && table->begin()->second.boolean();
}

bool RunContext::matchesAny(const DictRef& table, const std::string& text) const {
    if (!table || !matcher) return false;
    for (const auto& [expression, include] : *table) {
        (void)include;
        if (matcher->matches(text, expression)) return true;
    }
    return false;
}

bool RunContext::IsFilteredOut(const DictRef& table, const std::string& text) const {
    // Until a matcher is installed no expression can be evaluated, and nothing is
    // filtered out.
    if (!table || table->empty() || !matcher) return false;
    const bool matched = matchesAny(table, text);
    return isIncludeTable(table) ? !matched : matched;
}

}  // namespace lcv

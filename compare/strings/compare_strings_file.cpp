#include "compare/strings/compare_strings_file.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "core/text.h"

namespace lcv {

namespace {

const char* const kStringResult = "String Compare Result";

// What "%@" shows for a stored value: a text as itself, anything else by its
// description.
std::string valueText(const Value* v) {
    if (!v) return {};
    return v->isString() ? v->str() : v->description();
}

std::string quoted(const std::string& s) { return unicodeQuotedStringRepresentation(s); }

// Length in bytes of the UTF-8 sequence at s[i] and the number of UTF-16 code units
// it stands for. A byte that does not start a well-formed sequence counts as one
// unit on its own, so malformed text is measured without running past its end.
void nextCharacter(std::string_view s, std::size_t i, std::size_t& bytes, std::size_t& units) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    if ((b & 0xE0) == 0xC0) len = 2;
    else if ((b & 0xF0) == 0xE0) len = 3;
    else if ((b & 0xF8) == 0xF0) len = 4;
    if (len > 1) {
        bool ok = i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (!ok) len = 1;
    }
    bytes = len;
    units = len == 4 ? 2 : 1;
}

// A short name of the failure: the exception's class without its namespace.
std::string failureName(const std::exception& e) {
    const char* mangled = typeid(e).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    if (const auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    return name;
}

}  // namespace

CompareStringsFile::CompareStringsFile(const DictRef& parameters) : Compare(parameters) {
    if (parameters) {
        if (const Value* v = parameters->find(kComment1)) commentDict1_ = v->dict();
        if (const Value* v = parameters->find(kComment2)) commentDict2_ = v->dict();
    }
    maxStringValueLength_ = 0;
}

std::string CompareStringsFile::kindWord() const { return entityName() == "lyt_strings" ? "lyt" : "file"; }

bool CompareStringsFile::findMode() const {
    const RunContext* r = run().get();
    if (!r || !r->findStringTable) return false;
    for (const char* key : {"fsl", "fsr"}) {
        const Value v = r->findStringTable->get(key);
        if (v.isArray() && !v.array()->empty()) return true;
    }
    return false;
}

bool CompareStringsFile::commentsShown() const { return printComment() && !skipMetaInfoInStringFile(); }

const Value* CompareStringsFile::lookup(const DictRef& dict, const std::string& key) {
    return dict ? dict->find(key) : nullptr;
}

void CompareStringsFile::DoCompare() {
    try {
        doCompareUnguarded();
    } catch (const std::exception& e) {
        if (!pCenter()) return;
        try {
            pCenter()->PrintMetaInfoToStdError(
                "# [lcv:e:CompareStringsFile:DoCompare:" + failureName(e) + ":" + GetPathForHeader() + ":] " + e.what(),
                "Error");
        } catch (...) {
        }
    } catch (...) {
        if (!pCenter()) return;
        try {
            pCenter()->PrintMetaInfoToStdError("# [lcv:e:CompareStringsFile:DoCompare:unknown:" + GetPathForHeader() + ":]",
                                               "Error");
        } catch (...) {
        }
    }
}

void CompareStringsFile::doCompareUnguarded() {
    const std::string kind = kindWord();

    // Classification looks at the full values, before anything is shortened.
    std::vector<std::string> newItems = getNewItemsInDict();
    std::vector<std::string> obsoleteItems = getObsoleteItemsInDict();
    std::vector<std::string> identicalItems = getIdenticalItemsInDict();
    std::vector<std::string> changedItems = getChangedItemsInDict();

    if (findMode()) {
        FindStringInTargetObj(obj1(), GetPath1ForHeader(), kind);
        FindStringInTargetObj(obj2(), GetPath2ForHeader(), kind);
        return;
    }

    // Shorten copies for display; the caller's dictionaries keep their values.
    if (maxStringValueLength_ != 0) {
        if (obj1()) {
            auto shown = std::make_shared<Dict>(*obj1());
            truncateStringValue(*shown);
            set_obj1(shown);
        }
        if (obj2()) {
            auto shown = std::make_shared<Dict>(*obj2());
            truncateStringValue(*shown);
            set_obj2(shown);
        }
    }

    sortCodeUnits(newItems);
    sortCodeUnits(obsoleteItems);
    sortCodeUnits(identicalItems);
    sortCodeUnits(changedItems);

    if (reportRoot()) {
        printToDict_string_details(newItems, "New String", obj2(), commentDict2_);
        printToDict_string_details(obsoleteItems, "Obsolete String", obj1(), commentDict1_);
        if (printIdenticalEntity()) printToDict_string_details(identicalItems, "Identical String", obj2(), commentDict2_);
        printToDict_string_detailsForChanged(changedItems, "Changed String", commentDict1_, commentDict2_);
        return;
    }

    const std::string header = GetPathForHeader();
    printStringCompareResult(newItems, "# [lcv:i:new:" + kind + ":str:" + header + ":] ", obj2(), commentDict2_);
    printStringCompareResult(obsoleteItems, "# [lcv:i:obsolete:" + kind + ":str:" + header + ":] ", obj1(),
                             commentDict1_);
    if (printIdenticalEntity())
        printStringCompareResult(identicalItems, "# [lcv:i:identical:" + kind + ":str:" + header + ":] ", obj2(),
                                 commentDict2_);
    printStringCompareResultForChanged(changedItems, "# [lcv:i:changed:" + kind + ":str", GetPath1ForPlist(),
                                       GetPath2ForPlist(), commentDict1_, commentDict2_);
}

void CompareStringsFile::FindStringInTargetObj(const DictRef& target, const std::string& filePath,
                                               const std::string& entityKind) {
    if (!target) return;
    for (const auto& [key, value] : *target) {
        const std::string text = quoted(valueText(&value));
        FindString1(quoted(key), &text, entityKind, filePath, true);
    }
}

void CompareStringsFile::FindString1(const std::string&, const std::string*, const std::string&, const std::string&,
                                    bool) {}

std::string CompareStringsFile::truncatedText(const std::string& text, std::uint32_t limit) {
    std::size_t total = 0;
    std::size_t cut = std::string::npos;  // byte offset of the first unit past the limit
    for (std::size_t i = 0; i < text.size();) {
        std::size_t bytes = 0, units = 0;
        nextCharacter(text, i, bytes, units);
        if (cut == std::string::npos && total + units > limit) cut = i;
        total += units;
        i += bytes;
    }
    if (total <= limit) return text;
    return text.substr(0, cut) + sformat("...truncated by lcv (%zu)...>", total);
}

void CompareStringsFile::truncateStringValue(Dict& dict) const {
    if (maxStringValueLength_ == 0) return;
    for (const auto& key : dict.keys()) {
        Value* v = dict.find(key);
        if (!v || !v->isString()) continue;
        std::string shown = truncatedText(v->str(), maxStringValueLength_);
        if (shown != v->str()) *v = Value(std::move(shown));
    }
}

void CompareStringsFile::printStringCompareResult(const std::vector<std::string>& items, const std::string& category,
                                                  const DictRef& targetObj, const DictRef& dict) const {
    PrintCenter* pc = pCenter().get();
    if (!pc) return;
    const bool comments = commentsShown();
    const std::string separator = getSeparater();
    for (const auto& key : items) {
        // The line is assembled first and written once, so it reaches the stream
        // whole.
        std::string line = category + quoted(key) + separator + quoted(valueText(lookup(targetObj, key)));
        if (comments)
            if (const Value* comment = lookup(dict, key)) line += valueText(comment);
        pc->printStringToStdOut(line, true);
    }
}

void CompareStringsFile::printStringCompareResultForChanged(const std::vector<std::string>& items,
                                                            const std::string& category, const std::string&,
                                                            const std::string&, const DictRef& dict1,
                                                            const DictRef& dict2) const {
    PrintCenter* pc = pCenter().get();
    if (!pc || items.empty()) return;
    const bool comments = commentsShown();
    const bool hexDumps = debug();
    const std::string separator = getSeparater();
    const std::string prefix = category + ":" + GetPathForHeader() + ":] ";
    for (const auto& key : items) {
        const std::string value1 = valueText(lookup(obj1(), key));
        const std::string value2 = valueText(lookup(obj2(), key));
        std::string line = prefix + quoted(key) + separator + quoted(value1);
        if (hexDumps) {
            const auto bytes1 = utf16WithByteOrderMark(value1);
            const auto bytes2 = utf16WithByteOrderMark(value2);
            if (bytes1 && bytes2) {
                line += " [";
                MakeHexDumpString(line, bytes1->data(), bytes1->size());
                line += "] " + separator + quoted(value2) + " [";
                MakeHexDumpString(line, bytes2->data(), bytes2->size());
                line += "]";
            } else {
                line += separator + quoted(value2);
            }
        } else {
            const Value* comment1 = comments ? lookup(dict1, key) : nullptr;
            const Value* comment2 = comments ? lookup(dict2, key) : nullptr;
            if (comment1) line += valueText(comment1);
            line += separator + quoted(value2);
            if (comment2) line += valueText(comment2);
        }
        pc->printStringToStdOut(line, true);
    }
}

void CompareStringsFile::printToDict_string_details(const std::vector<std::string>& items, const std::string& category,
                                                    const DictRef& targetObj, const DictRef&) const {
    if (items.empty() || !reportRoot()) return;
    const DictRef entries = GetDetailedResultSection(kStringResult, category);
    for (const auto& key : items) entries->set(quoted(key), quoted(valueText(lookup(targetObj, key))));
}

void CompareStringsFile::printToDict_string_detailsForChanged(const std::vector<std::string>& items,
                                                              const std::string& category, const DictRef&,
                                                              const DictRef&) const {
    if (items.empty() || !reportRoot()) return;
    const DictRef entries = GetDetailedResultSection(kStringResult, category);
    for (const auto& key : items) {
        auto pair = Dict::make(2);
        pair->set("String Value 1", quoted(valueText(lookup(obj1(), key))));
        pair->set("String Value 2", quoted(valueText(lookup(obj2(), key))));
        entries->set(quoted(key), pair);
    }
}

void CompareStringsFile::MakeHexDumpString(std::string& out, const std::uint8_t* bytes, std::size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
        if (i % 2 == 1 && i + 1 != length) out += ' ';
    }
}

std::optional<Data> CompareStringsFile::utf16WithByteOrderMark(std::string_view utf8) {
    if (!isValidUtf8(utf8)) return std::nullopt;
    Data out{0xFE, 0xFF};
    auto put = [&out](std::uint32_t unit) {
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 1;
        std::uint32_t cp = b;
        if (b >= 0xF0) len = 4, cp = b & 0x07;
        else if (b >= 0xE0) len = 3, cp = b & 0x0F;
        else if (b >= 0xC0) len = 2, cp = b & 0x1F;
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

}  // namespace lcv

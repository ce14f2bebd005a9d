#include "compare/file/content_steps.h"

#include "compare/file/compare_file.h"
#include "compare/file/file_kinds.h"
#include "compare/file/macho.h"
#include "compare/strings/compare_strings_file.h"
#include "core/plist_io.h"
#include "core/text.h"
#include "core/textplist.h"

namespace lcv {

namespace {

const char* const kNonStringMarker = "lcv replaced the non-string obj with this ZSString object.";
const char* const kDictionaryMarker = "lcv replaced the ZSDictionary obj with this ZSString object.";

// Keeps the entries whose key the string-key filter does not filter out.
DictRef filterStringDict(const CompareFile& c, const Dict& d) {
    auto out = Dict::make(d.size());
    const RunContext* run = c.run().get();
    for (const auto& [k, v] : d)
        if (!run || !run->IsFilteredOut(run->stringKeyFilter, k)) out->set(k, v);
    return out;
}

// Makes a loaded dictionary hold texts only: nested texts move to the root under
// their joined keys, nested dictionaries and other values become marker texts.
void checkAndFixStringDict(Dict& root, Dict& current, const std::string& prefix) {
    for (const auto& key : current.keys()) {
        const Value v = current.get(key);
        if (v.isString()) {
            if (&root != &current && !root.contains(prefix + key)) root.set(prefix + key, v);
        } else if (v.isDict()) {
            checkAndFixStringDict(root, *v.dict(), prefix + key);
            current.set(key, kDictionaryMarker);
        } else {
            current.set(key, kNonStringMarker);
        }
    }
}

DictRef convertArrayIntoDict(const Array& a) {
    auto d = Dict::make(a.size());
    for (const auto& v : a) {
        const std::string s = v.isString() ? v.str() : kNonStringMarker;
        d->set(s, s);
    }
    return d;
}

bool startsWithXml(const std::string& bytes) {
    std::string_view s(bytes);
    if (startsWith(s, "\xEF\xBB\xBF")) s.remove_prefix(3);
    return s.size() >= 5 && startsWith(s, "<?xml");
}

// The strings dictionary of the identity check: a dictionary of texts, filtered,
// or nothing.
DictRef stringFileComparisonPreProcessPath(const CompareFile& c, const std::string& path) {
    std::string bytes, error;
    if (!readFileBytes(path, bytes, error)) return nullptr;
    Value parsed;
    TextPlistError perr;
    if (FileKinds::guessEncodingFromByteOrderMark(path, c.pCenter().get()) == FileEncoding::UTF16) {
        StringsTable table;
        if (!parseStringsBytes(bytes, table, perr)) return nullptr;
        parsed = table.strings;
    } else {
        std::string text;
        if (!decodeTextBytes(bytes, text, perr) || !parseTextPlist(text, parsed, perr)) return nullptr;
    }
    if (!parsed.isDict() || !isDictionaryOfStrings(*parsed.dict())) return nullptr;
    return filterStringDict(c, *parsed.dict());
}

// Loads one side of a strings-file pair with its comments; an unreadable or
// malformed file gives an empty dictionary and a message.
DictRef loadStringsFile(const CompareFile& c, const std::string& path, int side, DictRef& comments) {
    PrintCenter* pc = c.pCenter().get();
    comments = Dict::make(16);
    std::string bytes, error;
    const bool readable = readFileBytes(path, bytes, error);
    const FileEncoding encoding = FileKinds::guessEncodingFromByteOrderMark(path, pc);
    Value parsed;
    TextPlistError perr;
    bool ok = false;
    int which;  // 1: general parser, 2: strings parser on UTF-8, 3: other encoding
    std::string text;
    if (encoding == FileEncoding::UTF8 && readable && !startsWithXml(bytes) && bytes.size() >= 5) {
        which = 1;
        ok = decodeTextBytes(bytes, text, perr) && parseTextPlist(text, parsed, perr);
        if (ok && c.printComment()) {
            StringsTable table;
            TextPlistError ignored;
            if (parseStringsText(text, table, ignored)) comments = table.comments;
        }
    } else if (encoding == FileEncoding::UTF8) {
        which = 2;
        StringsTable table;
        ok = readable && decodeTextBytes(bytes, text, perr) && parseStringsText(text, table, perr);
        parsed = table.strings;
    } else {
        which = 3;
        StringsTable table;
        ok = readable && parseStringsBytes(bytes, table, perr);
        parsed = table.strings;
        if (ok && c.printComment()) comments = table.comments;
        decodeTextBytes(bytes, text, perr);
    }
    if (ok && !parsed.isDict() && !parsed.isArray()) ok = false;
    if (!ok) {
        if (pc) {
            const char* failure = readable ? "ParseError" : "ReadError";
            if (text.find(" = ") == std::string::npos && bytes.find(" = ") == std::string::npos) {
                const int number = side == 1 ? (which == 1 ? 1 : which == 2 ? 2 : 3) : (which == 1 ? 4 : which == 2 ? 5 : 6);
                pc->PrintMetaInfoToStdOut(sformat("# [lcv:w:CompareFile:DoCompare:%s://->%s<-//:] No string-%d.", failure,
                                                  path.c_str(), number),
                                          "Warning");
            } else {
                pc->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:CompareFile:DoCompare:%s://->%s<-//:]", failure, path.c_str()), "Error");
            }
        }
        return Dict::make(0);
    }
    if (parsed.isArray()) return convertArrayIntoDict(*parsed.array());
    DictRef d = parsed.dict();
    checkAndFixStringDict(*d, *d, "");
    return d;
}

}  // namespace

bool identityCheck(CompareFile& c, const std::string& path1, const std::string& path2, const std::string& name,
                   ContentState& state) {
    (void)name;
    const RunContext* run = c.run().get();
    // Text filters and TIFF tag filters need the expression interpreter, which this
    // build does not have: those identity checks are skipped.
    if (((run && run->stringKeyFilter) || c.skipMetaInfoInStringFile()) && FileKinds::stringFilePath(path1, path2)) {
        state.strPre1 = stringFileComparisonPreProcessPath(c, path1);
        state.strPre2 = stringFileComparisonPreProcessPath(c, path2);
        return state.strPre1 && state.strPre2 && dictsEqualAsStrings(*state.strPre1, *state.strPre2);
    }
    if (c.skipPrebinding() && MachOPath(c.pCenter().get(), path1, path2)) return PreBindingCheckSumIdentical(path1, path2);
    return false;
}

// XML syntax checking is not part of this build yet.
void checkXmlSyntax(CompareFile&, const std::string&, const std::string&) {}

void compareStringsFiles(CompareFile& c, const PairContext& pair, ContentState& state) {
    PrintCenter* pc = c.pCenter().get();
    if (c.debug() && pair.e1 && pair.e2 && pc) {
        auto label = [](FileEncoding e) {
            return e == FileEncoding::UTF16 ? "# [lcv:d:] ### UTF16_encoding ###"
                                            : "# [lcv:d:] ### UTF8_or_default_C_String_encoding ###";
        };
        const FileEncoding b1 = FileKinds::guessEncodingFromByteOrderMark(pair.path1, pc);
        const FileEncoding b2 = FileKinds::guessEncodingFromByteOrderMark(pair.path2, pc);
        pc->printStringToStdOut(
            "# [lcv:d:changed:file:str:" + c.GetPathForHeader() + ":] " + label(b1) + " (" +
                encodingDisplayName(FileKinds::guessEncodingFromPath(pair.path1)) + ")" + Compare::getSeparater() +
                label(b2) + " (" + encodingDisplayName(FileKinds::guessEncodingFromPath(pair.path2)) + ")",
            true);
    }
    DictRef comments1 = Dict::make(0), comments2 = Dict::make(0);
    DictRef d1 = state.strPre1, d2 = state.strPre2;
    const bool filtered1 = d1 != nullptr, filtered2 = d2 != nullptr;
    if (!d1) d1 = pair.e1 ? loadStringsFile(c, pair.path1, 1, comments1) : Dict::make(0);
    if (!d2) d2 = pair.e2 ? loadStringsFile(c, pair.path2, 2, comments2) : Dict::make(0);
    if (c.run() && c.run()->stringKeyFilter) {
        if (!filtered1) d1 = filterStringDict(c, *d1);
        if (!filtered2) d2 = filterStringDict(c, *d2);
    }
    auto p = c.contentParameters("strings", d1, d2, pair.name, pair.name2, pair.e1, pair.e2);
    p->set("comment1", comments1);
    p->set("comment2", comments2);
    CompareStringsFile strings(p);
    strings.set_buffer1(c.buffer1());
    strings.set_buffer2(c.buffer2());
    strings.DoCompare();
}

// TIFF images are compared by their bytes only in this build.
void compareTiffFiles(CompareFile&, const PairContext&, ContentState&) {}

// Text files are compared by their bytes only in this build.
void compareTextFiles(CompareFile&, const PairContext&, ContentState&) {}

// Resources are compared by their types and data in a later build; the forks have
// already been compared byte by byte.
void compareResourceTypes(CompareFile&, const PairContext&, const char*, const DictRef&, const DictRef&, bool, bool) {}

}  // namespace lcv

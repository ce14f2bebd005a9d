// CompareStringsFile: compares two key-to-text dictionaries entry by entry and
// reports every key as new, obsolete, identical or changed. It is the back end of
// strings files, flattened property lists, XML and glossary files, TIFF tag lists
// and the strings of layout bundles; it never reads a file itself.
//
// Parameters beyond the common ones: "comment1" and "comment2", optional
// dictionaries from key to the comment block that stood before the entry
// ("/* ... */", line feeds escaped). The entity name chooses the kind word of the
// report lines: "lyt" for "lyt_strings", "file" for everything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/compare.h"

namespace lcv {

class CompareStringsFile : public Compare {
public:
    static constexpr const char* kComment1 = "comment1";
    static constexpr const char* kComment2 = "comment2";

    explicit CompareStringsFile(const DictRef& parameters);

    // Runs the comparison. Failures end this comparison with an error line; they
    // never leave it as exceptions.
    void DoCompare() override;

    const DictRef& commentDict1() const { return commentDict1_; }
    const DictRef& commentDict2() const { return commentDict2_; }
    void set_commentDict1(DictRef d) { commentDict1_ = std::move(d); }
    void set_commentDict2(DictRef d) { commentDict2_ = std::move(d); }

    // Display limit for values in UTF-16 code units; 0 means no limit. Only what is
    // shown is shortened: entries are classified on the full values.
    std::uint32_t maxStringValueLength() const { return maxStringValueLength_; }
    void set_maxStringValueLength(std::uint32_t n) { maxStringValueLength_ = n; }

    // "lyt" for layout-bundle strings, "file" otherwise.
    std::string kindWord() const;

    // Hands every entry of the dictionary to the find hook: quoted key, quoted
    // value, the kind word, the header path, strings-file flag set.
    void FindStringInTargetObj(const DictRef& target, const std::string& filePath, const std::string& entityKind);

    // Shortens, in the given dictionary, every text value longer than the limit to
    // its first maxStringValueLength() units and the marker
    // "...truncated by lcv (<full length>)...>". A character outside the Basic
    // Multilingual Plane is never cut in half.
    void truncateStringValue(Dict& dict) const;
    // The same on one text; `limit` in UTF-16 code units.
    static std::string truncatedText(const std::string& text, std::uint32_t limit);

    // One line per key: category + quoted key + separator + quoted value, with the
    // key's comment appended when comments are printed.
    void printStringCompareResult(const std::vector<std::string>& items, const std::string& category,
                                  const DictRef& targetObj, const DictRef& dict) const;
    // One line per changed key with both values (values from obj1() and obj2()).
    // The file paths are not part of the line.
    void printStringCompareResultForChanged(const std::vector<std::string>& items, const std::string& category,
                                            const std::string& filePath1, const std::string& filePath2,
                                            const DictRef& dict1, const DictRef& dict2) const;
    // Property-list forms: record the entries under
    // "File Detailed-Compare Result" / GetPathForPlist() / "String Compare Result" /
    // category. The comment dictionaries are not read.
    void printToDict_string_details(const std::vector<std::string>& items, const std::string& category,
                                    const DictRef& targetObj, const DictRef& dict) const;
    void printToDict_string_detailsForChanged(const std::vector<std::string>& items, const std::string& category,
                                              const DictRef& dict1, const DictRef& dict2) const;

    // Appends the bytes as upper-case hex pairs, a space after every second byte
    // except the last.
    static void MakeHexDumpString(std::string& out, const std::uint8_t* bytes, std::size_t length);
    // The text as UTF-16 big-endian with a byte-order mark, or nothing when the
    // text is not valid UTF-8.
    static std::optional<Data> utf16WithByteOrderMark(std::string_view utf8);

protected:
    // The find engine's entry for one label and text (label = quoted key, text =
    // quoted value, identifier = kind word, fileName = header path of the side).
    // Find mode is on when the run holds find strings; the comparer then reports
    // nothing but what this writes. The find engine is not part of the run context
    // yet, so this default writes nothing; the engine plugs in here.
    virtual void FindString1(const std::string& label, const std::string* text, const std::string& identifier,
                            const std::string& fileName, bool stringFile);

private:
    void doCompareUnguarded();
    bool findMode() const;
    // Comments take part only with -pc and without -sksfmi.
    bool commentsShown() const;
    // The text of a comment entry, or nothing.
    static const Value* lookup(const DictRef& dict, const std::string& key);

    DictRef commentDict1_;
    DictRef commentDict2_;
    std::uint32_t maxStringValueLength_ = 0;
};

}  // namespace lcv

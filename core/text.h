// Text helpers shared by every part of the toolkit: the one ordering used by every
// sort (UTF-16 code-unit order of UTF-8 text), printf-style formatting, the quoting
// operations of the report, and collection descriptions.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"

namespace lcv {

// Plain code-unit comparison: the order of the texts' UTF-16 code units (so a
// character outside the Basic Multilingual Plane sorts by its high surrogate, before
// U+E000..U+FFFF). Returns <0, 0 or >0. Case-sensitive: "B" sorts before "a".
int compareCodeUnits(std::string_view a, std::string_view b);
inline bool codeUnitLess(std::string_view a, std::string_view b) { return compareCodeUnits(a, b) < 0; }
void sortCodeUnits(std::vector<std::string>& items);
// Sorts string values in code-unit order; other values sort after strings, by
// number when both are numbers.
void sortValues(std::vector<Value>& items);

// printf into a std::string.
std::string sformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vsformat(const char* fmt, va_list ap);

bool isValidUtf8(std::string_view s);

// The report's quoting: backslash, double quote, bell, backspace, form feed, line
// feed, carriage return, tab and vertical tab become backslash escapes and the
// result is wrapped in double quotes; the empty text stays empty.
std::string unicodeQuotedStringRepresentation(std::string_view s);
// Line feeds become backslash-n; nothing else changes.
std::string escapeReturnChar(std::string_view s);
// The inverse of the quoting: strips one leading and one trailing double quote and
// resolves the escapes; an unknown escape yields the character itself and a lone
// backslash at the end stays.
std::string stringFromUnicodeQuotedStringRepresentation(std::string_view s);

// Descriptions of values in the old property-list style, keys sorted, strings
// quoted, four spaces of indentation per level; a collection stays on one line
// when that line is shorter than 80 characters.
std::string unicodeDescription(const Value& v, int level = 0);
std::string unicodeDescriptionInStringsFileFormat(const Dict& d, const std::vector<std::string>* order = nullptr);
std::string unicodeDescriptionInTabFileFormat(const Dict& d, const std::vector<std::string>* order = nullptr);

// Splits at a separator character, keeping empty pieces.
std::vector<std::string> splitString(std::string_view s, char sep);
std::string joinStrings(const std::vector<std::string>& parts, std::string_view sep);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);

}  // namespace lcv

// Reader of strings files and of the old text property-list syntax. One parser
// serves both: a strings file is a sequence of entries at the top level, a
// property list is one value.
//
// Accepted syntax:
// - strings: quoted ("..." or '...') or unquoted (ASCII letters, digits and
//   _$+/:.-). Escapes inside quotes: \\ \" \' \n \t \r \a \b \f \v; \U with one to
//   four hex digits is a UTF-16 code unit (a high and a low surrogate written as
//   two escapes in a row make one character; an unpaired surrogate becomes
//   U+FFFD; \U with no hex digit is the letter U); \ooo with one to three octal
//   digits is a byte (its low 8 bits) of the legacy Roman code page (10000): 0-127
//   are ASCII, 128-255 go through the code page's table. A backslash before any
//   other character keeps that character.
// - entries: key = value; and a bare key; (the value is the key itself). A key
//   given twice keeps its first place in the dictionary and its last value.
// - dictionaries { k = v; ... }, arrays ( a, b, ) with an optional trailing comma,
//   data <0fbd 7777> with whitespace allowed between the hex digits.
// - comments /* ... */ and // to the end of the line, anywhere between tokens.
//
// Comments of a strings file: the text is divided into paragraphs by blank lines
// (lines holding nothing but spaces and tabs). An entry's comment is the last
// block comment before it in its paragraph, from "/*" through "*/" inclusive, with
// its line feeds escaped as backslash-n, so one comment above a group of entries
// belongs to every entry of the group. // comments are never collected. Only the
// top-level entries get comments.
//
// Nothing here throws; a malformed text yields false and the position of the
// fault. Positions count in the decoded UTF-8 text: offset in bytes, line and
// column from 1, the column in characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/value.h"

namespace lcv {

struct TextPlistError {
    std::size_t offset = 0;
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
    // "line L, column C: message", or "byte offset N: message" for a fault found
    // while decoding the bytes (line 0)
    std::string describe() const;
};

enum class TextEncoding { Utf8, Utf16LE, Utf16BE };

// Decodes the raw bytes of a text file to UTF-8. A byte-order mark chooses UTF-16
// of either byte order or UTF-8 and is dropped; without one, a first code unit
// with exactly one zero byte marks UTF-16 without a mark (zero first: big-endian),
// anything else is UTF-8. Invalid UTF-8, an odd number of UTF-16 bytes and
// unpaired surrogates are failures (offset = byte offset in the input).
bool decodeTextBytes(std::string_view bytes, std::string& utf8, TextPlistError& error,
                     TextEncoding* encoding = nullptr);

// A strings file: key to value (values are strings unless the text nests
// dictionaries, arrays or data) and key to comment.
struct StringsTable {
    DictRef strings;
    DictRef comments;
};

// Parses strings-file text: entries at the top level, or one dictionary "{ ... }"
// as the whole text. Empty text (or only comments) gives empty dictionaries. On
// failure the table holds empty dictionaries.
bool parseStringsText(std::string_view utf8, StringsTable& table, TextPlistError& error);
// Decodes raw file bytes (decodeTextBytes), then parseStringsText.
bool parseStringsBytes(std::string_view bytes, StringsTable& table, TextPlistError& error);

// Parses an old-style text property list: one dictionary, array, data or string
// value; a text of top-level entries (strings-file syntax) is a dictionary, and so
// is an empty text. Trailing text after the value is an error.
bool parseTextPlist(std::string_view utf8, Value& value, TextPlistError& error);
bool parseTextPlistBytes(std::string_view bytes, Value& value, TextPlistError& error);

// The character of a byte of the legacy Roman code page, as UTF-8.
std::string legacyRomanByteToUtf8(unsigned char byte);

}  // namespace lcv

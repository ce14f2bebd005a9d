// Property-list files: XML and binary property lists through libplist, the old
// text syntax through the project's own parser (core/textplist.h), and the XML
// writer. Nothing here throws; failures come back as false with a message.
#pragma once

#include <string>
#include <string_view>

#include "core/value.h"

namespace lcv {

enum class PlistFormat { Xml, Binary, Text };

// Reads a property list of any of the three formats from its bytes. The format
// is told by the content: "bplist" at the start is binary; "<?xml", "<!DOCTYPE"
// or "<plist" after an optional UTF-8 byte-order mark and white space is XML;
// anything else is the old text syntax (UTF-8 or UTF-16). Dates become seconds
// since 1970; integers are read as signed 64-bit values.
bool readPlistBytes(std::string_view bytes, Value& value, std::string& error, PlistFormat* format = nullptr);
bool readPlistFile(const std::string& path, Value& value, std::string& error, PlistFormat* format = nullptr);

// Reads a whole file into bytes; false (with the system's reason) when it cannot.
bool readFileBytes(const std::string& path, std::string& bytes, std::string& error);

// The XML property-list document of a value. Null values and opaque objects have
// no property-list form and make the conversion fail, as do dates outside the
// range libplist can store (about 1933 to 2069).
bool plistToXml(const Value& value, std::string& xml, std::string& error);
// Writes the XML document of the value to path atomically (writeFileAtomically).
bool writeXmlPlist(const std::string& path, const Value& value, std::string& error);

// Writes bytes to a new file in the same directory as path (exclusive creation,
// mode 0600, no following of links), then renames it over path. On failure the
// old file at path is untouched and the new file is removed.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace lcv

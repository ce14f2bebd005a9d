// What setDeskviewLabel and getDeskviewLabel share :
// the colour table, item paths and the recursion below a directory. The label is
// bits 1 to 3 of the item's flags word, kept in its sidecar (platform layer).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lcv::label {

inline constexpr std::uint16_t kLabelMask = 0x000E;

// The label argument (one of the eight names, exact spelling, or an index digit)
// as a flag value, or with scriptMode as a label index; nothing when invalid.
std::optional<int> lookUpColour(const std::string& key, bool scriptMode);

// The name of the three label bits of a flags word ("Unknown" for a value
// outside the table, which three bits cannot make).
const char* labelName(std::uint16_t flags);

// An item path of the command line: one trailing "/" removed; a relative path is
// made absolute by resolving its directory part physically (the current
// directory when that fails) and appending the last component.
std::string itemPath(const std::string& argument);

// True when the path names an existing item (through links).
bool itemExists(const std::string& path);
bool isDirectory(const std::string& path);

// Every entry below a directory at any depth, joined to it and standardized:
// depth first, each directory's entries in plain code-unit order, sidecars left
// out, links not descended.
std::vector<std::string> itemsBelow(const std::string& directory);

}  // namespace lcv::label

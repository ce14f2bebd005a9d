// Binary fixtures built in code: sidecar files and resource file images.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lcvtest {

struct SidecarEntry {
    std::uint32_t id;
    std::string bytes;
};

// A sidecar file image holding the entries in order.
std::string sidecar(const std::vector<SidecarEntry>& entries);

// The first 32 bytes of file-browser information.
std::string browserInfo(const std::string& type, const std::string& creator, std::uint16_t flags,
                       std::uint8_t script = 0);

struct Resource {
    std::string type;  // four characters
    std::int16_t id;
    std::optional<std::string> name;
    std::uint8_t attributes = 0;
    std::string data;
};

// A resource file image; mapAttributes is the map's attribute word.
std::string resourceFile(const std::vector<Resource>& resources, std::uint16_t mapAttributes = 0);

}  // namespace lcvtest

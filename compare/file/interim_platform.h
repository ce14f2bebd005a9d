// Interim readers of sidecar files and resource maps, until the platform layer
// provides them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/value.h"

namespace lcv::platform {

int statusFromErrno(int err);
std::string macRomanToUtf8(std::uint8_t byte);
std::string macRomanToUtf8(const std::string& bytes);

struct SidecarInfo {
    bool present = false;
    bool malformed = false;
    int status = 0;
    std::uint64_t resourceForkLength = 0;
    std::optional<std::uint32_t> type, creator;
    std::optional<std::uint16_t> flags;
    std::optional<std::uint8_t> scriptCode;
    std::optional<std::uint8_t> catalogAttributes;
    std::optional<double> creationDate;
};
SidecarInfo readSidecarInfo(const std::string& path);

struct ForkRange {
    int status = 0;
    std::string sidecarPath;
    std::uint64_t offset = 0, length = 0;
};
ForkRange resourceForkRange(const std::string& path);
int readForkImage(const std::string& path, bool resourceFork, Data& out);
bool dataForkLooksLikeResourceFile(const std::string& path, std::uint64_t length);

struct ResourceFilter {
    std::vector<std::uint32_t> types;
    std::vector<std::pair<std::uint32_t, std::int16_t>> typeIds;
};

struct MapError {
    std::string field;
    std::uint64_t imageLength = 0, offset = 0, length = 0;
    std::string line(const std::string& path) const;
};

struct ResourceRecord {
    std::uint32_t type = 0;
    std::int16_t id = 0;
    std::optional<std::string> name;
    std::uint8_t attributes = 0;
    std::size_t dataPosition = 0, dataLength = 0;
};

struct ResourceMap {
    int status = -1;
    std::vector<ResourceRecord> records;
    std::vector<std::uint32_t> types;
    std::uint8_t attributeByte = 0;
    std::uint16_t attributeWord = 0;
    std::optional<MapError> error;
    bool ok() const { return status == 0; }
};
// With checkContents off, only the header, the type list and the reference lists
// are checked (enough to open the file); names and data are not read.
ResourceMap parseResourceMap(const Data& image, const ResourceFilter& filter, bool checkContents = true);

}  // namespace lcv::platform

// Resource files: the map parser with its range checks, the resource-file
// attribute word, the resource file service (open, count and enumerate types and
// resources, read id, name, attributes, size and data), the resource location
// probe of the file comparison, and a writer of resource file images.
//
// Nothing here prints: a failed range check comes back as a MapCheckFailure,
// and isValidAddrLine() formats the report line for the caller to print.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/roman.h"

namespace lcv::platform {

using ResType = FourCharCode;

// ------------------------------------------------------------ map parser

// The resource filters of the command line (`--xxxx` types, `--xxxxyyyy` type
// and id pairs). The parser leaves filtered resources out.
struct ResourceFilter {
    std::vector<ResType> types;
    std::vector<std::pair<ResType, std::int16_t>> typeIds;
    bool skipsType(ResType type) const;
    bool skips(ResType type, std::int16_t id) const;
    bool empty() const { return types.empty() && typeIds.empty(); }
};

// A failed range check: offset + length > image length.
struct MapCheckFailure {
    std::string field;  // "resourceDataOffset", "resourceMapOffset", "typeList", "resName" or "resData"
    std::uint64_t imageLength = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// "# [lcv:e:IsValidAddr:%@://->%@<-//:] (%d, %d, %d)" with the field label, the
// path, the image length, the offset and the length (no line end). The numbers
// are printed as %d prints the 32-bit values of the original.
std::string isValidAddrLine(const MapCheckFailure& failure, std::string_view path);

// The range check itself: offset + length <= imageLength, without overflow.
bool isValidAddr(std::uint64_t imageLength, std::uint64_t offset, std::uint64_t length);

// One resource kept by the parser.
struct ResourceRecord {
    ResType type = 0;
    std::int16_t id = 0;
    std::optional<std::string> name;  // the name's bytes (code page of the file), or none
    std::uint8_t attributes = 0;
    std::uint64_t dataPosition = 0;  // absolute offset of the data bytes in the image
    std::uint64_t dataLength = 0;
};

struct ParsedResourceMap {
    int status = -1;  // 0 for success, -1 for failure
    std::vector<ResourceRecord> records;  // in the order visited
    std::uint8_t attributeByte = 0;       // the byte at map offset 22
    std::uint16_t attributeWord = 0;      // the word at map offset 22
    std::optional<MapCheckFailure> failure;
    bool ok() const { return status == 0; }
    std::size_t count() const { return records.size(); }
};

// The map parser: every region is range-checked before it is read;
// the first failed check ends the parse with status -1 and the failure. Filtered
// types are skipped before their reference lists are checked; filtered (type, id)
// pairs before their names and data are. A type count word of 0xFFFF means an
// empty map (no types), as the resource manager writes it.
ParsedResourceMap parseResourceMapImage(std::span<const std::uint8_t> image, const ResourceFilter& filter = {});

// ----------------------------------------------------- resource file service

// A resource of an open resource file: where its reference entry lies.
struct ResourceRef {
    ResType type = 0;
    std::uint64_t entryPosition = 0;  // absolute offset of the 12-byte reference entry
};

struct ResourceInfo {
    std::int16_t id = 0;
    ResType type = 0;
    std::string name;  // 0 to 255 bytes, uninterpreted; empty when the resource has none
    bool hasName = false;
};

// A resource file opened read-only: a fork image whose header, type list and
// reference lists lie inside it (what a resource manager checks on opening).
// Names and data are checked when they are read.
class ResourceFile {
public:
    ResourceFile() = default;

    // Opens the resource fork (sidecar entry 2) or, with fromDataFork, the data
    // fork of an item. Statuses: kFnfErr (no item), kResNotFound (no resource
    // fork), kMapReadErr (no resource map), or that of a failed read.
    static int open(const std::string& itemPath, bool fromDataFork, ResourceFile& file);
    // Opens an image held in memory: kNoErr or kMapReadErr.
    static int fromImage(std::vector<std::uint8_t> image, ResourceFile& file);

    // The failed check that made opening fail, if any.
    const std::optional<MapCheckFailure>& openFailure() const { return openFailure_; }

    std::uint16_t attributes() const { return attributes_; }  // GetResFileAttrs
    const std::vector<std::uint8_t>& image() const { return image_; }

    int countTypes() const { return static_cast<int>(types_.size()); }  // Count1Types
    // Get1IndType: index from 1; kResNotFound out of range.
    int typeAt(int index, ResType& type) const;
    // Count1Resources: resources of the type in this file (0 when none).
    int countOfType(ResType type) const;
    // Get1IndResource: index from 1; kResNotFound out of range.
    int resourceAt(ResType type, int index, ResourceRef& ref) const;
    // Get1Resource by id (the first one in map order); kResNotFound.
    int find(ResType type, std::int16_t id, ResourceRef& ref) const;

    int info(const ResourceRef& ref, ResourceInfo& info) const;       // GetResInfo; kMapReadErr for a bad name
    int attributes(const ResourceRef& ref, std::uint8_t& attrs) const;  // GetResAttrs
    int dataSize(const ResourceRef& ref, std::uint64_t& size) const;    // GetHandleSize; kMapReadErr
    // The data bytes, a view into the image valid while this file lives.
    int data(const ResourceRef& ref, std::span<const std::uint8_t>& bytes) const;

    // All resources in map order (types in map order, then their references).
    std::vector<ResourceRef> allResources() const;

private:
    struct TypeEntry {
        ResType type;
        std::uint32_t count;
        std::uint64_t refList;  // absolute offset of the first reference entry
    };
    int checkData(const ResourceRef& ref, std::uint64_t& position, std::uint64_t& length) const;

    std::vector<std::uint8_t> image_;
    std::uint64_t dataOffset_ = 0, mapOffset_ = 0, nameList_ = 0;
    std::uint16_t attributes_ = 0;
    std::vector<TypeEntry> types_;
    std::optional<MapCheckFailure> openFailure_;
};

// Checks the structure of an image as ResourceFile does on opening; kNoErr or
// kMapReadErr with the failure.
int checkResourceFileStructure(std::span<const std::uint8_t> image, std::optional<MapCheckFailure>* failure = nullptr);

// ----------------------------------------------------------------- probes

// True when the first 16 bytes of a data fork of the given length, read as data
// offset, map offset, data length and map length, satisfy data offset + data
// length + map length = length and map offset + map length = length.
bool resourceHeaderFitsLength(std::span<const std::uint8_t> header16, std::uint64_t length);

// The resource location probe: rf, the resource fork opens as a
// resource file; df, the data fork is at least 16 bytes long, its header fits
// its length, and it opens as a resource file. Lengths may be passed when known.
struct ResourceLocation {
    bool rf = false;
    bool df = false;
};
ResourceLocation probeResourceLocation(const std::string& itemPath,
                                       std::optional<std::uint64_t> dataForkLength = std::nullopt,
                                       std::optional<std::uint64_t> resourceForkLength = std::nullopt);

// getResfileAttrs without its messages: the 16-bit attribute word of the
// resource file in the data fork or the resource fork. Returns the status.
int resourceFileAttributes(const std::string& itemPath, bool fromDataFork, std::uint16_t& attributes);

// The resource types of a file in map order, unfiltered (AddResTypeToDict without
// its messages). Returns the status of opening.
int resourceTypes(const std::string& itemPath, bool fromDataFork, std::vector<ResType>& types);

// ----------------------------------------------------------------- writer

struct ResourceSpec {
    ResType type = 0;
    std::int16_t id = 0;
    std::optional<std::string> name;  // at most 255 bytes
    std::uint8_t attributes = 0;
    std::vector<std::uint8_t> data;
};

// Builds a resource file image: header, 240 reserved bytes, the data area (each
// resource's length word and bytes, in list order), then the map (header copy,
// the attribute word, type list in order of first appearance, reference lists,
// name list). Returns kParamErr when the resources do not fit the format (a name
// over 255 bytes, a data area over 16 MB, a map over 64 KB of offsets).
int buildResourceFile(const std::vector<ResourceSpec>& resources, std::uint16_t mapAttributes,
                      std::vector<std::uint8_t>& image);

}  // namespace lcv::platform

#include "platform/resource_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/sidecar.h"
#include "platform/status.h"

namespace lcv::platform {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint32_t be24(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2]; }
std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

void append32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(static_cast<std::uint8_t>(x >> 24));
    v.push_back(static_cast<std::uint8_t>(x >> 16));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
    v.push_back(static_cast<std::uint8_t>(x));
}
void append16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(static_cast<std::uint8_t>(x >> 8));
    v.push_back(static_cast<std::uint8_t>(x));
}

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kMapFixedSize = 30;  // up to and with the type count word
constexpr std::size_t kTypeEntrySize = 8;
constexpr std::size_t kRefEntrySize = 12;

struct TypeEntryOut {
    ResType type;
    std::uint32_t count;
    std::uint64_t refList;
};

// The walk shared by the parser and the opening check. With contents off, names
// and data are not read (an opening check); with types set, the type entries are
// collected (all of them, unfiltered).
ParsedResourceMap walkMap(std::span<const std::uint8_t> image, const ResourceFilter& filter, bool contents,
                          std::vector<TypeEntryOut>* types, std::uint64_t* dataOffsetOut = nullptr,
                          std::uint64_t* mapOffsetOut = nullptr, std::uint64_t* nameListOut = nullptr) {
    ParsedResourceMap map;
    const std::uint64_t L = image.size();
    const std::uint8_t* img = image.data();
    auto valid = [&](std::uint64_t offset, std::uint64_t length, const char* field) {
        if (isValidAddr(L, offset, length)) return true;
        map.failure = MapCheckFailure{field, L, offset, length};
        return false;
    };
    // The header itself must be there before its offsets are read.
    if (!valid(0, kHeaderSize, "resourceDataOffset")) return map;
    const std::uint64_t dataOffset = be32(img), mapOffset = be32(img + 4);
    if (!valid(dataOffset, 0, "resourceDataOffset") || !valid(mapOffset, kMapFixedSize, "resourceMapOffset"))
        return map;
    const std::uint8_t* m = img + mapOffset;
    map.attributeByte = m[22];
    map.attributeWord = be16(m + 22);
    const std::uint64_t nameList = mapOffset + be16(m + 26);
    const std::uint16_t countWord = be16(m + 28);
    const std::uint64_t typeCount = countWord == 0xFFFF ? 0 : std::uint64_t(countWord) + 1;
    if (!valid(mapOffset + kMapFixedSize, kTypeEntrySize * typeCount, "typeList")) return map;
    if (dataOffsetOut) *dataOffsetOut = dataOffset;
    if (mapOffsetOut) *mapOffsetOut = mapOffset;
    if (nameListOut) *nameListOut = nameList;
    for (std::uint64_t t = 0; t < typeCount; ++t) {
        const std::uint8_t* te = m + kMapFixedSize + kTypeEntrySize * t;
        const ResType type = be32(te);
        const std::uint64_t count = std::uint64_t(be16(te + 4)) + 1;
        const std::uint64_t refs = mapOffset + 28 + be16(te + 6);
        if (filter.skipsType(type)) {
            if (types) types->push_back({type, static_cast<std::uint32_t>(count), refs});
            continue;
        }
        if (!valid(refs, kRefEntrySize * count, "typeList")) return map;
        if (types) types->push_back({type, static_cast<std::uint32_t>(count), refs});
        for (std::uint64_t r = 0; r < count; ++r) {
            const std::uint8_t* re = img + refs + kRefEntrySize * r;
            ResourceRecord rec;
            rec.type = type;
            rec.id = static_cast<std::int16_t>(be16(re));
            if (filter.skips(type, rec.id)) continue;
            rec.attributes = re[4];
            if (contents) {
                const std::uint16_t nameOffset = be16(re + 2);
                if (nameOffset != 0xFFFF) {
                    const std::uint64_t pos = nameList + nameOffset;
                    if (!valid(pos, 1, "resName")) return map;
                    const std::uint64_t len = img[pos];
                    if (!valid(pos + 1, len, "resName")) return map;
                    rec.name = std::string(reinterpret_cast<const char*>(img + pos + 1), static_cast<std::size_t>(len));
                }
                const std::uint64_t at = dataOffset + be24(re + 5);
                if (!valid(at, 4, "resData")) return map;
                const std::uint64_t len = be32(img + at);
                if (!valid(at + 4, len, "resData")) return map;
                rec.dataPosition = at + 4;
                rec.dataLength = len;
            }
            map.records.push_back(std::move(rec));
        }
    }
    map.status = 0;
    return map;
}

// Reads up to n bytes at offset of an open descriptor; the count read.
std::size_t preadSome(int fd, std::uint8_t* out, std::size_t n, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

}  // namespace

// ---------------------------------------------------------------- parser

bool ResourceFilter::skipsType(ResType type) const {
    return std::find(types.begin(), types.end(), type) != types.end();
}

bool ResourceFilter::skips(ResType type, std::int16_t id) const {
    return std::find(typeIds.begin(), typeIds.end(), std::make_pair(type, id)) != typeIds.end();
}

bool isValidAddr(std::uint64_t imageLength, std::uint64_t offset, std::uint64_t length) {
    return offset <= imageLength && length <= imageLength - offset;
}

std::string isValidAddrLine(const MapCheckFailure& f, std::string_view path) {
    auto d = [](std::uint64_t v) { return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v))); };
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "(%d, %d, %d)", d(f.imageLength), d(f.offset), d(f.length));
    std::string line = "# [lcv:e:IsValidAddr:";
    line += f.field;
    line += "://->";
    line += path;
    line += "<-//:] ";
    line += numbers;
    return line;
}

ParsedResourceMap parseResourceMapImage(std::span<const std::uint8_t> image, const ResourceFilter& filter) {
    return walkMap(image, filter, true, nullptr);
}

int checkResourceFileStructure(std::span<const std::uint8_t> image, std::optional<MapCheckFailure>* failure) {
    ParsedResourceMap m = walkMap(image, {}, false, nullptr);
    if (failure) *failure = m.failure;
    return m.ok() ? kNoErr : kMapReadErr;
}

// ---------------------------------------------------------- resource file

int ResourceFile::fromImage(std::vector<std::uint8_t> image, ResourceFile& file) {
    file = ResourceFile{};
    std::vector<TypeEntryOut> types;
    std::uint64_t dataOffset = 0, mapOffset = 0, nameList = 0;
    ParsedResourceMap m = walkMap(image, {}, false, &types, &dataOffset, &mapOffset, &nameList);
    if (!m.ok()) {
        file.openFailure_ = m.failure;
        return kMapReadErr;
    }
    file.image_ = std::move(image);
    file.dataOffset_ = dataOffset;
    file.mapOffset_ = mapOffset;
    file.nameList_ = nameList;
    file.attributes_ = m.attributeWord;
    for (const auto& t : types) file.types_.push_back({t.type, t.count, t.refList});
    return kNoErr;
}

int ResourceFile::open(const std::string& itemPath, bool fromDataFork, ResourceFile& file) {
    file = ResourceFile{};
    struct stat st;
    if (::stat(itemPath.c_str(), &st) != 0) return statusForErrno(errno);
    std::vector<std::uint8_t> image;
    if (fromDataFork) {
        if (S_ISDIR(st.st_mode)) return kMapReadErr;
        const int fd = ::open(itemPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return statusForErrno(errno);
        // A look at the header first spares reading a large file that holds no map.
        std::uint8_t header[kHeaderSize];
        const std::size_t got = preadSome(fd, header, kHeaderSize, 0);
        ::close(fd);
        const std::uint64_t length = static_cast<std::uint64_t>(st.st_size);
        if (got == kHeaderSize) {
            const std::uint64_t mapOffset = be32(header + 4), dataOffset = be32(header);
            if (!isValidAddr(length, mapOffset, kMapFixedSize) || dataOffset > length) {
                file.openFailure_ =
                    !isValidAddr(length, dataOffset, 0)
                        ? MapCheckFailure{"resourceDataOffset", length, dataOffset, 0}
                        : MapCheckFailure{"resourceMapOffset", length, mapOffset, kMapFixedSize};
                return kMapReadErr;
            }
        }
        const int status = readWholeFork(itemPath, Fork::Data, image);
        if (status != kNoErr) return status;
    } else {
        const int status = readWholeFork(itemPath, Fork::Resource, image);
        if (status != kNoErr) return status;
        if (image.empty()) return kResNotFound;
    }
    return fromImage(std::move(image), file);
}

int ResourceFile::typeAt(int index, ResType& type) const {
    if (index < 1 || static_cast<std::size_t>(index) > types_.size()) return kResNotFound;
    type = types_[static_cast<std::size_t>(index - 1)].type;
    return kNoErr;
}

int ResourceFile::countOfType(ResType type) const {
    for (const auto& t : types_)
        if (t.type == type) return static_cast<int>(t.count);
    return 0;
}

int ResourceFile::resourceAt(ResType type, int index, ResourceRef& ref) const {
    for (const auto& t : types_) {
        if (t.type != type) continue;
        if (index < 1 || static_cast<std::uint32_t>(index) > t.count) return kResNotFound;
        ref.type = type;
        ref.entryPosition = t.refList + kRefEntrySize * static_cast<std::uint64_t>(index - 1);
        return kNoErr;
    }
    return kResNotFound;
}

int ResourceFile::find(ResType type, std::int16_t id, ResourceRef& ref) const {
    for (const auto& t : types_) {
        if (t.type != type) continue;
        for (std::uint32_t i = 0; i < t.count; ++i) {
            const std::uint64_t pos = t.refList + kRefEntrySize * i;
            if (static_cast<std::int16_t>(be16(image_.data() + pos)) == id) {
                ref.type = type;
                ref.entryPosition = pos;
                return kNoErr;
            }
        }
        return kResNotFound;
    }
    return kResNotFound;
}

int ResourceFile::info(const ResourceRef& ref, ResourceInfo& out) const {
    if (!isValidAddr(image_.size(), ref.entryPosition, kRefEntrySize)) return kParamErr;
    const std::uint8_t* re = image_.data() + ref.entryPosition;
    out = ResourceInfo{};
    out.id = static_cast<std::int16_t>(be16(re));
    out.type = ref.type;
    const std::uint16_t nameOffset = be16(re + 2);
    if (nameOffset == 0xFFFF) return kNoErr;
    const std::uint64_t pos = nameList_ + nameOffset;
    if (!isValidAddr(image_.size(), pos, 1)) return kMapReadErr;
    const std::uint64_t len = image_[pos];
    if (!isValidAddr(image_.size(), pos + 1, len)) return kMapReadErr;
    out.name.assign(reinterpret_cast<const char*>(image_.data() + pos + 1), static_cast<std::size_t>(len));
    out.hasName = true;
    return kNoErr;
}

int ResourceFile::attributes(const ResourceRef& ref, std::uint8_t& attrs) const {
    if (!isValidAddr(image_.size(), ref.entryPosition, kRefEntrySize)) return kParamErr;
    attrs = image_[ref.entryPosition + 4];
    return kNoErr;
}

int ResourceFile::checkData(const ResourceRef& ref, std::uint64_t& position, std::uint64_t& length) const {
    if (!isValidAddr(image_.size(), ref.entryPosition, kRefEntrySize)) return kParamErr;
    const std::uint64_t at = dataOffset_ + be24(image_.data() + ref.entryPosition + 5);
    if (!isValidAddr(image_.size(), at, 4)) return kMapReadErr;
    length = be32(image_.data() + at);
    if (!isValidAddr(image_.size(), at + 4, length)) return kMapReadErr;
    position = at + 4;
    return kNoErr;
}

int ResourceFile::dataSize(const ResourceRef& ref, std::uint64_t& size) const {
    std::uint64_t position = 0;
    return checkData(ref, position, size);
}

int ResourceFile::data(const ResourceRef& ref, std::span<const std::uint8_t>& bytes) const {
    std::uint64_t position = 0, length = 0;
    const int status = checkData(ref, position, length);
    if (status != kNoErr) return status;
    bytes = std::span<const std::uint8_t>(image_.data() + position, static_cast<std::size_t>(length));
    return kNoErr;
}

std::vector<ResourceRef> ResourceFile::allResources() const {
    std::vector<ResourceRef> out;
    for (const auto& t : types_)
        for (std::uint32_t i = 0; i < t.count; ++i) out.push_back({t.type, t.refList + kRefEntrySize * i});
    return out;
}

// ------------------------------------------------------------------ probes

bool resourceHeaderFitsLength(std::span<const std::uint8_t> h, std::uint64_t length) {
    if (h.size() < kHeaderSize) return false;
    const std::uint64_t dataOffset = be32(h.data()), mapOffset = be32(h.data() + 4);
    const std::uint64_t dataLength = be32(h.data() + 8), mapLength = be32(h.data() + 12);
    return dataOffset + dataLength + mapLength == length && mapOffset + mapLength == length;
}

ResourceLocation probeResourceLocation(const std::string& itemPath, std::optional<std::uint64_t> dataForkLength,
                                       std::optional<std::uint64_t> resourceForkLength) {
    ResourceLocation loc;
    if (!dataForkLength || !resourceForkLength) {
        const ItemInfo info = readItemInfo(itemPath);
        if (info.status != kNoErr) return loc;
        if (!dataForkLength) dataForkLength = info.dataForkLength;
        if (!resourceForkLength) resourceForkLength = info.resourceForkLength;
    }
    ResourceFile file;
    if (*resourceForkLength > 0 && ResourceFile::open(itemPath, false, file) == kNoErr) loc.rf = true;
    if (*dataForkLength >= kHeaderSize) {
        const int fd = ::open(itemPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            std::uint8_t header[kHeaderSize];
            const bool got = preadSome(fd, header, kHeaderSize, 0) == kHeaderSize;
            ::close(fd);
            if (got && resourceHeaderFitsLength(header, *dataForkLength) &&
                ResourceFile::open(itemPath, true, file) == kNoErr)
                loc.df = true;
        }
    }
    return loc;
}

int resourceFileAttributes(const std::string& itemPath, bool fromDataFork, std::uint16_t& attributes) {
    ResourceFile file;
    const int status = ResourceFile::open(itemPath, fromDataFork, file);
    if (status != kNoErr) return status;
    attributes = file.attributes();
    return kNoErr;
}

int resourceTypes(const std::string& itemPath, bool fromDataFork, std::vector<ResType>& types) {
    ResourceFile file;
    const int status = ResourceFile::open(itemPath, fromDataFork, file);
    if (status != kNoErr) return status;
    for (int i = 1; i <= file.countTypes(); ++i) {
        ResType t = 0;
        if (file.typeAt(i, t) == kNoErr) types.push_back(t);
    }
    return kNoErr;
}

// ------------------------------------------------------------------ writer

int buildResourceFile(const std::vector<ResourceSpec>& resources, std::uint16_t mapAttributes,
                      std::vector<std::uint8_t>& image) {
    constexpr std::uint32_t kDataOffset = 256;
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> offsets;
    for (const auto& r : resources) {
        if (data.size() > 0xFFFFFF || r.data.size() > 0xFFFFFFFFu) return kParamErr;
        offsets.push_back(static_cast<std::uint32_t>(data.size()));
        append32(data, static_cast<std::uint32_t>(r.data.size()));
        data.insert(data.end(), r.data.begin(), r.data.end());
        if (r.name && r.name->size() > 255) return kParamErr;
    }
    if (kDataOffset + std::uint64_t(data.size()) > 0xFFFFFFFFu) return kParamErr;
    std::vector<ResType> types;
    for (const auto& r : resources)
        if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);
    if (types.size() > 0x10000) return kParamErr;

    std::vector<std::uint8_t> typeList, refs, names;
    append16(typeList, types.empty() ? 0xFFFF : static_cast<std::uint16_t>(types.size() - 1));
    const std::size_t refStart = 2 + kTypeEntrySize * types.size();
    for (ResType t : types) {
        std::vector<std::size_t> idx;
        for (std::size_t i = 0; i < resources.size(); ++i)
            if (resources[i].type == t) idx.push_back(i);
        if (idx.size() > 0x10000 || refStart + refs.size() > 0xFFFF) return kParamErr;
        append32(typeList, t);
        append16(typeList, static_cast<std::uint16_t>(idx.size() - 1));
        append16(typeList, static_cast<std::uint16_t>(refStart + refs.size()));
        for (std::size_t i : idx) {
            const auto& r = resources[i];
            append16(refs, static_cast<std::uint16_t>(r.id));
            if (r.name) {
                if (names.size() >= 0xFFFF) return kParamErr;
                append16(refs, static_cast<std::uint16_t>(names.size()));
                names.push_back(static_cast<std::uint8_t>(r.name->size()));
                names.insert(names.end(), r.name->begin(), r.name->end());
            } else {
                append16(refs, 0xFFFF);
            }
            refs.push_back(r.attributes);
            refs.push_back(static_cast<std::uint8_t>(offsets[i] >> 16));
            append16(refs, static_cast<std::uint16_t>(offsets[i] & 0xFFFF));
            append32(refs, 0);
        }
    }
    const std::size_t nameListOffset = 28 + typeList.size() + refs.size();
    if (nameListOffset > 0xFFFF) return kParamErr;
    const std::uint32_t mapOffset = kDataOffset + static_cast<std::uint32_t>(data.size());
    const std::uint64_t mapLength = nameListOffset + names.size();
    if (mapOffset + mapLength > 0xFFFFFFFFu) return kParamErr;

    std::vector<std::uint8_t> header;
    append32(header, kDataOffset);
    append32(header, mapOffset);
    append32(header, static_cast<std::uint32_t>(data.size()));
    append32(header, static_cast<std::uint32_t>(mapLength));

    image.clear();
    image.reserve(static_cast<std::size_t>(mapOffset + mapLength));
    image.insert(image.end(), header.begin(), header.end());
    image.resize(kDataOffset, 0);
    image.insert(image.end(), data.begin(), data.end());
    image.insert(image.end(), header.begin(), header.end());  // the map's copy of the header
    append32(image, 0);                                        // next map
    append16(image, 0);                                        // file reference
    append16(image, mapAttributes);
    append16(image, 28);  // type list offset
    append16(image, static_cast<std::uint16_t>(nameListOffset));
    image.insert(image.end(), typeList.begin(), typeList.end());
    image.insert(image.end(), refs.begin(), refs.end());
    image.insert(image.end(), names.begin(), names.end());
    return kNoErr;
}

}  // namespace lcv::platform

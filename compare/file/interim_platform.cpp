#include "compare/file/interim_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/path.h"
#include "core/text.h"

namespace lcv::platform {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

std::string sidecarPathOf(const std::string& path) {
    return appendPathComponent(parentDirectory(path).empty() ? "." : parentDirectory(path), "._" + lastPathComponent(path));
}

bool readAll(const std::string& path, Data& out, int& status) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        status = statusFromErrno(errno);
        return false;
    }
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            status = statusFromErrno(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.insert(out.end(), buf, buf + n);
    }
    ::close(fd);
    return true;
}

struct Entry {
    std::uint32_t id, offset, length;
};

// The entries of a sidecar image; false when it is malformed.
bool sidecarEntries(const Data& d, std::vector<Entry>& entries) {
    if (d.size() < 26 || be32(d.data()) != 0x00051607 || be32(d.data() + 4) != 0x00020000) return false;
    const std::size_t n = be16(d.data() + 24);
    if (26 + 12 * n > d.size()) return false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* p = d.data() + 26 + 12 * i;
        Entry e{be32(p), be32(p + 4), be32(p + 8)};
        if (std::uint64_t(e.offset) + e.length > d.size()) return false;
        entries.push_back(e);
    }
    return true;
}

}  // namespace

int statusFromErrno(int err) {
    switch (err) {
        case ENOENT: case ENOTDIR: return -43;
        case EACCES: case EPERM: return -54;
        case EIO: return -36;
        case ENOMEM: return -108;
        default: return -50;
    }
}

std::string macRomanToUtf8(std::uint8_t byte) {
    static const char16_t high[128] = {
        0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
        0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
        0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
        0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
        0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
        0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
        0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
        0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
    };
    const char32_t cp = byte < 0x80 ? byte : high[byte - 0x80];
    std::string out;
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string macRomanToUtf8(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += macRomanToUtf8(static_cast<std::uint8_t>(c));
    return out;
}

SidecarInfo readSidecarInfo(const std::string& path) {
    SidecarInfo info;
    const std::string sc = sidecarPathOf(path);
    struct stat st;
    if (::lstat(sc.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return info;
    Data d;
    int status = 0;
    if (!readAll(sc, d, status)) {
        info.malformed = true;
        info.status = status;
        return info;
    }
    std::vector<Entry> entries;
    if (!sidecarEntries(d, entries)) {
        info.malformed = true;
        info.status = -36;
        return info;
    }
    info.present = true;
    info.catalogAttributes = 0;
    for (const auto& e : entries) {
        const std::uint8_t* p = d.data() + e.offset;
        if (e.id == 2) info.resourceForkLength = e.length;
        if (e.id == 9 && e.length >= 32) {
            info.type = be32(p);
            info.creator = be32(p + 4);
            info.flags = be16(p + 8);
            info.scriptCode = p[24];
        }
        if (e.id == 8 && e.length >= 4) {
            const auto created = static_cast<std::int32_t>(be32(p));
            if (created != static_cast<std::int32_t>(0x80000000)) info.creationDate = 946684800.0 + created;
        }
        if (e.id == 10 && e.length >= 4) info.catalogAttributes = p[3];
    }
    return info;
}

ForkRange resourceForkRange(const std::string& path) {
    ForkRange r;
    r.sidecarPath = sidecarPathOf(path);
    Data d;
    int status = 0;
    struct stat st;
    if (::lstat(r.sidecarPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return r;
    if (!readAll(r.sidecarPath, d, status)) {
        r.status = status;
        return r;
    }
    std::vector<Entry> entries;
    if (!sidecarEntries(d, entries)) return r;
    for (const auto& e : entries) {
        if (e.id == 2) {
            r.offset = e.offset;
            r.length = e.length;
        }
    }
    return r;
}

int readForkImage(const std::string& path, bool resourceFork, Data& out) {
    int status = 0;
    if (!resourceFork) return readAll(path, out, status) ? 0 : status;
    const ForkRange r = resourceForkRange(path);
    if (r.status != 0) return r.status;
    if (r.length == 0) return -192;
    Data d;
    if (!readAll(r.sidecarPath, d, status)) return status;
    if (r.offset + r.length > d.size()) return -39;
    out.assign(d.begin() + static_cast<std::ptrdiff_t>(r.offset), d.begin() + static_cast<std::ptrdiff_t>(r.offset + r.length));
    return 0;
}

bool dataForkLooksLikeResourceFile(const std::string& path, std::uint64_t length) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::uint8_t h[16];
    const bool got = ::pread(fd, h, 16, 0) == 16;
    ::close(fd);
    if (!got) return false;
    const std::uint64_t dataOff = be32(h), mapOff = be32(h + 4), dataLen = be32(h + 8), mapLen = be32(h + 12);
    return dataOff + dataLen + mapLen == length && mapOff + mapLen == length;
}

std::string MapError::line(const std::string& path) const {
    return sformat("# [lcv:e:IsValidAddr:%s://->%s<-//:] (%d, %d, %d)", field.c_str(), path.c_str(),
                   static_cast<int>(imageLength), static_cast<int>(offset), static_cast<int>(length));
}

ResourceMap parseResourceMap(const Data& image, const ResourceFilter& filter, bool checkContents) {
    ResourceMap map;
    const std::uint64_t L = image.size();
    auto valid = [&](std::uint64_t offset, std::uint64_t length, const char* field) {
        if (offset + length <= L) return true;
        map.error = MapError{field, L, offset, length};
        return false;
    };
    if (!valid(0, 16, "resourceDataOffset")) return map;
    const std::uint64_t dataOffset = be32(image.data()), mapOffset = be32(image.data() + 4);
    if (!valid(dataOffset, 0, "resourceDataOffset") || !valid(mapOffset, 30, "resourceMapOffset")) return map;
    const std::uint8_t* m = image.data() + mapOffset;
    map.attributeByte = m[22];
    map.attributeWord = be16(m + 22);
    const std::uint64_t nameList = mapOffset + be16(m + 26);
    const std::uint64_t typeCount = std::uint64_t(be16(m + 28)) + 1;
    if (!valid(mapOffset + 30, 8 * typeCount, "typeList")) return map;
    for (std::uint64_t t = 0; t < typeCount; ++t) {
        const std::uint8_t* te = m + 30 + 8 * t;
        const std::uint32_t type = be32(te);
        map.types.push_back(type);
        if (std::find(filter.types.begin(), filter.types.end(), type) != filter.types.end()) continue;
        const std::uint64_t count = std::uint64_t(be16(te + 4)) + 1;
        const std::uint64_t refs = mapOffset + 28 + be16(te + 6);
        if (!valid(refs, 12 * count, "typeList")) return map;
        for (std::uint64_t r = 0; r < count; ++r) {
            const std::uint8_t* re = image.data() + refs + 12 * r;
            ResourceRecord rec;
            rec.type = type;
            rec.id = static_cast<std::int16_t>(be16(re));
            if (std::find(filter.typeIds.begin(), filter.typeIds.end(), std::make_pair(type, rec.id)) !=
                filter.typeIds.end())
                continue;
            rec.attributes = re[4];
            if (!checkContents) continue;
            const std::uint16_t nameOff = be16(re + 2);
            if (nameOff != 0xFFFF) {
                const std::uint64_t pos = nameList + nameOff;
                if (!valid(pos, 1, "resName")) return map;
                const std::uint64_t len = image[pos];
                if (!valid(pos + 1, len, "resName")) return map;
                rec.name = std::string(image.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                                       image.begin() + static_cast<std::ptrdiff_t>(pos + 1 + len));
            }
            const std::uint64_t dataAt = dataOffset + ((std::uint64_t(re[5]) << 16) | be16(re + 6));
            if (!valid(dataAt, 4, "resData")) return map;
            const std::uint64_t dataLen = be32(image.data() + dataAt);
            if (!valid(dataAt + 4, dataLen, "resData")) return map;
            rec.dataPosition = static_cast<std::size_t>(dataAt + 4);
            rec.dataLength = static_cast<std::size_t>(dataLen);
            map.records.push_back(std::move(rec));
        }
    }
    map.status = 0;
    return map;
}

}  // namespace lcv::platform

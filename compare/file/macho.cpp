#include "compare/file/macho.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/checksum.h"
#include "core/path.h"
#include "core/text.h"
#include "report/print_center.h"

namespace lcv {

namespace {

constexpr std::uint32_t kMagic = 0xFEEDFACEu;
constexpr std::size_t kHeaderSize = 28;
constexpr std::uint32_t kLoadCommandPrebindChecksum = 0x17;  // LC_PREBIND_CKSUM

// The classic status numbers of the report lines.
int classicStatus(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return -43;
        case EACCES:
        case EPERM:
            return -54;
        case EIO:
            return -36;
        case ENOMEM:
            return -108;
        default:
            return -50;
    }
}

std::uint32_t be32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

ArchChecksums refuse(const std::string& name, const std::string& why) {
    ArchChecksums r;
    r.status = 1;
    r.message = name + ": " + why;
    return r;
}

bool readFully(int fd, std::string& out, std::size_t size, std::uint64_t offset) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Walks the load commands of the header and command bytes (the file's first
// bytes); fileSize is the size of the whole file.
ArchChecksums walkLoadCommands(std::string_view bytes, std::uint64_t fileSize, const std::string& name) {
    if (bytes.size() < kHeaderSize || be32(bytes, 0) != kMagic)
        return refuse(name, "not a 32-bit big-endian Mach-O file");
    ArchChecksum rec;
    rec.cpuType = static_cast<std::int32_t>(be32(bytes, 4));
    rec.cpuSubtype = static_cast<std::int32_t>(be32(bytes, 8));
    const std::uint32_t ncmds = be32(bytes, 16);
    const std::uint64_t sizeofcmds = be32(bytes, 20);
    if (kHeaderSize + sizeofcmds > fileSize)
        return refuse(name, "truncated or malformed object (load commands extend past the end of the file)");
    const std::uint64_t end = kHeaderSize + sizeofcmds;
    if (bytes.size() < end) return refuse(name, "truncated object (load commands could not be read)");
    std::uint64_t at = kHeaderSize;
    for (std::uint32_t i = 0; i < ncmds; ++i) {
        if (at + 8 > end) {
            return refuse(name, sformat("truncated or malformed object (load command %u extends past the end of "
                                        "the load commands)",
                                        i));
        }
        const std::uint32_t cmd = be32(bytes, static_cast<std::size_t>(at));
        const std::uint32_t cmdsize = be32(bytes, static_cast<std::size_t>(at) + 4);
        if (cmdsize < 8)
            return refuse(name, sformat("malformed object (load command %u size %u is too small)", i, cmdsize));
        if (at + cmdsize > end) {
            return refuse(name, sformat("truncated or malformed object (load command %u extends past the end of "
                                        "the load commands)",
                                        i));
        }
        if (cmd == kLoadCommandPrebindChecksum) {
            if (cmdsize != 12)
                return refuse(name, sformat("malformed object (LC_PREBIND_CKSUM command %u has size %u)", i, cmdsize));
            if (rec.hasChecksum)
                return refuse(name, "malformed object (more than one LC_PREBIND_CKSUM command)");
            rec.hasChecksum = 1;
            rec.checksum = be32(bytes, static_cast<std::size_t>(at) + 8);
        }
        at += cmdsize;
    }
    ArchChecksums r;
    r.status = 0;
    r.records.push_back(rec);
    return r;
}

}  // namespace

bool MachOPath(PrintCenter* report, const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < static_cast<off_t>(kHeaderSize))
        return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (report) {
            const char* call = (e == ENOENT || e == ENOTDIR) ? "GetFSSpecFromPath" : "FSpOpenDF";
            report->PrintMetaInfoToStdError(
                sformat("# [lcv:e:MachOPath:%s://->%s<-//:%d:]", call, path.c_str(), classicStatus(e)), "Error");
        }
        return false;
    }
    std::string magic;
    const bool ok = readFully(fd, magic, 4, 0) && be32(magic, 0) == kMagic;
    close(fd);
    return ok;
}

bool MachOPath(PrintCenter* report, const std::string& path1, const std::string& path2) {
    const bool first = !path1.empty() && MachOPath(report, path1);
    const bool second = !path2.empty() && MachOPath(report, path2);
    return first && second;
}

ArchChecksums readArchChecksumsFromBytes(std::string_view bytes, const std::string& name) {
    return walkLoadCommands(bytes, bytes.size(), name);
}

ArchChecksums readArchChecksums(const std::string& path, const std::string& name) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return refuse(name, sformat("can't open file: %s", path.c_str()));
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return refuse(name, sformat("not a regular file: %s", path.c_str()));
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    ArchChecksums result;
    try {
        // Only the header and the load commands are read, never more than the file.
        std::string head;
        if (!readFully(fd, head, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kHeaderSize)), 0)) {
            result = refuse(name, sformat("can't read file: %s", path.c_str()));
        } else if (head.size() < kHeaderSize || be32(head, 0) != kMagic) {
            result = refuse(name, "not a 32-bit big-endian Mach-O file");
        } else {
            const std::uint64_t want = std::min<std::uint64_t>(fileSize, kHeaderSize + std::uint64_t{be32(head, 20)});
            std::string bytes;
            if (!readFully(fd, bytes, static_cast<std::size_t>(want), 0))
                result = refuse(name, sformat("can't read file: %s", path.c_str()));
            else
                result = walkLoadCommands(bytes, fileSize, name);
        }
    } catch (const std::bad_alloc&) {
        result = refuse(name, "virtual memory exhausted (malloc failed)");
    }
    close(fd);
    return result;
}

bool PreBindingCheckSumIdentical(const std::string& path1, const std::string& path2) {
    const ArchChecksums a = readArchChecksums(path1, lastPathComponent(path1));
    const ArchChecksums b = readArchChecksums(path2, lastPathComponent(path2));
    if (a.status != 0 || b.status != 0 || a.records.size() != 1 || b.records.size() != 1) return false;
    const ArchChecksum& r1 = a.records[0];
    const ArchChecksum& r2 = b.records[0];
    if (r1.cpuType != r2.cpuType || r1.cpuSubtype != r2.cpuSubtype) return false;
    if (r1.hasChecksum != 1 || r2.hasChecksum != 1) return false;
    auto effective = [](const ArchChecksum& r, const std::string& path) -> std::uint32_t {
        if (r.checksum != 0) return r.checksum;
        CksumResult c;
        return cksumFile(path, c) == 0 ? c.crc : 0;
    };
    return effective(r1, path1) == effective(r2, path2);
}

}  // namespace lcv

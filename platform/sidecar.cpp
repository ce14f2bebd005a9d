#include "platform/sidecar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/status.h"
#include "platform/tempfile.h"

namespace lcv::platform {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
void put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
void append32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    std::uint8_t b[4];
    put32(b, x);
    v.insert(v.end(), b, b + 4);
}
void append16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    std::uint8_t b[2];
    put16(b, x);
    v.insert(v.end(), b, b + 2);
}

// Reads exactly n bytes at offset; false on an error or a short file.
bool preadAll(int fd, std::uint64_t offset, std::uint8_t* out, std::size_t n, int& status) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            status = statusForErrno(errno);
            return false;
        }
        if (r == 0) {
            status = kIoErr;  // the file shrank under us: it no longer fits its descriptors
            return false;
        }
        got += static_cast<std::size_t>(r);
    }
    return true;
}

// Source of sidecar bytes: a memory image or an open file of a known size.
struct Source {
    std::span<const std::uint8_t> image;
    int fd = -1;
    std::uint64_t size = 0;

    // Reads [offset, offset + n) into out. The range has been checked against size.
    bool read(std::uint64_t offset, std::size_t n, std::uint8_t* out, int& status) const {
        if (offset + n > size) {
            status = kIoErr;
            return false;
        }
        if (fd < 0) {
            if (n) std::memcpy(out, image.data() + offset, n);
            return true;
        }
        return preadAll(fd, offset, out, n, status);
    }
};

// Interprets the first `length` bytes of entry 9 (at most 32 are used).
void takeBrowserInfo(const std::uint8_t* p, std::size_t length, SidecarFields& f) {
    if (length >= 4) f.type = be32(p);
    if (length >= 8) f.creator = be32(p + 4);
    if (length >= 10) f.flags = be16(p + 8);
    if (length >= 25) f.scriptCode = p[24];
}

int parseSidecar(const Source& src, SidecarFields& f) {
    f = SidecarFields{};
    int status = kNoErr;
    std::uint8_t head[kSidecarHeaderSize];
    if (src.size < kSidecarHeaderSize) return kIoErr;
    if (!src.read(0, kSidecarHeaderSize, head, status)) return status;
    if (be32(head) != kSidecarMagic || be32(head + 4) != kSidecarVersion) return kIoErr;
    std::copy(head + 8, head + 24, f.filler.begin());
    const std::size_t n = be16(head + 24);
    const std::uint64_t tableEnd = kSidecarHeaderSize + kSidecarDescriptorSize * std::uint64_t(n);
    if (tableEnd > src.size) return kIoErr;
    std::vector<std::uint8_t> table(kSidecarDescriptorSize * n);
    if (!src.read(kSidecarHeaderSize, table.size(), table.data(), status)) return status;
    f.entries.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* d = table.data() + kSidecarDescriptorSize * i;
        const SidecarEntry e{be32(d), be32(d + 4), be32(d + 8)};
        if (std::uint64_t(e.offset) + e.length > src.size) return kIoErr;
        f.entries.push_back(e);
    }
    f.catalogAttributes = 0;
    if (const SidecarEntry* e = f.find(kEntryResourceFork)) {
        f.resourceFork = *e;
        f.resourceForkLength = e->length;
    }
    if (const SidecarEntry* e = f.find(kEntryBrowserInfo)) {
        std::uint8_t info[kBrowserInfoSize];
        const std::size_t len = std::min<std::size_t>(e->length, kBrowserInfoSize);
        if (!src.read(e->offset, len, info, status)) return status;
        takeBrowserInfo(info, len, f);
    }
    if (const SidecarEntry* e = f.find(kEntryDates); e && e->length >= 4) {
        std::uint8_t d[4];
        if (!src.read(e->offset, 4, d, status)) return status;
        const auto created = static_cast<std::int32_t>(be32(d));
        if (created != kSidecarUnknownDate) f.creationTime = kSidecarDateOrigin + created;
    }
    if (const SidecarEntry* e = f.find(kEntryCatalogAttributes); e && e->length >= 4) {
        std::uint8_t d[4];
        if (!src.read(e->offset, 4, d, status)) return status;
        f.catalogAttributes = d[3];
    }
    return kNoErr;
}

std::string stripTrailingSlashes(std::string_view p) {
    std::string s(p);
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// Opens the sidecar for reading; fills state, status and size. Returns the
// descriptor or -1.
int openSidecar(const std::string& path, SidecarRead& r) {
    r.path = path;
    if (path.empty()) return -1;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            r.state = SidecarState::Unreadable;
            r.status = statusForErrno(errno);
        }
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        r.state = SidecarState::Unreadable;
        r.status = kParamErr;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        r.state = SidecarState::Unreadable;
        r.status = errno == ENOENT ? kFnfErr : statusForErrno(errno);
        if (errno == ENOENT) r.state = SidecarState::Absent, r.status = 0;
        return -1;
    }
    struct stat fst;
    if (::fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode)) {
        r.state = SidecarState::Unreadable;
        r.status = kParamErr;
        ::close(fd);
        return -1;
    }
    r.size = static_cast<std::uint64_t>(fst.st_size);
    return fd;
}

int readAllFd(int fd, std::vector<std::uint8_t>& out) {
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return statusForErrno(errno);
        }
        if (n == 0) return kNoErr;
        out.insert(out.end(), buf, buf + n);
    }
}

}  // namespace

// ------------------------------------------------------------------ format

const SidecarEntry* SidecarFields::find(std::uint32_t id) const {
    for (const auto& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

int parseSidecarImage(std::span<const std::uint8_t> image, SidecarFields& fields) {
    Source src;
    src.image = image;
    src.size = image.size();
    return parseSidecar(src, fields);
}

std::vector<std::uint8_t> buildSidecarImage(const std::vector<SidecarPart>& parts,
                                            const std::array<std::uint8_t, 16>& filler) {
    std::vector<std::uint8_t> out;
    append32(out, kSidecarMagic);
    append32(out, kSidecarVersion);
    out.insert(out.end(), filler.begin(), filler.end());
    append16(out, static_cast<std::uint16_t>(parts.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(kSidecarHeaderSize + kSidecarDescriptorSize * parts.size());
    for (const auto& p : parts) {
        append32(out, p.id);
        append32(out, offset);
        append32(out, static_cast<std::uint32_t>(p.bytes.size()));
        offset += static_cast<std::uint32_t>(p.bytes.size());
    }
    for (const auto& p : parts) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

std::vector<std::uint8_t> browserInfoBytes(FourCharCode type, FourCharCode creator, std::uint16_t flags,
                                          std::uint8_t scriptCode) {
    std::vector<std::uint8_t> v(kBrowserInfoSize, 0);
    put32(v.data(), type);
    put32(v.data() + 4, creator);
    put16(v.data() + 8, flags);
    v[24] = scriptCode;
    return v;
}

// ---------------------------------------------------------- names and paths

std::string sidecarPathFor(std::string_view itemPath) {
    std::string p = stripTrailingSlashes(itemPath);
    if (p.empty() || p == "/") return "";
    std::size_t slash = p.rfind('/');
    std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name == "." || name == "..") {
        char* real = ::realpath(p.c_str(), nullptr);
        if (!real) return "";
        p = real;
        std::free(real);
        if (p == "/") return "";
        slash = p.rfind('/');
        name = p.substr(slash + 1);
    }
    if (slash == std::string::npos) return "._" + name;
    return p.substr(0, slash + 1) + "._" + name;
}

bool isSidecarName(std::string_view name) { return name.size() > 2 && name.substr(0, 2) == "._"; }

std::string sidecarCompanionName(std::string_view name) {
    return isSidecarName(name) ? std::string(name.substr(2)) : std::string();
}

// ------------------------------------------------------------------ reading

SidecarRead readSidecar(const std::string& itemPath) {
    SidecarRead r;
    const int fd = openSidecar(sidecarPathFor(itemPath), r);
    if (fd < 0) return r;
    Source src;
    src.fd = fd;
    src.size = r.size;
    const int status = parseSidecar(src, r.fields);
    ::close(fd);
    if (status != kNoErr) {
        r.state = SidecarState::Unreadable;
        r.status = status;
        r.fields = SidecarFields{};
        return r;
    }
    r.state = SidecarState::Present;
    return r;
}

ItemInfo readItemInfo(const std::string& itemPath, const struct stat* known) {
    ItemInfo info;
    struct stat st;
    if (known) {
        st = *known;
    } else if (::stat(itemPath.c_str(), &st) != 0) {
        info.status = statusForErrno(errno);
        struct stat lst;
        if (::lstat(itemPath.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) info.isSymlink = true;
        return info;
    }
    if (!known) {
        struct stat lst;
        info.isSymlink = ::lstat(itemPath.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
    }
    info.isDirectory = S_ISDIR(st.st_mode);
    info.dataForkLength = info.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    info.modificationTime = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    info.modificationNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);

    const SidecarRead sc = readSidecar(itemPath);
    info.sidecar = sc.state;
    info.sidecarStatus = sc.status;
    if (sc.state != SidecarState::Present) return info;
    const SidecarFields& f = sc.fields;
    info.resourceForkLength = f.resourceForkLength;
    info.type = f.type;
    info.creator = f.creator;
    info.flags = f.flags;
    info.scriptCode = f.scriptCode;
    info.creationTime = f.creationTime;
    info.catalogAttributes = f.catalogAttributes;
    return info;
}

// -------------------------------------------------------------------- forks

ForkReader::~ForkReader() { close(); }

ForkReader::ForkReader(ForkReader&& o) noexcept { *this = std::move(o); }

ForkReader& ForkReader::operator=(ForkReader&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = std::exchange(o.fd_, -1);
        opened_ = std::exchange(o.opened_, false);
        start_ = o.start_;
        length_ = o.length_;
        pos_ = o.pos_;
        sidecarState_ = o.sidecarState_;
        sidecarStatus_ = o.sidecarStatus_;
    }
    return *this;
}

void ForkReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    opened_ = false;
    start_ = length_ = pos_ = 0;
    sidecarState_ = SidecarState::Absent;
    sidecarStatus_ = 0;
}

int ForkReader::open(const std::string& itemPath, Fork fork, std::optional<std::uint64_t> knownLength) {
    close();
    if (fork == Fork::Data) {
        fd_ = ::open(itemPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return statusForErrno(errno);
        if (knownLength) {
            length_ = *knownLength;
        } else {
            struct stat st;
            if (::fstat(fd_, &st) != 0) {
                const int s = statusForErrno(errno);
                close();
                return s;
            }
            length_ = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
        }
        opened_ = true;
        return kNoErr;
    }
    struct stat st;
    if (::stat(itemPath.c_str(), &st) != 0) return statusForErrno(errno);
    SidecarRead r;
    const int fd = openSidecar(sidecarPathFor(itemPath), r);
    sidecarState_ = r.state;
    sidecarStatus_ = r.status;
    opened_ = true;
    if (fd < 0) return kNoErr;  // no (readable) sidecar: an empty resource fork
    Source src;
    src.fd = fd;
    src.size = r.size;
    SidecarFields f;
    const int status = parseSidecar(src, f);
    if (status != kNoErr) {
        ::close(fd);
        sidecarState_ = SidecarState::Unreadable;
        sidecarStatus_ = status;
        return kNoErr;
    }
    sidecarState_ = SidecarState::Present;
    if (!f.resourceFork || f.resourceFork->length == 0) {
        ::close(fd);
        return kNoErr;
    }
    fd_ = fd;
    start_ = f.resourceFork->offset;
    length_ = f.resourceFork->length;
    return kNoErr;
}

long ForkReader::readAt(std::uint64_t offset, void* buffer, std::size_t n, int& status) {
    if (!opened_) {
        status = kParamErr;
        return -1;
    }
    if (offset >= length_) return 0;
    if (n > length_ - offset) n = static_cast<std::size_t>(length_ - offset);
    if (n > static_cast<std::size_t>(LONG_MAX)) n = static_cast<std::size_t>(LONG_MAX);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd_, out + got, n - got, static_cast<off_t>(start_ + offset + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            status = statusForErrno(errno);
            return -1;
        }
        if (r == 0) {
            status = kEofErr;  // the file ended before the fork's recorded length
            return -1;
        }
        got += static_cast<std::size_t>(r);
    }
    return static_cast<long>(got);
}

long ForkReader::read(void* buffer, std::size_t n, int& status) {
    const long r = readAt(pos_, buffer, n, status);
    if (r > 0) pos_ += static_cast<std::uint64_t>(r);
    return r;
}

int readWholeFork(const std::string& itemPath, Fork fork, std::vector<std::uint8_t>& out) {
    ForkReader reader;
    int status = reader.open(itemPath, fork);
    if (status != kNoErr) return status;
    const std::uint64_t length = reader.length();
    if (length > out.max_size() - out.size()) return kMemFullErr;
    const std::size_t base = out.size();
    try {
        out.resize(base + static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return kMemFullErr;
    }
    std::uint64_t done = 0;
    while (done < length) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, 1 << 20));
        const long n = reader.readAt(done, out.data() + base + done, chunk, status);
        if (n < 0) {
            out.resize(base);
            return status;
        }
        if (n == 0) break;
        done += static_cast<std::uint64_t>(n);
    }
    out.resize(base + static_cast<std::size_t>(done));
    return kNoErr;
}

// ------------------------------------------------------------------ writing

namespace {

struct Layout {
    std::array<std::uint8_t, 16> filler{};
    struct Part {
        std::uint32_t id;
        std::uint32_t oldOffset;  // in the old image (for ordering)
        bool isNew;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Part> parts;  // in descriptor order
};

}  // namespace

int editSidecarImage(std::span<const std::uint8_t> existing, bool exists, const SidecarEdit& edit,
                     std::vector<std::uint8_t>& out, bool& changed) {
    changed = false;
    SidecarFields f;
    if (exists) {
        const int status = parseSidecarImage(existing, f);
        if (status != kNoErr) return status;
    }
    const bool wantsInfo = edit.flagsMask != 0 || edit.type || edit.creator;
    const bool wantsFork = edit.resourceFork.has_value();
    if (!wantsInfo && !wantsFork) return kNoErr;

    // The new bytes of entry 9 and entry 2, and whether anything changes.
    const SidecarEntry* info = f.find(kEntryBrowserInfo);
    const SidecarEntry* fork = f.find(kEntryResourceFork);
    std::vector<std::uint8_t> newInfo;
    bool infoChanges = false;
    if (wantsInfo) {
        // Bytes that entry 9 lacks read as 0, so the comparison is with the old
        // bytes padded to 32.
        std::vector<std::uint8_t> oldInfo;
        if (info) oldInfo.assign(existing.begin() + info->offset, existing.begin() + info->offset + info->length);
        if (oldInfo.size() < kBrowserInfoSize) oldInfo.resize(kBrowserInfoSize, 0);
        newInfo = oldInfo;
        const std::uint16_t oldFlags = be16(newInfo.data() + 8);
        const std::uint16_t flags =
            static_cast<std::uint16_t>((oldFlags & ~edit.flagsMask) | (edit.flagsValue & edit.flagsMask));
        put16(newInfo.data() + 8, flags);
        if (edit.type) put32(newInfo.data(), *edit.type);
        if (edit.creator) put32(newInfo.data() + 4, *edit.creator);
        infoChanges = newInfo != oldInfo;
    }
    bool forkChanges = false;
    if (wantsFork) {
        const auto& bytes = *edit.resourceFork;
        if (fork)
            forkChanges = bytes.size() != fork->length ||
                          !std::equal(bytes.begin(), bytes.end(), existing.begin() + fork->offset);
        else
            forkChanges = !bytes.empty();  // no entry 2 reads as an empty fork
    }
    if (!infoChanges && !forkChanges) return kNoErr;
    if (wantsFork && edit.resourceFork->size() > UINT32_MAX - (1u << 20)) return kParamErr;

    // A sidecar that does not exist yet: entry 9, then entry 2 when needed.
    if (!exists) {
        std::vector<SidecarPart> parts;
        parts.push_back({kEntryBrowserInfo, infoChanges ? newInfo : std::vector<std::uint8_t>(kBrowserInfoSize, 0)});
        if (forkChanges) parts.push_back({kEntryResourceFork, *edit.resourceFork});
        out = buildSidecarImage(parts);
        changed = true;
        return kNoErr;
    }

    // In place: every changed entry keeps its length, or the one that changes its
    // length is the last in the file and nothing else reaches past its start. Then
    // every other byte, and every offset, stays where it was.
    auto lastInFile = [&](const SidecarEntry* e) {
        if (!e || std::uint64_t(e->offset) + e->length != existing.size()) return false;
        if (e->offset < kSidecarHeaderSize + kSidecarDescriptorSize * f.entries.size()) return false;
        for (const auto& o : f.entries)
            if (&o != e && std::uint64_t(o.offset) + o.length > e->offset) return false;
        return true;
    };
    const bool needsNewEntry = (infoChanges && !info) || (forkChanges && !fork);
    const bool infoResized = infoChanges && info && newInfo.size() != info->length;
    const bool forkResized = forkChanges && fork && edit.resourceFork->size() != fork->length;
    const std::size_t descriptorBase = kSidecarHeaderSize;
    auto descriptorIndex = [&](const SidecarEntry* e) { return static_cast<std::size_t>(e - f.entries.data()); };
    // A changed entry that shares bytes with another entry, or with the header,
    // cannot be patched without changing the other.
    auto apart = [&](const SidecarEntry* e) {
        if (!e) return true;
        if (e->offset < kSidecarHeaderSize + kSidecarDescriptorSize * f.entries.size()) return false;
        const std::uint64_t end = std::uint64_t(e->offset) + e->length;
        for (const auto& o : f.entries) {
            if (&o == e || o.length == 0) continue;
            if (o.offset < end && e->offset < std::uint64_t(o.offset) + o.length) return false;
        }
        return true;
    };
    // Patching rewrites length words in the descriptor table: no entry may share
    // those bytes either.
    const bool tableApart = std::all_of(f.entries.begin(), f.entries.end(), [&](const SidecarEntry& o) {
        return o.length == 0 || o.offset >= kSidecarHeaderSize + kSidecarDescriptorSize * f.entries.size();
    });
    const bool inPlace = tableApart && !needsNewEntry && !(infoResized && forkResized) && (!infoResized || lastInFile(info)) &&
                         (!forkResized || lastInFile(fork)) && (!infoChanges || apart(info)) &&
                         (!forkChanges || apart(fork));
    if (inPlace) {
        out.assign(existing.begin(), existing.end());
        auto replace = [&](const SidecarEntry* e, const std::vector<std::uint8_t>& bytes) {
            if (bytes.size() == e->length) {
                std::copy(bytes.begin(), bytes.end(), out.begin() + e->offset);
                return;
            }
            out.resize(e->offset);
            out.insert(out.end(), bytes.begin(), bytes.end());
            put32(out.data() + descriptorBase + kSidecarDescriptorSize * descriptorIndex(e) + 8,
                  static_cast<std::uint32_t>(bytes.size()));
        };
        if (infoChanges) replace(info, newInfo);
        if (forkChanges) replace(fork, *edit.resourceFork);
        changed = true;
        return kNoErr;
    }

    // Otherwise lay the entries out anew, one after the other in the order of
    // their old offsets, with new entries (9 before 2) at the end.
    Layout layout;
    layout.filler = f.filler;
    for (const auto& e : f.entries) {
        Layout::Part p{e.id, e.offset, false, {}};
        if (&e == info && infoChanges)
            p.bytes = newInfo;
        else if (&e == fork && forkChanges)
            p.bytes = *edit.resourceFork;
        else
            p.bytes.assign(existing.begin() + e.offset, existing.begin() + e.offset + e.length);
        layout.parts.push_back(std::move(p));
    }
    if (infoChanges && !info) layout.parts.push_back({kEntryBrowserInfo, UINT32_MAX, true, newInfo});
    if (forkChanges && !fork) layout.parts.push_back({kEntryResourceFork, UINT32_MAX, true, *edit.resourceFork});
    if (layout.parts.size() > 0xFFFF) return kParamErr;

    std::vector<std::size_t> order(layout.parts.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return layout.parts[a].oldOffset < layout.parts[b].oldOffset;
    });
    std::uint64_t offset = kSidecarHeaderSize + kSidecarDescriptorSize * layout.parts.size();
    std::vector<std::uint32_t> offsets(layout.parts.size());
    for (std::size_t i : order) {
        offsets[i] = static_cast<std::uint32_t>(offset);
        offset += layout.parts[i].bytes.size();
        if (offset > UINT32_MAX) return kParamErr;
    }
    out.clear();
    out.reserve(static_cast<std::size_t>(offset));
    append32(out, kSidecarMagic);
    append32(out, kSidecarVersion);
    out.insert(out.end(), layout.filler.begin(), layout.filler.end());
    append16(out, static_cast<std::uint16_t>(layout.parts.size()));
    for (std::size_t i = 0; i < layout.parts.size(); ++i) {
        append32(out, layout.parts[i].id);
        append32(out, offsets[i]);
        append32(out, static_cast<std::uint32_t>(layout.parts[i].bytes.size()));
    }
    for (std::size_t i : order) out.insert(out.end(), layout.parts[i].bytes.begin(), layout.parts[i].bytes.end());
    changed = true;
    return kNoErr;
}

int editSidecar(const std::string& itemPath, const SidecarEdit& edit, bool* changed) {
    if (changed) *changed = false;
    struct stat st;
    if (::lstat(itemPath.c_str(), &st) != 0) return statusForErrno(errno);
    const std::string path = sidecarPathFor(itemPath);
    if (path.empty()) return kParamErr;
    SidecarRead r;
    const int fd = openSidecar(path, r);
    if (fd < 0 && r.state == SidecarState::Unreadable) return r.status == kParamErr ? kIoErr : r.status;
    std::vector<std::uint8_t> existing;
    if (fd >= 0) {
        const int status = readAllFd(fd, existing);
        ::close(fd);
        if (status != kNoErr) return status;
    }
    std::vector<std::uint8_t> image;
    bool did = false;
    const int status = editSidecarImage(existing, fd >= 0, edit, image, did);
    if (status != kNoErr || !did) return status;
    const int written =
        atomicWriteFile(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    if (written == kNoErr && changed) *changed = true;
    return written;
}

int readFlags(const std::string& itemPath, std::uint16_t& flags) {
    flags = 0;
    struct stat st;
    if (::lstat(itemPath.c_str(), &st) != 0) return statusForErrno(errno);
    const SidecarRead r = readSidecar(itemPath);
    if (r.state == SidecarState::Unreadable) return r.status == kParamErr ? kIoErr : r.status;
    if (r.state == SidecarState::Present && r.fields.flags) flags = *r.fields.flags;
    return kNoErr;
}

int writeFlags(const std::string& itemPath, std::uint16_t flags, bool* changed) {
    SidecarEdit e;
    e.flagsMask = 0xFFFF;
    e.flagsValue = flags;
    return editSidecar(itemPath, e, changed);
}

int setTypeAndCreator(const std::string& itemPath, FourCharCode type, FourCharCode creator) {
    SidecarEdit e;
    e.type = type;
    e.creator = creator;
    return editSidecar(itemPath, e);
}

int writeResourceFork(const std::string& itemPath, std::span<const std::uint8_t> image) {
    SidecarEdit e;
    e.resourceFork = std::vector<std::uint8_t>(image.begin(), image.end());
    return editSidecar(itemPath, e);
}

}  // namespace lcv::platform

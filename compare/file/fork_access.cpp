#include "compare/file/fork_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/path.h"
#include "compare/file/interim_platform.h"

namespace lcv {

int statusFromErrno(int err) { return platform::statusFromErrno(err); }

std::string fourCharText(std::uint32_t code) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) out += platform::macRomanToUtf8(static_cast<std::uint8_t>(code >> shift));
    return out;
}

ForkInfo readForkInfo(const std::string& path) {
    ForkInfo info;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        info.status = statusFromErrno(errno);
        return info;
    }
    info.isDirectory = S_ISDIR(st.st_mode);
    info.dataLength = info.isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
    info.modificationDate = static_cast<double>(st.st_mtim.tv_sec);
    const platform::SidecarInfo sc = platform::readSidecarInfo(path);
    if (sc.malformed) {
        info.sidecarError = true;
        info.sidecarStatus = sc.status;
        return info;
    }
    info.resourceLength = sc.resourceForkLength;
    info.type = sc.type;
    info.creator = sc.creator;
    info.flags = sc.flags;
    info.script = sc.scriptCode;
    info.attributes = sc.catalogAttributes;
    info.creationDate = sc.creationDate;
    return info;
}

ForkReader::~ForkReader() {
    if (fd_ >= 0) ::close(fd_);
}

int ForkReader::open(const std::string& path, bool resourceFork, std::optional<std::uint64_t> knownLength) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    pos_ = 0;
    if (!resourceFork) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return statusFromErrno(errno);
        start_ = 0;
        if (knownLength) {
            length_ = *knownLength;
            return 0;
        }
        struct stat st;
        if (::fstat(fd_, &st) != 0) return statusFromErrno(errno);
        length_ = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }
    if (!pathExists(path)) return -43;
    const platform::ForkRange range = platform::resourceForkRange(path);
    if (range.status != 0) return range.status;
    start_ = range.offset;
    length_ = range.length;
    if (length_ == 0) return 0;
    fd_ = ::open(range.sidecarPath.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ < 0 ? statusFromErrno(errno) : 0;
}

long ForkReader::read(std::uint8_t* buffer, std::size_t n, int& status) {
    if (pos_ >= length_) return 0;
    if (n > length_ - pos_) n = static_cast<std::size_t>(length_ - pos_);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd_, buffer + got, n - got, static_cast<off_t>(start_ + pos_ + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            status = statusFromErrno(errno);
            return -1;
        }
        if (r == 0) break;  // the file ended before the fork's recorded length
        got += static_cast<std::size_t>(r);
    }
    if (got < n) {
        status = -39;
        return -1;
    }
    pos_ += got;
    return static_cast<long>(got);
}

}  // namespace lcv

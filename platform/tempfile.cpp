#include "platform/tempfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/status.h"

namespace lcv::platform {

namespace {

int writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return statusForErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return kNoErr;
}

mode_t currentUmask() {
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

}  // namespace

int createTempFile(const std::string& path, int& status) {
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), flags, 0600);
        if (fd >= 0) {
            // The mode is exactly 0600 whatever the umask.
            ::fchmod(fd, 0600);
            status = kNoErr;
            return fd;
        }
        if (errno != EEXIST || attempt > 0) break;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) continue;  // gone meanwhile: try again
            break;
        }
        if (st.st_uid != ::geteuid() || S_ISDIR(st.st_mode)) {
            status = kPermErr;
            return -1;
        }
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) break;
    }
    status = errno == EEXIST ? kPermErr : statusForErrno(errno);
    return -1;
}

int writeTempFile(const std::string& path, std::string_view bytes) {
    int status = kNoErr;
    const int fd = createTempFile(path, status);
    if (fd < 0) return status;
    status = writeAll(fd, bytes);
    if (::close(fd) != 0 && status == kNoErr) status = statusForErrno(errno);
    if (status != kNoErr) ::unlink(path.c_str());
    return status;
}

int createUniqueFile(const std::string& dir, const std::string& prefix, std::string& path, int& status) {
    std::string tmpl = (dir.empty() ? std::string(".") : dir);
    if (tmpl.back() != '/') tmpl += '/';
    tmpl += prefix + "XXXXXX";
    // mkostemp creates exclusively (so never through a link) with mode 0600.
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        status = statusForErrno(errno);
        return -1;
    }
    path = tmpl;
    status = kNoErr;
    return fd;
}

int atomicWriteFile(const std::string& path, std::string_view bytes, const AtomicWriteOptions& options) {
    if (path.empty() || path.back() == '/') return kParamErr;
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name == "." || name == "..") return kParamErr;
    // A name of the maximum length leaves no room for the temporary suffix.
    if (name.size() > 200) name.resize(200);

    struct stat old;
    bool replacing = false;
    if (::lstat(path.c_str(), &old) == 0)
        replacing = S_ISREG(old.st_mode);
    else if (errno != ENOENT)
        return statusForErrno(errno);

    std::string tmp;
    int status = kNoErr;
    const int fd = createUniqueFile(dir, ".lcvtmp-" + name + ".", tmp, status);
    if (fd < 0) return status;
    status = writeAll(fd, bytes);
    if (status == kNoErr && options.fsync && ::fsync(fd) != 0) status = statusForErrno(errno);
    if (status == kNoErr) {
        const mode_t mode = options.mode ? *options.mode : replacing ? (old.st_mode & 07777) : (0666 & ~currentUmask());
        if (::fchmod(fd, mode) != 0) status = statusForErrno(errno);
    }
    if (status == kNoErr && replacing) {
        struct stat now;
        if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
            // Best effort: only a privileged process can give the file away.
            if (::fchown(fd, old.st_uid, old.st_gid) == 0 && !options.mode) ::fchmod(fd, old.st_mode & 07777);
        }
    }
    if (::close(fd) != 0 && status == kNoErr) status = statusForErrno(errno);
    if (status == kNoErr && ::rename(tmp.c_str(), path.c_str()) != 0) status = statusForErrno(errno);
    if (status != kNoErr) ::unlink(tmp.c_str());
    return status;
}

}  // namespace lcv::platform

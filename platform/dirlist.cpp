#include "platform/dirlist.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <unordered_set>

#include "platform/sidecar.h"
#include "platform/status.h"

namespace lcv::platform {

namespace {

struct Raw {
    std::string name;
    unsigned char type;
};

// Reads a directory's names with their listing types, without "." and "..".
int readRaw(const std::string& dir, std::vector<Raw>& out, int& err) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
        err = errno;
        return statusForErrno(errno);
    }
    errno = 0;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") out.push_back({name, e->d_type});
        errno = 0;
    }
    err = errno;
    ::closedir(d);
    return err ? statusForErrno(err) : kNoErr;
}

// Drops the sidecars whose companions are listed.
void dropSidecars(std::vector<Raw>& raw) {
    std::unordered_set<std::string> names;
    names.reserve(raw.size());
    for (const auto& r : raw) names.insert(r.name);
    raw.erase(std::remove_if(raw.begin(), raw.end(),
                             [&](const Raw& r) {
                                 return isSidecarName(r.name) && names.count(sidecarCompanionName(r.name)) != 0;
                             }),
              raw.end());
}

void sortRaw(std::vector<Raw>& raw, const std::function<bool(const std::string&, const std::string&)>& less) {
    if (less)
        std::sort(raw.begin(), raw.end(), [&](const Raw& a, const Raw& b) { return less(a.name, b.name); });
    else
        std::sort(raw.begin(), raw.end(), [](const Raw& a, const Raw& b) { return a.name < b.name; });
}

// Classifies an entry; false when it vanished (err 0) or cannot be examined.
bool classify(const std::string& path, unsigned char type, EntryKind& kind, bool& isLink, int& err) {
    err = 0;
    isLink = false;
    if (type == DT_REG) {
        kind = EntryKind::File;
        return true;
    }
    if (type == DT_DIR) {
        kind = EntryKind::Directory;
        return true;
    }
    struct stat lst;
    if (::lstat(path.c_str(), &lst) != 0) {
        if (errno != ENOENT) err = errno;
        return false;
    }
    isLink = S_ISLNK(lst.st_mode);
    struct stat st = lst;
    if (isLink && ::stat(path.c_str(), &st) != 0) {
        kind = EntryKind::Dangling;
        return true;
    }
    kind = S_ISDIR(st.st_mode) ? EntryKind::Directory : S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
    return true;
}

std::string join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

void walk(const std::string& root, const std::string& relative, const std::function<void(const WalkEntry&)>& visit,
          const WalkOptions& options) {
    std::vector<Raw> raw;
    int err = 0;
    const std::string dir = relative.empty() ? root : join(root, relative);
    if (readRaw(dir, raw, err) != kNoErr && raw.empty()) {
        if (err != ENOENT && options.onError) options.onError(relative, err);
        return;
    }
    dropSidecars(raw);
    sortRaw(raw, options.less);
    for (const auto& r : raw) {
        WalkEntry e;
        e.relativePath = relative.empty() ? r.name : relative + "/" + r.name;
        if (!classify(join(root, e.relativePath), r.type, e.kind, e.isSymlink, err)) {
            if (err && options.onError) options.onError(e.relativePath, err);
            continue;
        }
        visit(e);
        if (e.kind == EntryKind::Directory && !e.isSymlink) walk(root, e.relativePath, visit, options);
    }
}

// A directory's listing without sidecars, in the order asked for.
int readListing(const std::string& dir, std::vector<Raw>& raw, ListOrder order) {
    int err = 0;
    const int status = readRaw(dir, raw, err);
    if (status != kNoErr && raw.empty()) return status;
    dropSidecars(raw);
    if (order == ListOrder::Bytewise) sortRaw(raw, nullptr);
    return kNoErr;
}

}  // namespace

int listDirectory(const std::string& dir, std::vector<std::string>& names, ListOrder order) {
    std::vector<Raw> raw;
    if (const int status = readListing(dir, raw, order); status != kNoErr) return status;
    names.clear();
    for (auto& r : raw) names.push_back(std::move(r.name));
    return kNoErr;
}

int listDirectoryEntries(const std::string& dir, std::vector<DirEntry>& entries, ListOrder order,
                         const std::function<void(const std::string&, int)>& onError) {
    std::vector<Raw> raw;
    if (const int status = readListing(dir, raw, order); status != kNoErr) return status;
    entries.clear();
    int err = 0;
    for (const auto& r : raw) {
        DirEntry e;
        e.name = r.name;
        if (!classify(join(dir, r.name), r.type, e.kind, e.isSymlink, err)) {
            if (err && onError) onError(r.name, err);
            continue;
        }
        entries.push_back(std::move(e));
    }
    return kNoErr;
}

int walkTree(const std::string& root, const std::function<void(const WalkEntry&)>& visit, const WalkOptions& options) {
    struct stat st;
    if (::stat(root.c_str(), &st) != 0) return statusForErrno(errno);
    if (!S_ISDIR(st.st_mode)) return kParamErr;
    walk(root, "", visit, options);
    return kNoErr;
}

std::vector<WalkEntry> listTree(const std::string& root, const WalkOptions& options, int* status) {
    std::vector<WalkEntry> out;
    const int s = walkTree(root, [&](const WalkEntry& e) { out.push_back(e); }, options);
    if (status) *status = s;
    return out;
}

}  // namespace lcv::platform

#include "core/path.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"

namespace lcv {

std::string homeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string expandTilde(std::string_view path) {
    if (path.empty() || path[0] != '~') return std::string(path);
    if (path.size() == 1 || path[1] == '/') return homeDirectory() + std::string(path.substr(1));
    // "~user/..."
    const std::size_t slash = path.find('/');
    const std::string user(path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1));
    if (const passwd* pw = getpwnam(user.c_str()); pw && pw->pw_dir) {
        return std::string(pw->pw_dir) + (slash == std::string_view::npos ? "" : std::string(path.substr(slash)));
    }
    return std::string(path);
}

std::string standardizePath(std::string_view in) {
    if (in.empty()) return {};
    const std::string path = expandTilde(in);
    const bool absolute = path[0] == '/';
    const bool dotLead = !absolute && startsWith(path, "./");
    std::vector<std::string> out;
    for (auto& comp : splitString(path, '/')) {
        if (comp.empty() || comp == ".") continue;
        if (comp == ".." && absolute) {
            if (!out.empty()) out.pop_back();
            continue;
        }
        out.push_back(comp);
    }
    std::string joined = joinStrings(out, "/");
    if (absolute) return "/" + joined;
    if (dotLead) return joined.empty() ? "." : "./" + joined;
    return joined.empty() ? "." : joined;
}

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> out;
    for (auto& c : splitString(path, '/'))
        if (!c.empty()) out.push_back(c);
    return out;
}

std::string lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t pos = path.rfind('/');
    if (pos == std::string_view::npos || path.size() == 1) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string parentDirectory(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t pos = path.rfind('/');
    if (pos == std::string_view::npos) return {};
    if (pos == 0) return "/";
    return standardizePath(path.substr(0, pos));
}

std::string pathExtension(std::string_view path) {
    const std::string last = lastPathComponent(path);
    const std::size_t dot = last.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    return last.substr(dot + 1);
}

std::string deletingPathExtension(std::string_view path) {
    const std::string last = lastPathComponent(path);
    const std::size_t dot = last.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::string(path);
    return std::string(path.substr(0, path.size() - (last.size() - dot)));
}

std::string appendPathComponent(std::string_view dir, std::string_view name) {
    if (name.empty()) return standardizePath(dir);
    if (dir.empty()) return standardizePath(name);
    std::string joined(dir);
    if (joined.back() != '/') joined += '/';
    joined += name;
    return standardizePath(joined);
}

std::string temporaryDirectory() {
    if (const char* t = std::getenv("TMPDIR"); t && *t) {
        struct stat st;
        if (::stat(t, &st) == 0 && S_ISDIR(st.st_mode)) return standardizePath(t);
    }
    return "/tmp";
}

std::string temporaryPath(std::string_view tag) {
    return sformat("%s/lcvout_%d_%.*s", temporaryDirectory().c_str(), static_cast<int>(getpid()),
                   static_cast<int>(tag.size()), tag.data());
}

std::string temporaryPath() {
    static unsigned counter = 0;
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return sformat("%s/lcvout_%d-%ld%06ld-%u", temporaryDirectory().c_str(), static_cast<int>(getpid()),
                   static_cast<long>(tv.tv_sec), static_cast<long>(tv.tv_usec), ++counter);
}

std::string physicalAbsolutePath(std::string_view path) {
    char buf[PATH_MAX];
    const std::string p = expandTilde(path);
    if (::realpath(p.c_str(), buf)) return buf;
    if (::getcwd(buf, sizeof buf)) return buf;
    return standardizePath(p);
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}
bool pathExistsNoFollow(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}
bool isDirectoryPath(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool isRegularFilePath(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void createParentDirectory(const std::string& path) {
    const std::string parent = parentDirectory(path);
    if (parent.empty() || isDirectoryPath(parent)) return;
    std::string built = parent[0] == '/' ? "" : ".";
    for (const auto& comp : pathComponents(parent)) {
        built += "/" + comp;
        if (isDirectoryPath(built)) continue;
        if (::mkdir(built.c_str(), 0777) != 0) {
            std::fprintf(stderr, "### Error: Could not create %s.\n", built.c_str());
            return;
        }
    }
}

}  // namespace lcv

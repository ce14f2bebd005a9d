#include "tools/label/label_common.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "core/path.h"
#include "core/text.h"
#include "platform/dirlist.h"

namespace lcv::label {

namespace {

struct Colour {
    const char* name;
    int index;
    int flags;
};

const Colour kColours[] = {
    {"None", 0, 0},    {"Orange", 1, 14}, {"Red", 2, 12},   {"Yellow", 3, 10},
    {"Blue", 4, 8},    {"Purple", 5, 6},  {"Green", 6, 4},  {"Gray", 7, 2},
};

std::string currentDirectory() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

}  // namespace

std::optional<int> lookUpColour(const std::string& key, bool scriptMode) {
    for (const auto& c : kColours) {
        if (key == c.name || key == std::to_string(c.index)) return scriptMode ? c.index : c.flags;
    }
    return std::nullopt;
}

const char* labelName(std::uint16_t flags) {
    const int v = flags & kLabelMask;
    for (const auto& c : kColours)
        if (c.flags == v) return c.name;
    return "Unknown";
}

std::string itemPath(const std::string& argument) {
    std::string p = argument;
    if (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty() || p[0] == '/') return p;
    const std::size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : p.substr(0, slash);
    const std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
    std::string resolved;
    if (char* real = ::realpath(dir.empty() ? "/" : dir.c_str(), nullptr)) {
        struct stat st;
        if (::stat(real, &st) == 0 && S_ISDIR(st.st_mode)) resolved = real;
        std::free(real);
    }
    if (resolved.empty()) resolved = currentDirectory();
    return resolved == "/" ? "/" + last : resolved + "/" + last;
}

bool itemExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> itemsBelow(const std::string& directory) {
    platform::WalkOptions options;
    options.less = [](const std::string& a, const std::string& b) { return codeUnitLess(a, b); };
    std::vector<std::string> out;
    platform::walkTree(
        directory, [&](const platform::WalkEntry& e) { out.push_back(standardizePath(directory + "/" + e.relativePath)); },
        options);
    return out;
}

}  // namespace lcv::label

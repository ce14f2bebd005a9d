// setDeskviewLabel: gives one colour label to a list of items, or applies a label
// table.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/plist_io.h"
#include "core/value.h"
#include "platform/sidecar.h"
#include "platform/status.h"
#include "tools/label/label_common.h"

namespace {

using namespace lcv;

const char* const kUsage =
    "usage: setDeskviewLabel [options] label file_or_directory... or setDeskviewLabel [options] -i input_plist_file\n"
    "file_or_directory: Specify a path to target file/directory. You may specify more than one files/directories.\n"
    "label: Specify Deskview label color. (None, Orange, Red, Yellow, Blue, Purple, Green or Gray)\n"
    "-i input_file_path, Specify a plist file path and the value is the color label.\n"
    "Options:\n"
    "-f, Try to set write attribute to target before setting a label, if target is not writable.\n"
    "-n, No update mode. Color bits are set but color label won't show up until a user selects the item or "
    "Restart.\n"
    "-r, Set a label to all files in the specified directory recursively.\n"
    "-h, Print this usage message.\n"
    "-d, Print information for debugging.\n"
    "examples:\n"
    "\tsetDeskviewLabel Red Desktop/file1\n"
    "\tsetDeskviewLabel Red Desktop/file1 Desktop/file2\n"
    "\tsetDeskviewLabel Green Documents\n"
    "\tsetDeskviewLabel -r -f Green Music\n"
    "\tsetDeskviewLabel -f -i Desktop/label.plist\n"
    "version = 1.3\n";

struct Options {
    bool force = false;
    bool debug = false;
    bool noUpdate = false;
    bool scriptMode = false;
    bool recursive = false;
    std::optional<std::string> input;
    std::vector<std::string> positional;
};

void error(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void debugLine(const std::string& text) { std::fprintf(stdout, "%s\n", text.c_str()); }

// The file browser's scripting service: there is none on this host.
bool runScript(const std::string& /*script*/) { return false; }

// The refresh request of the file browser (an update event carrying a minimal
// alias of the item). Nothing on this host shows labels from a cache that would
// need it, so it always succeeds.
int refreshItem(const std::string& /*path*/) { return platform::kNoErr; }

// Makes an item writable for owner and group without following a link.
bool makeWritable(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return false;
    const mode_t mode = (st.st_mode & 07777) | 0220;
    if (::fchmodat(AT_FDCWD, path.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0) return true;
    // Without /proc the C library cannot change a file's mode this way; a plain
    // chmod is the same for anything that is not a link.
    if ((errno == ENOTSUP || errno == EOPNOTSUPP) && !S_ISLNK(st.st_mode)) return ::chmod(path.c_str(), mode) == 0;
    return false;
}

std::string escapeForScript(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// Sets the label value v (a flag value, or a label index in script mode) on one
// item. Returns true on success.
bool setLabel(const std::string& path, int v, const Options& o) {
    if (!label::itemExists(path)) {
        error("### setDeskviewLabel errror: Specified file " + path + " doesn't exist.");
        return false;
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        if (!o.force) {
            error("### setDeskviewLabel errror: Specified file " + path + " is not writable.");
            return false;
        }
        if (!makeWritable(path)) {
            error("### setDeskviewLabel errror: Could not make specified file " + path + " writable.");
            return false;
        }
    }
    if (o.scriptMode) {
        const std::string script = "tell application \"Deskview\"\n set targetFile to alias Posix file \"" +
                                   escapeForScript(path) + "\"\n set label index of targetFile to " +
                                   std::to_string(v) + "\n end tell\n";
        if (o.debug) std::fprintf(stdout, "### setDeskviewLabel debug: ZentelScript source.\n%s\n", script.c_str());
        if (!runScript(script)) {
            error("### setDeskviewLabel errror: Could not set label to specified file " + path);
            if (o.debug)
                std::fprintf(stdout, "### setDeskviewLabel debug: Please check the following script.\n%s\n",
                             script.c_str());
            return false;
        }
        return true;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        const int status = platform::statusForErrno(errno);
        error("### setDeskviewLabel errror: GetFSSpecFromPath error = " + std::to_string(status) + ". (" + path + ")");
        return false;
    }
    const bool directory = S_ISDIR(st.st_mode);
    std::uint16_t flags = 0;
    int status = platform::readFlags(path, flags);
    if (status != platform::kNoErr) {
        error(std::string("### setDeskviewLabel errror: ") + (directory ? "PBGetCatInfoSync" : "FSpGetFInfo") +
              " error = " + std::to_string(status) + ". (" + path + ")");
        return false;
    }
    flags = static_cast<std::uint16_t>((flags & 0xFFF1) | v);
    status = platform::writeFlags(path, flags);
    if (status != platform::kNoErr) {
        error(std::string("### setDeskviewLabel errror: ") + (directory ? "PBSetCatInfoAsync" : "FSpSetFInfo") +
              " error = " + std::to_string(status) + ". (" + path + ")");
        return false;
    }
    if (!o.noUpdate) {
        const int refreshed = refreshItem(path);
        if (refreshed != platform::kNoErr)
            error("### setDeskviewLabel errror: SendDeskviewZentelEvent error = " + std::to_string(refreshed) +
                  ". Color label doesn't show up immediately. (" + path + ")");
    }
    return true;
}

bool labelOne(const std::string& path, int v, const Options& o) {
    if (o.debug) debugLine("### setDeskviewLabel debug: Setting label to " + path + ".");
    return setLabel(path, v, o);
}

int runTable(Options& o) {
    o.scriptMode = false;
    o.recursive = false;
    const std::string& file = *o.input;
    if (!label::itemExists(file)) {
        error("### getDeskviewLabel errror: Specified input plist file " + file + " doesn't exist.");
        return 1;
    }
    Value root;
    std::string why;
    if (!readPlistFile(file, root, why) || !root.isDict()) {
        error("### getDeskviewLabel errror: Can't read the input plist file " + file + ".");
        return 1;
    }
    bool ok = true;
    for (const auto& [key, value] : *root.dict()) {
        int v = 0;
        if (value.isString()) {
            if (auto found = label::lookUpColour(value.str(), false)) v = *found;
        }
        ok = labelOne(key, v, o) && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Debug lines and listings keep their place among the messages on standard
    // error when both go to one file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "-f") {
            o.force = true;
        } else if (a == "-d") {
            o.debug = true;
        } else if (a == "-n") {
            o.noUpdate = true;
        } else if (a == "-a") {
            o.scriptMode = true;
        } else if (a == "-r") {
            o.recursive = true;
        } else if (a == "-i") {
            if (i + 1 >= argc) {
                error("### setDeskviewLabel Error: You must specify a .plist file path after -i.");
                return 1;
            }
            o.input = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            error("### setDeskviewLabel warning: The option you specified (" + a +
                  ") is not recognizable. Ignore it.");
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.input) return runTable(o);

    if (o.positional.size() < 2) {
        error("### setDeskviewLabel errror: You must specify both label and file.");
        std::fputs(kUsage, stderr);
        return 1;
    }
    const auto v = label::lookUpColour(o.positional[0], o.scriptMode);
    if (!v) {
        error("### setDeskviewLabel errror: Specified color " + o.positional[0] + " is not valid.");
        return 1;
    }
    bool ok = true;
    for (std::size_t k = 1; k < o.positional.size(); ++k) {
        const std::string path = label::itemPath(o.positional[k]);
        if (!label::itemExists(path)) {
            error("### setDeskviewLabel errror: Specified file " + path + " doesn't exist.");
            ok = false;
            continue;
        }
        ok = labelOne(path, *v, o) && ok;
        if (o.recursive && label::isDirectory(path))
            for (const std::string& below : label::itemsBelow(path)) ok = labelOne(below, *v, o) && ok;
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}

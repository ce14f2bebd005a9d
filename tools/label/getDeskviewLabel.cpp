// getDeskviewLabel: lists the colour labels of items as a Perl hash and,
// optionally, as a label table.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/plist_io.h"
#include "core/value.h"
#include "platform/sidecar.h"
#include "platform/status.h"
#include "platform/tempfile.h"
#include "tools/label/label_common.h"

namespace {

using namespace lcv;

const char* const kUsage =
    "usage: getDeskviewLabel [options] file_or_directory...\n"
    "file_or_directory: Specify a path to target file/directory. You may specify more than one files/directories.\n"
    "Options:\n"
    "-r, Get a label for all files in the specified directory recursively. \n"
    "-o output_file_path, Save the result in a .plist file whose key is a file path and the value is the color "
    "label.\n"
    "-h, Print this usage message.\n"
    "getDeskviewLabel returns a Perl hash whose key is a file path and value is a label.\n"
    "  %colorLabels = (\n"
    "    '/Users/zorvik/file1' => 'Orange',\n"
    "    '/Users/zorvik/file2' => 'Red',\n"
    "  );\n"
    "examples:\n"
    "\tgetDeskviewLabel Desktop/file1\n"
    "\tgetDeskviewLabel Desktop/file1 Desktop/file2\n"
    "\tgetDeskviewLabel Documents\n"
    "\tgetDeskviewLabel -r Music\n"
    "\tgetDeskviewLabel -r Movies -o Desktop/label.plist\n"
    "version = 1.0\n";

void error(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

// A path inside a Perl single-quoted string: every apostrophe closes the quote,
// appends a double-quoted apostrophe and reopens ('."'".').
std::string perlQuoted(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\'')
            out += "'.\"'\".'";
        else
            out += c;
    }
    return out;
}

// Reads the label of one item into the result; false on a failure.
bool readLabel(const std::string& path, Dict& result) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        error("### getDeskviewLabel errror: GetFSSpecFromPath error = " +
              std::to_string(platform::statusForErrno(errno)) + ". (" + path + ")");
        return false;
    }
    std::uint16_t flags = 0;
    const int status = platform::readFlags(path, flags);
    if (status != platform::kNoErr) {
        error(std::string("### getDeskviewLabel errror: ") + (S_ISDIR(st.st_mode) ? "PBGetCatInfoSync" : "FSpGetFInfo") +
              " error = " + std::to_string(status) + ". (" + path + ")");
        return false;
    }
    result.set(path, label::labelName(flags));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Debug lines and listings keep their place among the messages on standard
    // error when both go to one file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bool recursive = false;
    std::optional<std::string> output;
    std::vector<std::string> items;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "-r") {
            recursive = true;
        } else if (a == "-o") {
            if (i + 1 >= argc) {
                error("### getDeskviewLabel Error: You must specify a .plist file path after -o.");
                return 1;
            }
            output = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            error("### getDeskviewLabel warning: The option you specified (" + a +
                  ") is not recognizable. Ignore it.");
        } else {
            items.push_back(a);
        }
    }
    if (items.empty()) {
        error("### getDeskviewLabel errror: You must specify at least one file or directory.");
        std::fputs(kUsage, stderr);
        return 1;
    }

    bool ok = true;
    const DictRef result = Dict::make();
    for (const std::string& argument : items) {
        const std::string path = label::itemPath(argument);
        if (!label::itemExists(path)) {
            error("### getDeskviewLabel errror: Specified file " + path + " doesn't exist.");
            ok = false;
            continue;
        }
        ok = readLabel(path, *result) && ok;
        if (recursive && label::isDirectory(path))
            for (const std::string& below : label::itemsBelow(path)) ok = readLabel(below, *result) && ok;
    }

    std::string text = "%colorLabels = (\n";
    for (const auto& [path, name] : *result) text += "\t'" + perlQuoted(path) + "' => '" + name.str() + "',\n";
    text += ");\n";
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);

    if (output) {
        std::string xml, why;
        if (!plistToXml(Value(result), xml, why) || platform::atomicWriteFile(*output, xml) != platform::kNoErr) {
            error("### getDeskviewLabel errror: Failed to write the plist file:" + *output + ".");
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

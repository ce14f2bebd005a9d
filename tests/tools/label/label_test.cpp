// End-to-end tests of setDeskviewLabel and getDeskviewLabel: the real programs on
// trees with sidecar files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "e2e_util.h"
#include "fixtures.h"
#include "platform/sidecar.h"

using lcvtest::lines;
using lcvtest::runProgram;
using lcvtest::TempDir;

namespace {

const std::string kSetUsage =
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

const std::string kGetUsage =
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

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The flags word as the platform layer reads it (0 without a sidecar).
int flagsOf(const std::string& path) {
    std::uint16_t flags = 0;
    EXPECT_EQ(lcv::platform::readFlags(path, flags), 0) << path;
    return flags;
}

std::string real(const std::string& path) {
    char* r = realpath(path.c_str(), nullptr);
    std::string s = r ? r : path;
    free(r);
    return s;
}

// The hash that /usr/bin/perl makes of the getter's text: "key\tvalue" lines in
// sorted order of the keys.
std::vector<std::string> perlHash(const std::string& text) {
    TempDir t;
    t.write("hash.pl", text + "print \"$_\\t$colorLabels{$_}\\n\" for sort keys %colorLabels;\n");
    const auto r = runProgram("/usr/bin/perl", {"hash.pl"}, "", t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return lines(r.out);
}

std::string sidecarWithFlags(std::uint16_t flags) {
    return lcvtest::sidecar({{9, lcvtest::browserInfo("TEXT", "ttxt", flags, 7) + "-extra bytes of another tool"},
                             {0x1234, "unknown entry"},
                             {2, "resource fork bytes"}});
}

// Runs a program as the unprivileged user "nobody" when the tests run as root,
// so that permissions apply; nothing when that is impossible here.
struct Unprivileged {
    bool needed = geteuid() == 0;
    bool usable = false;
    explicit Unprivileged(const TempDir& t) {
        if (!needed) {
            usable = true;
            return;
        }
        if (access("/usr/bin/setpriv", X_OK) != 0) return;
        if (chown(t.path().c_str(), 65534, 65534) != 0) return;
        const auto r = run("getDeskviewLabel", {"-h"}, t.path());
        usable = r.status == 0;
    }
    lcvtest::RunResult run(const std::string& program, const std::vector<std::string>& args,
                           const std::string& cwd) const {
        if (!needed) return runProgram(program, args, "", cwd);
        std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups",
                                        std::string(LCV_BIN_DIR) + "/" + program};
        all.insert(all.end(), args.begin(), args.end());
        return runProgram("/usr/bin/setpriv", all, "", cwd);
    }
    void own(const std::string& path) const {
        if (needed) {
            EXPECT_EQ(lchown(path.c_str(), 65534, 65534), 0) << path;
        }
    }
};

}  // namespace

TEST(LabelTools, UsageTexts) {
    auto r = runProgram("setDeskviewLabel", {"-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSetUsage);
    EXPECT_EQ(r.err, "");
    r = runProgram("getDeskviewLabel", {"-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kGetUsage);
    // -h ends the run at once, after what was read before it.
    r = runProgram("setDeskviewLabel", {"-x", "-h", "-i"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSetUsage);
    EXPECT_EQ(r.err, "### setDeskviewLabel warning: The option you specified (-x) is not recognizable. Ignore it.\n");
}

TEST(LabelTools, ArgumentErrors) {
    TempDir t;
    t.write("f", "");
    auto r = runProgram("setDeskviewLabel", {"Red"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: You must specify both label and file.\n" + kSetUsage);
    r = runProgram("setDeskviewLabel", {"Red", "f", "-i"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel Error: You must specify a .plist file path after -i.\n");
    r = runProgram("getDeskviewLabel", {"-r"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: You must specify at least one file or directory.\n" + kGetUsage);
    r = runProgram("getDeskviewLabel", {"f", "-o"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "### getDeskviewLabel Error: You must specify a .plist file path after -o.\n");
    // Unknown options are ignored with a warning, wherever they stand.
    r = runProgram("setDeskviewLabel", {"-z", "Red", "--", "f"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "### setDeskviewLabel warning: The option you specified (-z) is not recognizable. Ignore it.\n"
              "### setDeskviewLabel warning: The option you specified (--) is not recognizable. Ignore it.\n");
    EXPECT_EQ(flagsOf(t / "f"), 12);
    r = runProgram("getDeskviewLabel", {"f", "-q"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "### getDeskviewLabel warning: The option you specified (-q) is not recognizable. Ignore it.\n");
}

TEST(LabelTools, LabelArguments) {
    struct Case {
        std::string argument;
        int value;  // -1: invalid
    };
    const Case cases[] = {
        {"None", 0},   {"Orange", 14}, {"Red", 12}, {"Yellow", 10}, {"Blue", 8},    {"Purple", 6},
        {"Green", 4},  {"Gray", 2},    {"0", 0},    {"1", 14},      {"2", 12},      {"3", 10},
        {"4", 8},      {"5", 6},       {"6", 4},    {"7", 2},       {"red", -1},    {"RED", -1},
        {"8", -1},     {"Grey", -1},   {"", -1},    {" Red", -1},   {"02", -1},
    };
    const char* names[16] = {"None", "?", "Gray", "?", "Green", "?", "Purple", "?",
                             "Blue", "?", "Yellow", "?", "Red", "?", "Orange", "?"};
    for (const auto& c : cases) {
        TempDir t;
        t.write("f", "data");
        const std::string before = sidecarWithFlags(0x4103);  // other bits and an old label (Gray)
        t.write("._f", before);
        auto r = runProgram("setDeskviewLabel", {c.argument, "f"}, "", t.path());
        if (c.value < 0) {
            EXPECT_EQ(r.status, 1) << c.argument;
            EXPECT_EQ(r.err, "### setDeskviewLabel errror: Specified color " + c.argument + " is not valid.\n");
            EXPECT_EQ(readFile(t / "._f"), before) << c.argument;
            continue;
        }
        EXPECT_EQ(r.status, 0) << c.argument << r.err;
        EXPECT_EQ(r.out, "") << c.argument;
        EXPECT_EQ(r.err, "") << c.argument;
        EXPECT_EQ(flagsOf(t / "f"), (0x4103 & 0xFFF1) | c.value) << c.argument;
        // Only the flags word changed; every other byte of the sidecar is kept.
        std::string expected = before;
        const std::size_t at = 26 + 12 * 3 + 8;
        const int flags = (0x4103 & 0xFFF1) | c.value;
        expected[at] = static_cast<char>(flags >> 8);
        expected[at + 1] = static_cast<char>(flags & 0xFF);
        EXPECT_EQ(readFile(t / "._f"), expected) << c.argument;

        r = runProgram("getDeskviewLabel", {"f"}, "", t.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + real(t.path()) + "/f' => '" + names[c.value] + "',\n);\n");
    }
}

TEST(LabelTools, NoneOnAnUnlabelledItemWritesNothing) {
    TempDir t;
    t.write("f", "");
    auto r = runProgram("setDeskviewLabel", {"None", "f"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(exists(t / "._f"));
    r = runProgram("setDeskviewLabel", {"-n", "Blue", "f"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    const auto info = lcv::platform::readItemInfo(t / "f");
    EXPECT_EQ(info.flags, 8);
    EXPECT_EQ(info.type, 0u);  // a new sidecar: entry 9 of zeros but the label
    EXPECT_EQ(readFile(t / "._f").size(), 26u + 12 + 32);
}

TEST(LabelTools, DirectoriesAndTrailingSlashes) {
    TempDir t;
    t.mkdir("dir");
    auto r = runProgram("setDeskviewLabel", {"Purple", "dir/"}, "", t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(exists(t / "._dir"));
    EXPECT_EQ(flagsOf(t / "dir"), 6);
    // An absolute path is used as it stands.
    r = runProgram("getDeskviewLabel", {"dir/", t / "dir/../dir"}, "", t.path());
    EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + real(t.path()) + "/dir' => 'Purple',\n\t'" + t.path() +
                         "/dir/../dir' => 'Purple',\n);\n");
}

TEST(LabelTools, ReadOnlyFileWithAndWithoutForce) {
    TempDir t;
    const Unprivileged user(t);
    if (!user.usable) GTEST_SKIP() << "cannot run the tools as an unprivileged user here";
    t.write("ro", "x");
    user.own(t / "ro");
    chmod((t / "ro").c_str(), 0444);
    const std::string path = real(t.path()) + "/ro";

    auto r = user.run("setDeskviewLabel", {"Red", "ro"}, t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Specified file " + path + " is not writable.\n");
    EXPECT_FALSE(exists(t / "._ro"));
    struct stat st;
    ASSERT_EQ(stat((t / "ro").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);

    r = user.run("setDeskviewLabel", {"-f", "-d", "Red", "ro"}, t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "### setDeskviewLabel debug: Setting label to " + path + ".\n");
    ASSERT_EQ(stat((t / "ro").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);  // 0220 added
    EXPECT_EQ(flagsOf(t / "ro"), 12);

    // Through a link, -f does not follow: the link's own mode cannot change here.
    t.write("ro2", "y");
    user.own(t / "ro2");
    chmod((t / "ro2").c_str(), 0444);
    ASSERT_EQ(symlink("ro2", (t / "link").c_str()), 0);
    user.own(t / "link");
    r = user.run("setDeskviewLabel", {"-f", "Red", "link"}, t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Could not make specified file " + real(t.path()) +
                         "/link writable.\n");
    ASSERT_EQ(stat((t / "ro2").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(LabelTools, RecursionOverATree) {
    TempDir t;
    t.write("top/b.txt", "");
    t.write("top/._b.txt", sidecarWithFlags(0x0100));
    t.write("top/a/deep/z", "");
    t.write("top/a/x", "");
    t.write("top/._orphan", "a sidecar without a companion is an item");
    t.write("top/Z", "");
    const std::string top = real(t.path()) + "/top";
    auto r = runProgram("setDeskviewLabel", {"-r", "-d", "Green", "top"}, "", t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> order = {top,          top + "/._orphan", top + "/Z",     top + "/a",
                                            top + "/a/deep", top + "/a/deep/z", top + "/a/x", top + "/b.txt"};
    std::vector<std::string> expected;
    for (const auto& p : order) expected.push_back("### setDeskviewLabel debug: Setting label to " + p + ".");
    EXPECT_EQ(lines(r.out), expected);
    for (const auto& p : order) EXPECT_EQ(flagsOf(p) & 0x000E, 4) << p;
    EXPECT_EQ(flagsOf(top + "/b.txt"), 0x0104);
    EXPECT_FALSE(exists(top + "/._._b.txt"));  // a sidecar is not an item
    EXPECT_TRUE(exists(top + "/._._orphan"));

    r = runProgram("getDeskviewLabel", {"-r", "top"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    std::string text = "%colorLabels = (\n";
    for (const auto& p : order) text += "\t'" + p + "' => 'Green',\n";
    text += ");\n";
    EXPECT_EQ(r.out, text);
    // Without -r only the directory itself.
    r = runProgram("getDeskviewLabel", {"top"}, "", t.path());
    EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + top + "' => 'Green',\n);\n");
}

TEST(LabelTools, LabelTableRoundTrip) {
    TempDir t;
    t.write("d/one", "");
    t.write("d/two", "");
    t.write("d/sub/three", "");
    const std::string d = real(t.path()) + "/d";
    ASSERT_EQ(runProgram("setDeskviewLabel", {"Orange", "d/one", "d/sub"}, "", t.path()).status, 0);
    ASSERT_EQ(runProgram("setDeskviewLabel", {"Yellow", "d/sub/three"}, "", t.path()).status, 0);
    const auto first = runProgram("getDeskviewLabel", {"-r", "d", "-o", "table.plist"}, "", t.path());
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string table = readFile(t / "table.plist");
    EXPECT_NE(table.find("<plist version=\"1.0\">"), std::string::npos);
    EXPECT_NE(table.find("<key>" + d + "/sub/three</key>\n\t<string>Yellow</string>"), std::string::npos) << table;

    ASSERT_EQ(runProgram("setDeskviewLabel", {"-r", "None", "d"}, "", t.path()).status, 0);
    EXPECT_EQ(flagsOf(d + "/one"), 0);
    auto r = runProgram("setDeskviewLabel", {"-d", "-i", "table.plist"}, "", t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).size(), 5u);  // d, one, sub, sub/three, two
    EXPECT_EQ(lines(r.out)[0], "### setDeskviewLabel debug: Setting label to " + d + ".");
    const auto second = runProgram("getDeskviewLabel", {"-r", "d"}, "", t.path());
    EXPECT_EQ(second.out, first.out);

    // A value that is not a colour clears the label; -a and -r play no part.
    t.write("odd.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
            "\t<key>d/one</key>\n\t<string>red</string>\n"
            "\t<key>d/two</key>\n\t<string>2</string>\n"
            "\t<key>d/sub</key>\n\t<integer>2</integer>\n"
            "</dict>\n</plist>\n");
    r = runProgram("setDeskviewLabel", {"-a", "-r", "-i", "odd.plist"}, "", t.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(flagsOf(d + "/one"), 0);
    EXPECT_EQ(flagsOf(d + "/two"), 12);
    EXPECT_EQ(flagsOf(d + "/sub"), 0);
    EXPECT_EQ(flagsOf(d + "/sub/three"), 10);  // not recursed

    r = runProgram("setDeskviewLabel", {"-i", "absent.plist"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: Specified input plist file absent.plist doesn't exist.\n");
    t.write("list.plist", "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><array><string>x</string></array></plist>\n");
    r = runProgram("setDeskviewLabel", {"Red", "d/one", "-i", "list.plist"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: Can't read the input plist file list.plist.\n");
    EXPECT_EQ(flagsOf(d + "/one"), 0);

    // A table naming a missing item: reported, the others labelled, status 1.
    t.write("missing.plist",
            "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>nowhere</key><string>Red</string>"
            "<key>d/one</key><string>Blue</string></dict></plist>\n");
    r = runProgram("setDeskviewLabel", {"-i", "missing.plist"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Specified file nowhere doesn't exist.\n");
    EXPECT_EQ(flagsOf(d + "/one"), 8);
}

TEST(LabelTools, MissingItemAmongExistingOnes) {
    TempDir t;
    t.write("a", "");
    t.write("c", "");
    const std::string dir = real(t.path());
    auto r = runProgram("setDeskviewLabel", {"Blue", "a", "b", "c"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Specified file " + dir + "/b doesn't exist.\n");
    EXPECT_EQ(flagsOf(t / "a"), 8);
    EXPECT_EQ(flagsOf(t / "c"), 8);
    EXPECT_FALSE(exists(t / "._b"));

    r = runProgram("getDeskviewLabel", {"a", "b", "c"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: Specified file " + dir + "/b doesn't exist.\n");
    EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + dir + "/a' => 'Blue',\n\t'" + dir + "/c' => 'Blue',\n);\n");
}

TEST(LabelTools, PerlHashWithApostrophes) {
    TempDir t;
    t.write("it's", "");
    t.write("plain", "");
    t.write("'quoted'", "");
    ASSERT_EQ(runProgram("setDeskviewLabel", {"Gray", "it's", "'quoted'"}, "", t.path()).status, 0);
    const auto r = runProgram("getDeskviewLabel", {"plain", "it's", "'quoted'"}, "", t.path());
    ASSERT_EQ(r.status, 0);
    const std::string dir = real(t.path());
    EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + dir + "/plain' => 'None',\n\t'" + dir + "/it'.\"'\".'s' => 'Gray',\n\t'" +
                         dir + "/'.\"'\".'quoted'.\"'\".'' => 'Gray',\n);\n");
    EXPECT_EQ(perlHash(r.out), (std::vector<std::string>{dir + "/'quoted'\tGray", dir + "/it's\tGray",
                                                          dir + "/plain\tNone"}));
}

TEST(LabelTools, ScriptModeFailsOnThisHost) {
    TempDir t;
    t.write("a\"b\\c", "");
    t.write("plain", "");
    const std::string dir = real(t.path());
    auto r = runProgram("setDeskviewLabel", {"-a", "Red", "plain", "a\"b\\c"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Could not set label to specified file " + dir +
                         "/plain\n### setDeskviewLabel errror: Could not set label to specified file " + dir +
                         "/a\"b\\c\n");
    EXPECT_FALSE(exists(t / "._plain"));

    r = runProgram("setDeskviewLabel", {"-a", "-n", "-d", "Purple", "a\"b\\c"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    const std::string script = "tell application \"Deskview\"\n set targetFile to alias Posix file \"" + dir +
                               "/a\\\"b\\\\c\"\n set label index of targetFile to 5\n end tell\n";
    EXPECT_EQ(r.out, "### setDeskviewLabel debug: Setting label to " + dir + "/a\"b\\c.\n"
                     "### setDeskviewLabel debug: ZentelScript source.\n" + script + "\n"
                     "### setDeskviewLabel debug: Please check the following script.\n" + script + "\n");
    // A label digit in script mode is the label index itself.
    r = runProgram("setDeskviewLabel", {"-a", "-d", "1", "plain"}, "", t.path());
    EXPECT_NE(r.out.find("set label index of targetFile to 1\n"), std::string::npos);
    r = runProgram("setDeskviewLabel", {"-a", "red", "plain"}, "", t.path());
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: Specified color red is not valid.\n");
}

TEST(LabelTools, UnreadableSidecarIsReportedAndKept) {
    TempDir t;
    t.write("f", "");
    t.write("._f", "not a sidecar at all, just text");
    t.mkdir("d");
    t.write("._d", "neither");
    const std::string dir = real(t.path());
    auto r = runProgram("setDeskviewLabel", {"Red", "f", "d"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "### setDeskviewLabel errror: FSpGetFInfo error = -36. (" + dir +
                         "/f)\n### setDeskviewLabel errror: PBGetCatInfoSync error = -36. (" + dir + "/d)\n");
    EXPECT_EQ(readFile(t / "._f"), "not a sidecar at all, just text");
    r = runProgram("getDeskviewLabel", {"f", "d"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "%colorLabels = (\n);\n");
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: FSpGetFInfo error = -36. (" + dir +
                         "/f)\n### getDeskviewLabel errror: PBGetCatInfoSync error = -36. (" + dir + "/d)\n");
}

TEST(LabelTools, OutputTableThatCannotBeWritten) {
    TempDir t;
    t.write("f", "");
    const auto r = runProgram("getDeskviewLabel", {"f", "-o", "no/such/dir/t.plist"}, "", t.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "%colorLabels = (\n\t'" + real(t.path()) + "/f' => 'None',\n);\n");
    EXPECT_EQ(r.err, "### getDeskviewLabel errror: Failed to write the plist file:no/such/dir/t.plist.\n");
}

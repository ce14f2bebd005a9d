// File and directory information: what the sidecars and the file system say.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "e2e_util.h"
#include "fixtures.h"

using lcvtest::lines;
using lcvtest::runProgram;
using lcvtest::TempDir;

namespace {

std::vector<std::string> infoLines(const lcvtest::RunResult& r) {
    std::vector<std::string> out;
    for (auto l : lines(r.out)) {
        if (l.find(":finfo:") == std::string::npos && l.find(":dinfo:") == std::string::npos) continue;
        const std::string h = "//->./f<-//->./f<-//";
        if (auto pos = l.find(h); pos != std::string::npos) l.replace(pos, h.size(), "H");
        out.push_back(l);
    }
    return out;
}

std::string dates(std::int32_t created) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((created >> shift) & 0xFF);
    return s + std::string(12, '\0');
}

std::string owner() {
    const passwd* pw = getpwuid(getuid());
    const group* gr = getgrgid(getgid());
    return std::string(pw ? pw->pw_name : "?") + " " + (gr ? gr->gr_name : "?");
}

}  // namespace

TEST(FileInformation, SidecarFieldsAndSkips) {
    using lcvtest::browserInfo;
    using lcvtest::sidecar;
    struct Case {
        const char* label;
        std::string sidecar1, sidecar2;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } cases[] = {
        {"type, creator and flags", sidecar({{9, browserInfo("TEXT", "Edit", 0x0000)}}),
         sidecar({{9, browserInfo("rsrc", "Edit", 0x400E)}}), {},
         {"# [lcv:i:changed:file:finfo:type:H:] \"TEXT\" \\ ===> \\ \"rsrc\"",
          "# [lcv:i:changed:file:finfo:flags:H:]  \\ ===> \\ \"isInvisible color_bit3 color_bit2 color_bit1\""}},
        {"hasBeenInited is ignored", sidecar({{9, browserInfo("TEXT", "Edit", 0x0100)}}),
         sidecar({{9, browserInfo("TEXT", "Edit", 0x0000)}}), {}, {}},
        {"script code", sidecar({{9, browserInfo("TEXT", "Edit", 0, 0)}}), sidecar({{9, browserInfo("TEXT", "Edit", 0, 1)}}),
         {}, {"# [lcv:i:changed:file:finfo:script:H:] \"0x00\" \\ ===> \\ \"0x01\""}},
        {"catalog attributes", sidecar({{10, std::string("\0\0\0\0", 4)}}), sidecar({{10, std::string("\0\0\0\x01", 4)}}),
         {}, {"# [lcv:i:changed:file:finfo:ioFlAttrib:H:]  \\ ===> \\ \"fileLocked\""}},
        {"creation date", sidecar({{8, dates(0)}}), sidecar({{8, dates(86400)}}), {"-skmd"},
         {"# [lcv:i:changed:file:finfo:cdate:H:] \"2000/1/1 0:00:00\" \\ ===> \\ \"2000/1/2 0:00:00\""}},
        {"creation date skipped", sidecar({{8, dates(0)}}), sidecar({{8, dates(86400)}}), {"-skmd", "-skcd"}, {}},
        {"one side without sidecar", sidecar({{9, browserInfo("TEXT", "Edit", 0x0002)}}), "", {}, {}},
    };
    for (const auto& c : cases) {
        TempDir t;
        t.write("a/f", "same");
        t.write("b/f", "same");
        if (!c.sidecar1.empty()) t.write("a/._f", c.sidecar1);
        if (!c.sidecar2.empty()) t.write("b/._f", c.sidecar2);
        // Same modification time on both sides.
        const timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
        utimes((t / "a/f").c_str(), times);
        utimes((t / "b/f").c_str(), times);
        std::vector<std::string> args = {"-sh", "-skunix"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("a");
        args.push_back("b");
        setenv("TZ", "UTC", 1);  // the date texts are local time
        auto r = runProgram("lcv", args, "", t.path());
        EXPECT_EQ(infoLines(r), c.expected) << c.label;
    }
}

TEST(FileInformation, UnixTextAndLinks) {
    TempDir t;
    t.write("a/f", "x");
    t.write("b/f", "x");
    chmod((t / "a/f").c_str(), 0644);
    chmod((t / "b/f").c_str(), 0640);
    ASSERT_EQ(link((t / "b/f").c_str(), (t / "b/f2").c_str()), 0);
    auto r = runProgram("lcv", {"-sh", "-skmd", "-skdir", "a", "b"}, "", t.path());
    const std::vector<std::string> l = infoLines(r);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], "# [lcv:i:changed:file:finfo:unix:H:] \"-rw-r--r-- 1 " + owner() + "\" \\ ===> \\ \"-rw-r----- 2 " +
                        owner() + "\"");
    r = runProgram("lcv", {"-sh", "-skmd", "-sklinks", "-i", "a", "b"}, "", t.path());
    bool found = false;
    for (const auto& line : infoLines(r))
        found |= line == "# [lcv:i:changed:file:finfo:unix:H:] \"-rw-r--r-- * " + owner() + "\" \\ ===> \\ \"-rw-r----- * " +
                             owner() + "\"";
    EXPECT_TRUE(found);
    // -ski switches the whole comparison off.
    r = runProgram("lcv", {"-sh", "-ski", "a", "b"}, "", t.path());
    EXPECT_TRUE(infoLines(r).empty());
}

// A label written by setDeskviewLabel is a change of the flags word for lcv (both
// sides carry file-browser information, as copies from the desktop system do).
TEST(FileInformation, LabelShowsAsChangedFlags) {
    TempDir t;
    t.write("a/f", "same");
    t.write("b/f", "same");
    const std::string info = lcvtest::sidecar({{9, lcvtest::browserInfo("TEXT", "Edit", 0)}});
    t.write("a/._f", info);
    t.write("b/._f", info);
    const timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
    utimes((t / "a/f").c_str(), times);
    utimes((t / "b/f").c_str(), times);
    auto set = runProgram("setDeskviewLabel", {"Red", t / "b/f"});
    ASSERT_EQ(set.status, 0) << set.err;
    auto r = runProgram("lcv", {"-sh", "-skunix", "a", "b"}, "", t.path());
    const std::vector<std::string> l = infoLines(r);
    ASSERT_EQ(l.size(), 1u) << r.out;
    EXPECT_EQ(l[0], "# [lcv:i:changed:file:finfo:flags:H:]  \\ ===> \\ \"color_bit3 color_bit2\"");
    // The data fork is untouched.
    EXPECT_EQ(r.out.find(":DF:"), std::string::npos);
}

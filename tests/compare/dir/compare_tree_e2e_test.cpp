// End-to-end: lcv on small trees built here, whole report lines compared.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "e2e_util.h"
#include "fixtures.h"

using lcvtest::lines;
using lcvtest::runProgram;
using lcvtest::TempDir;

namespace {

std::string realPath(const std::string& p) {
    char buf[4096];
    return realpath(p.c_str(), buf) ? std::string(buf) : p;
}

// Report lines without the argument echo.
std::vector<std::string> report(const lcvtest::RunResult& r) {
    std::vector<std::string> out;
    for (auto& l : lines(r.out))
        if (l.rfind("# [lcv:a:", 0) != 0) out.push_back(l);
    return out;
}

// The report lines of a pair of files named f, without directory lines, the pair
// header replaced by H.
std::vector<std::string> pairLines(const lcvtest::RunResult& r) {
    std::vector<std::string> got;
    for (auto l : report(r)) {
        if (l.rfind("# [lcv:i:identical:dir:]", 0) == 0) continue;
        const std::string h = "//->./f<-//->./f<-//";
        if (auto pos = l.find(h); pos != std::string::npos) l.replace(pos, h.size(), "H");
        got.push_back(l);
    }
    return got;
}

std::string bytes(std::size_t n, char c) { return std::string(n, c); }

}  // namespace

TEST(DirectoryComparison, NewObsoleteIdenticalDirectoriesAndFiles) {
    TempDir t;
    t.write("a/Contents/Resources/English.lproj/x.txt", "same\n");
    t.write("b/Contents/Resources/English.lproj/x.txt", "same\n");
    t.write("a/Contents/Old/gone.txt", "1");
    t.write("b/Contents/New/fresh.txt", "2");
    t.write("a/Contents/only1.txt", "1");
    t.write("b/Contents/only2.txt", "2");
    t.write("a/Contents/changed.txt", "abc");
    t.write("b/Contents/changed.txt", "abd");
    const std::string A = realPath(t / "a"), B = realPath(t / "b");
    auto r = runProgram("lcv", {"-i", "-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected = {
        "# [lcv:i:new:dir:] ./Contents/New",
        "# [lcv:i:obsolete:dir:] ./Contents/Old",
        "# [lcv:i:identical:dir:] .",
        "# [lcv:i:identical:dir:] ./Contents",
        "# [lcv:i:identical:dir:] ./Contents/Resources",
        "# [lcv:i:identical:dir:] ./Contents/Resources/English.lproj",
        "# [lcv:i:new:file://->./Contents<-//->./Contents<-//:] only2.txt",
        "# [lcv:i:obsolete:file://->./Contents<-//->./Contents<-//:] only1.txt",
        "# [lcv:i:changed:file:DF://->./Contents/changed.txt<-//->./Contents/changed.txt<-//:] changed.txt",
        "# [lcv:i:identical:file:DF://->./Contents/Resources/English.lproj/x.txt<-//->./Contents/Resources/"
        "English.lproj/x.txt<-//:] x.txt",
    };
    EXPECT_EQ(report(r), expected);

    // Full paths without -sh; new directories name the target root.
    r = runProgram("lcv", {"-ski", A, B});
    EXPECT_EQ(report(r), (std::vector<std::string>{
                             "# [lcv:i:new:dir:] " + B + "/Contents/New",
                             "# [lcv:i:obsolete:dir:] " + A + "/Contents/Old",
                             "# [lcv:i:new:file://->" + A + "/Contents<-//->" + B + "/Contents<-//:] only2.txt",
                             "# [lcv:i:obsolete:file://->" + A + "/Contents<-//->" + B + "/Contents<-//:] only1.txt",
                             "# [lcv:i:changed:file:DF://->" + A + "/Contents/changed.txt<-//->" + B +
                                 "/Contents/changed.txt<-//:] changed.txt",
                         }));

    // -skdir drops the directory lines, -skfile everything below them.
    r = runProgram("lcv", {"-skfile", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:new:dir:] ./Contents/New",
                                                   "# [lcv:i:obsolete:dir:] ./Contents/Old"}));
    r = runProgram("lcv", {"-skdir", "-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r).size(), 3u);
}

TEST(DirectoryComparison, NewDirectoryContentsOnlyWithPnew) {
    TempDir t;
    t.mkdir("a");
    t.write("b/New/n.txt", "x");
    auto r = runProgram("lcv", {"-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:new:dir:] ./New"}));
    r = runProgram("lcv", {"-ski", "-sh", "-pnew", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{
                             "# [lcv:i:new:dir:] ./New",
                             "# [lcv:i:new:file://-><-//->./New<-//:] n.txt",
                             "# [lcv:i:changed:file:DF://-><-//->./New/n.txt<-//:] n.txt",
                         }));
}

TEST(DirectoryComparison, DirectoryNameMapPairsRenamedDirectories) {
    TempDir t;
    t.write("a/English.lproj/Sub/s.txt", "1");
    t.write("b/Japanese.lproj/Sub/s.txt", "2");
    auto r = runProgram("lcv", {"-i", "-ski", "-sh", "-mapdByPair", "English.lproj/Japanese.lproj", "a", "b"}, "",
                        t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{
                             "# [lcv:i:identical:dir:] .",
                             "# [lcv:i:identical:dir:] ./English.lproj",
                             "# [lcv:i:identical:dir:] ./English.lproj/Sub",
                             "# [lcv:i:changed:file:DF://->./English.lproj/Sub/s.txt<-//->./Japanese.lproj/Sub/"
                             "s.txt<-//:] s.txt",
                         }));
}

TEST(DirectoryComparison, QuickModeAndSidecarNames) {
    TempDir t;
    t.write("a/f.txt", "1");
    t.write("b/f.txt", "2");
    t.write("a/._orphan", "x");  // no companion: an ordinary file named "._orphan"
    t.write("b/._orphan", "x");
    t.write("a/._f.txt", lcvtest::sidecar({}));  // metadata of f.txt, never an item
    auto r = runProgram("lcv", {"-i", "-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:identical:dir:] .",
                                                   "# [lcv:i:changed:file:DF://->./f.txt<-//->./f.txt<-//:] f.txt"}));
    r = runProgram("lcv", {"-q", "-i", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:identical:dir:] .",
                                                   "# [lcv:i:identical:file://->.<-//->.<-//:] ._orphan",
                                                   "# [lcv:i:identical:file://->.<-//->.<-//:] f.txt"}));
}

TEST(DirectoryComparison, SummaryDumpOrder) {
    TempDir t, tmp;
    for (const char* side : {"a", "b"}) {
        t.write(std::string(side) + "/b.txt", side);
        t.mkdir(std::string(side) + "/Zeta");
        t.mkdir(std::string(side) + "/Japanese.lproj");
        t.write(std::string(side) + "/A.lyt/info.txt", "i");
    }
    auto r = runProgram("lcv", {"-ski", "-sh", "-psummarydiff", "-tmp_txt_path", tmp.path(), "a", "b"}, "", t.path());
    const std::string s1 = tmp / "fileDirectorySummary1.txt", s2 = tmp / "fileDirectorySummary2.txt";
    EXPECT_EQ(report(r).back(), "# [lcv:m:summaryTwindiff:] twindiff \\ ===> \\ " + s1 + " \\ ===> \\ " + s2);
    std::ifstream f(s1);
    std::stringstream text;
    text << f.rdbuf();
    EXPECT_EQ(text.str(), "./\n 1  b.txt *1\n 1  A.lyt/\n 2    info.txt\n 1  Japanese.lproj/\n 1  Zeta/\n");
}

// Data-fork cases: each row is two data forks and the lines expected after the
// directory line.
TEST(ForkComparison, DataForkCases) {
    std::string big1 = bytes(262144 + 100, 'x'), big2 = big1;
    big2[262144 + 90] = 'y';  // in the last, partial block
    std::string run1 = bytes(40, 'a'), run2 = run1;
    for (int i = 3; i < 20; ++i) run2[static_cast<std::size_t>(i)] = 'b';  // 17 differing bytes
    struct Case {
        const char* label;
        std::string df1, df2;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } cases[] = {
        {"equal", "same", "same", {}, {}},
        {"equal with -i", "same", "same", {"-i"}, {"# [lcv:i:identical:file:DF:H:] f"}},
        {"different length with -hd", "abc", "abcd", {"-hd"}, {"# [lcv:i:changed:file:DF:H:] f"}},
        {"last partial block with -hd", big1, big2, {"-hd"},
         {"# [lcv:i:changed:file:DF:byte:0004005A:H:] 78 [x] \\ ===> \\ 79 [y]", "# [lcv:i:changed:file:DF:H:] f"}},
        {"seventeen bytes", run1, run2, {"-hd"},
         {"# [lcv:i:changed:file:DF:byte:00000003:H:] 6161 6161 6161 6161 6161 6161 6161 6161 [aaaaaaaaaaaaaaaa] "
          "\\ ===> \\ 6262 6262 6262 6262 6262 6262 6262 6262 [bbbbbbbbbbbbbbbb]",
          "# [lcv:i:changed:file:DF:byte:00000013:H:] 61 [a] \\ ===> \\ 62 [b]", "# [lcv:i:changed:file:DF:H:] f"}},
        {"empty files", "", "", {}, {}},
        {"empty files with -i", "", "", {"-i"}, {"# [lcv:i:identical:file:**:H:] f"}},
        {"binary mode", "a", "b", {"-b"}, {"# [lcv:i:changed:file:DF:H:] f"}},
        {"forks together", "a", "b", {"-notDifferentiateRFDF"}, {"# [lcv:i:changed:file:**:H:] f"}},
    };
    for (const auto& c : cases) {
        TempDir t;
        t.write("a/f", c.df1);
        t.write("b/f", c.df2);
        std::vector<std::string> args = {"-ski", "-sh"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("a");
        args.push_back("b");
        auto r = runProgram("lcv", args, "", t.path());
        EXPECT_EQ(pairLines(r), c.expected) << c.label;
        EXPECT_EQ(r.status, 0) << c.label;
    }
}

TEST(ForkComparison, ExitIfChangedStopsAtTheFirstChange) {
    TempDir t;
    t.write("a/1.txt", "a");
    t.write("b/1.txt", "b");
    t.write("a/2.txt", "a");
    t.write("b/2.txt", "b");
    auto r = runProgram("lcv", {"-ski", "-sh", "-exitIfChanged", "a", "b"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:changed:file:DF://->./1.txt<-//->./1.txt<-//:] 1.txt"}));
}

// Resource files: the same resources in another order differ byte for byte but not
// under the comparison that ignores the map.
TEST(ForkComparison, ResourceMapOrder) {
    using lcvtest::Resource;
    const std::vector<Resource> one = {{"STR ", 128, std::string("Hi"), 0, "\x02Hi"}, {"ICON", 1, std::nullopt, 0, "xx"}};
    const std::vector<Resource> other = {{"ICON", 1, std::nullopt, 0, "xx"}, {"STR ", 128, std::string("Hi"), 0, "\x02Hi"}};
    const std::string rf1 = lcvtest::resourceFile(one), rf2 = lcvtest::resourceFile(other);
    ASSERT_NE(rf1, rf2);
    struct Case {
        const char* label;
        bool inDataFork;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } cases[] = {
        {"data fork", true, {}, {"# [lcv:i:changed:file:DF:H:] f"}},
        {"data fork -prmap", true, {"-prmap"}, {"# [lcv:i:changed:file:DF:res_map:H:] f"}},
        {"data fork -frmap", true, {"-frmap"}, {}},
        {"data fork type filter", true, {"--ICON"}, {}},
        {"resource fork", false, {}, {"# [lcv:i:changed:file:RF:H:] f"}},
        {"resource fork -prmap", false, {"-prmap"}, {"# [lcv:i:changed:file:RF:res_map:H:] f"}},
        {"resource fork -frmap", false, {"-frmap"}, {}},
        {"resource fork -skrf", false, {"-skrf"}, {}},
    };
    for (const auto& c : cases) {
        TempDir t;
        if (c.inDataFork) {
            t.write("a/f", rf1);
            t.write("b/f", rf2);
        } else {
            t.write("a/f", "");
            t.write("b/f", "");
            t.write("a/._f", lcvtest::sidecar({{2, rf1}}));
            t.write("b/._f", lcvtest::sidecar({{2, rf2}}));
        }
        std::vector<std::string> args = {"-ski", "-sh"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("a");
        args.push_back("b");
        auto r = runProgram("lcv", args, "", t.path());
        EXPECT_EQ(pairLines(r), c.expected) << c.label;
        EXPECT_EQ(r.err, "") << c.label;
    }
}

TEST(ForkComparison, MalformedResourceMapIsReportedAndCountsAsChanged) {
    TempDir t;
    std::string good = lcvtest::resourceFile({{"STR ", 1, std::nullopt, 0, "abc"}});
    std::string bad = good;
    bad[4] = '\x7f';  // the map offset now points far past the end
    t.write("a/f", good);
    t.write("b/f", bad + "");
    // The damaged side is no resource file any more: plain bytes that differ.
    auto r = runProgram("lcv", {"-ski", "-sh", "-frmap", "-skr", "a", "b"}, "", t.path());
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:changed:file:DF://->./f<-//->./f<-//:] f"}));
    // A resource fork whose data runs past the end still opens, and the map
    // comparison names the field that failed.
    std::string truncated = good;
    truncated[258] = '\x03';  // the data's length word now says 0x3E8 bytes
    truncated[259] = '\xE8';
    t.write("a/g", "");
    t.write("b/g", "");
    t.write("a/._g", lcvtest::sidecar({{2, good}}));
    t.write("b/._g", lcvtest::sidecar({{2, truncated}}));
    r = runProgram("lcv", {"-ski", "-sh", "-frmap", "-skr", "a", "b"}, "", t.path());
    const std::string g2 = realPath(t / "b") + "/g";
    EXPECT_EQ(r.err, "# [lcv:e:IsValidAddr:resData://->" + g2 + "<-//:] (" + std::to_string(truncated.size()) +
                         ", 260, 1000)\n");
    EXPECT_EQ(report(r), (std::vector<std::string>{"# [lcv:i:changed:file:DF://->./f<-//->./f<-//:] f",
                                                   "# [lcv:e:IsValidAddr:resData://->" + g2 + "<-//:] (" +
                                                       std::to_string(truncated.size()) + ", 260, 1000)",
                                                   "# [lcv:i:changed:file:RF://->./g<-//->./g<-//:] g"}));
}

TEST(ForkComparison, PropertyListReportOfAChangedFile) {
    TempDir t;
    t.write("a/x.txt", "1");
    t.write("b/x.txt", "2");
    t.write("b/new.txt", "n");
    auto r = runProgram("lcv", {"-plist", "-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    const std::string& o = r.out;
    EXPECT_NE(o.find("<key>File Binary-Compare Result</key>\n\t<dict>\n\t\t<key>New File</key>\n\t\t<array>\n\t\t\t"
                     "<string>./new.txt</string>"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("<key>Changed Data Fork</key>\n\t\t<array>\n\t\t\t<string>./x.txt // ./x.txt</string>"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("<key>./x.txt // ./x.txt</key>\n\t\t<dict>\n\t\t\t<key>Data Fork Binary-Compare Result</key>\n"
                     "\t\t\t<string>Changed</string>\n\t\t\t<key>Resource Fork Binary-Compare Result</key>\n"
                     "\t\t\t<string>Identical</string>"),
              std::string::npos)
        << o;
    EXPECT_EQ(o.find("# [lcv:"), o.find("# [lcv:", 0));  // no report line outside the document
    EXPECT_EQ(o.find("lcv:i:"), std::string::npos);
}

// Executables whose bytes differ only where prebinding rewrote them: with
// -skprebind they count as identical when their stored checksums agree.
TEST(ForkComparison, PrebindingChecksums) {
    auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    auto object = [&](std::uint32_t subtype, std::uint32_t checksum, const std::string& body) {
        const std::string cmd = be32(0x17) + be32(12) + be32(checksum);
        return be32(0xFEEDFACE) + be32(18) + be32(subtype) + be32(2) + be32(1) + be32(12) + be32(0) + cmd + body;
    };
    struct Case {
        const char* label;
        std::string side1, side2;
        bool identical;
    } cases[] = {
        {"same checksum", object(10, 77, "prebound at A"), object(10, 77, "prebound at B"), true},
        {"other subtype", object(10, 77, "prebound at A"), object(11, 77, "prebound at B"), false},
        {"other checksum", object(10, 77, "prebound at A"), object(10, 78, "prebound at B"), false},
        {"not Mach-O", "\xCA\xFE\xBA\xBE" + object(10, 77, "A").substr(4), "\xCA\xFE\xBA\xBE" + object(10, 77, "B").substr(4),
         false},
    };
    for (const auto& c : cases) {
        TempDir t;
        t.write("a/App", c.side1);
        t.write("b/App", c.side2);
        auto r = runProgram("lcv", {"-ski", "-sh", "-skprebind", "a", "b"}, "", t.path());
        const bool changed = r.out.find("# [lcv:i:changed:file:DF://->./App<-//->./App<-//:] App") != std::string::npos;
        EXPECT_EQ(changed, !c.identical) << c.label;
        // Without -skprebind every byte counts.
        r = runProgram("lcv", {"-ski", "-sh", "a", "b"}, "", t.path());
        EXPECT_NE(r.out.find("changed:file:DF:"), std::string::npos) << c.label;
    }
}

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "e2e_util.h"

using lcvtest::lines;
using lcvtest::runProgram;
using lcvtest::TempDir;

TEST(LcvRun, ExitStatusesAndStreams) {
    TempDir t;
    const std::string a = t.mkdir("a"), b = t.mkdir("b"), file = t.write("f.txt", "x");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
        bool usageOnOut;
    } cases[] = {
        {{"-h"}, 0, "", true},
        {{a}, 255, "# [lcv:e:parameter:] Youm must specify at least source and target directories.\n", true},
        {{t / "x", t / "y"}, 254,
         "# [lcv:e:parameter:] " + t / "x" + " doesn't exist. (old or us)\n# [lcv:e:parameter:] " + t / "y" +
             " doesn't exist. (new or loc)\n",
         false},
        {{a, file}, 100, "# [lcv:e:parameter:] Can not compare a file with a directory. (" + a + " <-> " + file + ")\n",
         false},
        {{"-exclf", "m/a/;", "-inclf", "m/b/;", a, b}, 3,
         "# [lcv:e:parameter:] You can not specify both -inclf and -exclf.\n", false},
        {{"-foo", a, b}, 0, "# [lcv:e:] Unknown option: -foo.\n", false},
    };
    for (const auto& c : cases) {
        const auto r = runProgram("lcv", c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
        if (c.usageOnOut) {
            EXPECT_NE(r.out.find("lcv:version 2.7\n"), std::string::npos) << c.args[0];
        }
    }
}

TEST(LcvRun, ArgumentLinesAndShortHeaderFlag) {
    TempDir t;
    t.mkdir("a/Contents");
    t.mkdir("b/Contents");
    char buf[4096];
    ASSERT_TRUE(realpath(t.path().c_str(), buf));
    const std::string root = buf;
    auto r = runProgram("lcv", {"-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"# [lcv:a:sh:] 1", "# [lcv:a:source:] " + root + "/a",
                                                       "# [lcv:a:target:] " + root + "/b"}));
    // -ska prints no argument lines.
    EXPECT_EQ(runProgram("lcv", {"-ska", "-sh", "a", "b"}, "", t.path()).out, "");
    // In file mode the argument lines name the parent directories.
    t.write("a/Contents/x.strings", "a");
    t.write("b/Contents/x.strings", "a");
    r = runProgram("lcv", {"a/Contents/x.strings", "b/Contents/x.strings"}, "", t.path());
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"# [lcv:a:source:] " + root + "/a/Contents",
                                                       "# [lcv:a:target:] " + root + "/b/Contents"}));
}

TEST(LcvRun, TargetDerivedFromLprojMap) {
    TempDir t;
    t.mkdir("App/English.lproj");
    auto r = runProgram("lcv", {"-map", "English.lproj/Japanese.lproj", t / "App/English.lproj"});
    EXPECT_EQ(r.status, 254);
    EXPECT_EQ(r.err, "# [lcv:e:parameter:] " + t / "App/Japanese.lproj" + " doesn't exist. (new or loc)\n");
    t.mkdir("App/Japanese.lproj");
    r = runProgram("lcv", {"-map", "English.lproj/Japanese.lproj", t / "App/English.lproj"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("# [lcv:a:target:] "), std::string::npos);
}

TEST(LcvRun, PropertyListReportAndProgressLines) {
    TempDir t;
    const std::string a = t.mkdir("a"), b = t.mkdir("b");
    auto r = runProgram("lcv", {"-plist", "-p", "-sh", a, b});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    EXPECT_NE(r.out.find("<key>lcvversion</key>\n\t<string>2.7</string>"), std::string::npos);
    EXPECT_NE(r.out.find("<key>lcvbuildnumber</key>\n\t<string>16</string>"), std::string::npos);
    EXPECT_NE(r.out.find("<key>Process Info</key>"), std::string::npos);
    EXPECT_NE(r.out.find("# [lcv:p:start:] "), std::string::npos);
    EXPECT_NE(r.out.find("(Elapsed time: 00:00:0"), std::string::npos);
    EXPECT_EQ(r.out.find("lcv:a:"), std::string::npos);

    r = runProgram("lcv", {"-p", a, b});
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0].rfind("# [lcv:p:start:] ", 0), 0u);
    EXPECT_NE(l[0].find(" (" + std::string(LCV_BIN_DIR) + "/lcv -p " + a + " " + b + ")"), std::string::npos);
    EXPECT_EQ(l[3].rfind("# [lcv:p:end:] ", 0), 0u);
    EXPECT_NE(l[3].find("(Elapsed time: 00:00:0"), std::string::npos);
}

TEST(LcvRun, DebugKeepsTemporaryFiles) {
    TempDir t, tmp;
    const std::string a = t.mkdir("a"), b = t.mkdir("b");
    // With -debug the report file of -plist stays in the temporary directory.
    setenv("TMPDIR", tmp.path().c_str(), 1);
    auto r = runProgram("lcv", {"-plist", "-debug", a, b});
    unsetenv("TMPDIR");
    EXPECT_EQ(r.status, 0);
    bool found = false;
    for (const auto& e : std::filesystem::directory_iterator(tmp.path()))
        found |= e.path().filename().string().rfind("lcvout_", 0) == 0 && e.path().string().size() > 2 &&
                 e.path().string().substr(e.path().string().size() - 2) == "_3";
    EXPECT_TRUE(found);
    const std::string t2 = tmp.mkdir("other");
    setenv("TMPDIR", t2.c_str(), 1);
    r = runProgram("lcv", {"-plist", a, b});
    unsetenv("TMPDIR");
    EXPECT_TRUE(std::filesystem::is_empty(t2));
}

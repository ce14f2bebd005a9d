#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "core/path.h"

using namespace lcv;

TEST(Path, Standardize) {
    setenv("HOME", "/home/tester", 1);
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"/", "/"},
        {"/a//b/./c/", "/a/b/c"},
        {"/a/b/../c", "/a/c"},
        {"/..", "/"},
        {"~/x", "/home/tester/x"},
        {"~", "/home/tester"},
        {"./Contents", "./Contents"},
        {".//Contents/./Resources/", "./Contents/Resources"},
        {"a/../b", "a/../b"},
        {"./", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(standardizePath(c.in), c.out) << c.in;
}

TEST(Path, Components) {
    EXPECT_EQ(parentDirectory("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(parentDirectory("c.txt"), "");
    EXPECT_EQ(parentDirectory("/c"), "/");
    EXPECT_EQ(lastPathComponent("/a/b/"), "b");
    EXPECT_EQ(pathExtension("/a/b.strings"), "strings");
    EXPECT_EQ(pathExtension("/a/.hidden"), "");
    EXPECT_EQ(deletingPathExtension("/a/b.lyt"), "/a/b");
    EXPECT_EQ(appendPathComponent("./", "Contents"), "./Contents");
    EXPECT_EQ(appendPathComponent("/x", ""), "/x");
    EXPECT_EQ(appendPathComponent("", "y"), "y");
}

TEST(Path, TemporaryPathsFollowTmpdir) {
    setenv("TMPDIR", "/nonexistent-dir-for-test", 1);
    EXPECT_EQ(temporaryDirectory(), "/tmp");
    setenv("TMPDIR", "/", 1);
    EXPECT_EQ(temporaryDirectory(), "/");
    unsetenv("TMPDIR");
    EXPECT_EQ(temporaryPath("3"), "/tmp/lcvout_" + std::to_string(getpid()) + "_3");
    EXPECT_NE(temporaryPath(), temporaryPath());
}

// Status codes, safe temporary files, atomic writes and listings without sidecars.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "e2e_util.h"
#include "platform/dirlist.h"
#include "platform/status.h"
#include "platform/tempfile.h"

using namespace lcv::platform;
using lcvtest::TempDir;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace

TEST(Status, ErrnoTranslation) {
    EXPECT_EQ(statusForErrno(0), 0);
    EXPECT_EQ(statusForErrno(ENOENT), -43);
    EXPECT_EQ(statusForErrno(ENOTDIR), -43);
    EXPECT_EQ(statusForErrno(EACCES), -54);
    EXPECT_EQ(statusForErrno(EPERM), -54);
    EXPECT_EQ(statusForErrno(EIO), -36);
    EXPECT_EQ(statusForErrno(ENOMEM), -108);
    EXPECT_EQ(statusForErrno(EINVAL), -50);
    EXPECT_EQ(statusForErrno(ENOSPC), -50);
    EXPECT_STREQ(statusName(-199), "mapReadErr");
}

TEST(TempFile, ExclusiveNoFollowMode0600) {
    TempDir t;
    const std::string p = t / "lcvout_1_x";
    ASSERT_EQ(writeTempFile(p, "one"), kNoErr);
    struct stat st;
    ASSERT_EQ(lstat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(p), "one");
    // A file of this user at the name is replaced.
    chmod(p.c_str(), 0644);
    ASSERT_EQ(writeTempFile(p, "two"), kNoErr);
    EXPECT_EQ(readFile(p), "two");
    ASSERT_EQ(lstat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // A link planted at the name is not followed: its target stays as it was.
    t.write("target", "precious");
    const std::string link = t / "lcvout_1_y";
    ASSERT_EQ(symlink((t / "target").c_str(), link.c_str()), 0);
    ASSERT_EQ(writeTempFile(link, "new"), kNoErr);  // the link is ours, so it is removed
    EXPECT_EQ(readFile(t / "target"), "precious");
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(readFile(link), "new");
}

TEST(TempFile, AFileOfAnotherUserStays) {
    TempDir t;
    const std::string p = t / "lcvout_2_x";
    t.write("lcvout_2_x", "theirs");
    if (geteuid() != 0 || chown(p.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root to plant a foreign file";
    EXPECT_EQ(writeTempFile(p, "mine"), kPermErr);
    EXPECT_EQ(readFile(p), "theirs");
}

TEST(AtomicWrite, ReplacesAndKeepsTheMode) {
    TempDir t;
    const std::string p = t / "out.plist";
    ASSERT_EQ(atomicWriteFile(p, "first"), kNoErr);
    EXPECT_EQ(readFile(p), "first");
    chmod(p.c_str(), 0604);
    ASSERT_EQ(atomicWriteFile(p, "second", {.fsync = true, .mode = std::nullopt}), kNoErr);
    EXPECT_EQ(readFile(p), "second");
    struct stat st;
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    // No temporary file is left behind.
    std::vector<std::string> names;
    ASSERT_EQ(listDirectory(t.path(), names), kNoErr);
    EXPECT_EQ(names, std::vector<std::string>{"out.plist"});
    // A missing directory fails and leaves nothing.
    EXPECT_EQ(atomicWriteFile(t / "no/such/file", "x"), kFnfErr);
    // A long name still gets a temporary file beside it.
    const std::string longName(250, 'n');
    EXPECT_EQ(atomicWriteFile(t / longName, "long"), kNoErr);
    EXPECT_EQ(readFile(t / longName), "long");
}

TEST(Listing, SidecarsOfListedCompanionsAreLeftOut) {
    TempDir t;
    t.write("b", "");
    t.write("._b", "sidecar");
    t.write("._orphan", "an ordinary file");
    t.write("a", "");
    t.mkdir("dir");
    t.write("._dir", "directory sidecar");
    t.write("._", "two characters");
    std::vector<std::string> names;
    ASSERT_EQ(listDirectory(t.path(), names), kNoErr);
    EXPECT_EQ(names, (std::vector<std::string>{"._", "._orphan", "a", "b", "dir"}));
    std::vector<DirEntry> entries;
    ASSERT_EQ(listDirectoryEntries(t.path(), entries, ListOrder::Unsorted), kNoErr);
    EXPECT_EQ(entries.size(), 5u);
    EXPECT_EQ(listDirectory(t / "missing", names), kFnfErr);
}

TEST(Listing, WalkClassifiesLinksByTargetAndNeverDescendsThem) {
    TempDir t;
    t.write("top/f", "");
    t.write("top/._f", "sidecar");
    t.write("top/sub/g", "");
    t.write("top/sub/deeper/h", "");
    t.write("top/sub/._deeper", "sidecar of a directory");
    ASSERT_EQ(symlink("sub", (t / "top/linkdir").c_str()), 0);
    ASSERT_EQ(symlink("f", (t / "top/linkfile").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (t / "top/dangling").c_str()), 0);
    std::vector<std::string> seen;
    const std::vector<WalkEntry> all = listTree(t / "top");
    for (const auto& e : all) {
        const char* kind = e.kind == EntryKind::Directory ? "d" : e.kind == EntryKind::File ? "f"
                           : e.kind == EntryKind::Dangling                                  ? "x"
                                                                                            : "o";
        seen.push_back(e.relativePath + ":" + kind + (e.isSymlink ? "@" : ""));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"dangling:x@", "f:f", "linkdir:d@", "linkfile:f@", "sub:d",
                                              "sub/deeper:d", "sub/deeper/h:f", "sub/g:f"}));

    // A comparison of the caller's choice orders each directory.
    WalkOptions reverse;
    reverse.less = [](const std::string& a, const std::string& b) { return a > b; };
    seen.clear();
    walkTree(t / "top", [&](const WalkEntry& e) { seen.push_back(e.relativePath); }, reverse);
    EXPECT_EQ(seen.front(), "sub");
    EXPECT_EQ(seen[1], "sub/g");
    int status = 0;
    listTree(t / "none", {}, &status);
    EXPECT_EQ(status, kFnfErr);
}

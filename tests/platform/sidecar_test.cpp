// Sidecar files: reading every field byte for byte, malformed sidecars, the block
// reader of the resource fork, and rewrites that keep every foreign byte.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "e2e_util.h"
#include "fixtures.h"
#include "platform/sidecar.h"
#include "platform/status.h"

using namespace lcv::platform;
using lcvtest::TempDir;

namespace {

std::string be32(std::uint32_t v) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
    return s;
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) s[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (24 - 8 * k)) & 0xFF);
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<std::uint8_t> bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

std::string dates(std::int32_t created) { return be32(static_cast<std::uint32_t>(created)) + std::string(12, '\0'); }

FourCharCode code(const char* s) { return fourCharCode(s); }

// The entries of a sidecar image as (id, bytes), in descriptor order.
std::vector<std::pair<std::uint32_t, std::string>> entriesOf(const std::string& image) {
    SidecarFields f;
    EXPECT_EQ(parseSidecarImage(bytes(image), f), kNoErr);
    std::vector<std::pair<std::uint32_t, std::string>> out;
    for (const auto& e : f.entries) out.emplace_back(e.id, image.substr(e.offset, e.length));
    return out;
}

}  // namespace

TEST(Sidecar, PathOfTheSidecar) {
    EXPECT_EQ(sidecarPathFor("a/b/f.txt"), "a/b/._f.txt");
    EXPECT_EQ(sidecarPathFor("f"), "._f");
    EXPECT_EQ(sidecarPathFor("/x/dir/"), "/x/._dir");
    EXPECT_EQ(sidecarPathFor("/f"), "/._f");
    EXPECT_EQ(sidecarPathFor("/"), "");
    EXPECT_TRUE(isSidecarName("._f"));
    EXPECT_FALSE(isSidecarName("._"));
    EXPECT_FALSE(isSidecarName("_f"));
    EXPECT_EQ(sidecarCompanionName("._f"), "f");
}

TEST(Sidecar, EveryFieldIsReadBack) {
    TempDir t;
    const std::string rf = "RESOURCE-FORK-BYTES";
    std::string info = lcvtest::browserInfo("TEXT", "ttxt", 0x410C, 0x0B);
    info += "trailing bytes of other tools";
    t.write("f", "data fork");
    t.write("._f", lcvtest::sidecar({{9, info}, {8, dates(1000)}, {10, be32(0x000000A5)}, {2, rf}}));
    const ItemInfo i = readItemInfo(t / "f");
    EXPECT_EQ(i.status, 0);
    EXPECT_FALSE(i.isDirectory);
    EXPECT_EQ(i.sidecar, SidecarState::Present);
    EXPECT_EQ(i.dataForkLength, 9u);
    EXPECT_EQ(i.resourceForkLength, rf.size());
    EXPECT_EQ(i.type, code("TEXT"));
    EXPECT_EQ(i.creator, code("ttxt"));
    EXPECT_EQ(i.flags, 0x410C);
    EXPECT_EQ(i.scriptCode, 0x0B);
    EXPECT_EQ(i.creationTime, kSidecarDateOrigin + 1000);
    EXPECT_EQ(i.catalogAttributes, 0xA5);
    struct stat st;
    ASSERT_EQ(stat((t / "f").c_str(), &st), 0);
    EXPECT_EQ(i.modificationTime, st.st_mtim.tv_sec);

    std::vector<std::uint8_t> fork;
    EXPECT_EQ(readWholeFork(t / "f", Fork::Resource, fork), kNoErr);
    EXPECT_EQ(std::string(fork.begin(), fork.end()), rf);
    fork.clear();
    EXPECT_EQ(readWholeFork(t / "f", Fork::Data, fork), kNoErr);
    EXPECT_EQ(std::string(fork.begin(), fork.end()), "data fork");
}

TEST(Sidecar, AbsentSidecarOrEntriesGiveAbsentKeys) {
    TempDir t;
    t.write("plain", "x");
    ItemInfo i = readItemInfo(t / "plain");
    EXPECT_EQ(i.sidecar, SidecarState::Absent);
    EXPECT_EQ(i.resourceForkLength, 0u);
    EXPECT_FALSE(i.type || i.creator || i.flags || i.scriptCode || i.creationTime || i.catalogAttributes);

    // A sidecar with neither entry 9 nor entry 10: type and flags are absent, the
    // attribute byte is 0.
    t.write("g", "");
    t.write("._g", lcvtest::sidecar({{8, dates(INT32_MIN)}}));
    i = readItemInfo(t / "g");
    EXPECT_EQ(i.sidecar, SidecarState::Present);
    EXPECT_FALSE(i.type || i.flags || i.creationTime);  // unknown creation date
    EXPECT_EQ(i.catalogAttributes, 0);

    std::uint16_t flags = 77;
    EXPECT_EQ(readFlags(t / "g", flags), kNoErr);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(readFlags(t / "missing", flags), kFnfErr);
    EXPECT_EQ(readItemInfo(t / "missing").status, kFnfErr);
}

TEST(Sidecar, DirectoriesHaveSidecarsToo) {
    TempDir t;
    t.mkdir("dir");
    t.write("._dir", lcvtest::sidecar({{9, lcvtest::browserInfo("", "", 0x0008)}}));
    const ItemInfo i = readItemInfo(t / "dir");
    EXPECT_TRUE(i.isDirectory);
    EXPECT_EQ(i.dataForkLength, 0u);
    EXPECT_EQ(i.flags, 0x0008);
    std::uint16_t flags = 0;
    EXPECT_EQ(readFlags(t / "dir/", flags), kNoErr);
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(writeFlags(t / "dir", 0x000C), kNoErr);
    EXPECT_EQ(readItemInfo(t / "dir").flags, 0x000C);
}

TEST(Sidecar, ShortEntryNineGivesOnlyTheFieldsItHolds) {
    const std::string image = lcvtest::sidecar({{9, std::string("TYPEcrea\x01", 9)}});
    SidecarFields f;
    ASSERT_EQ(parseSidecarImage(bytes(image), f), kNoErr);
    EXPECT_EQ(f.type, code("TYPE"));
    EXPECT_EQ(f.creator, code("crea"));
    EXPECT_FALSE(f.flags);
    EXPECT_FALSE(f.scriptCode);
}

TEST(Sidecar, MalformedSidecarsAreUnreadableAndNeverReadOutside) {
    const std::string good = lcvtest::sidecar({{9, lcvtest::browserInfo("TEXT", "ttxt", 2)}, {2, "fork"}});
    struct Case {
        const char* label;
        std::string image;
    };
    std::vector<Case> cases;
    std::string badMagic = good;
    badMagic[3] = '\x08';
    cases.push_back({"magic", badMagic});
    std::string badVersion = good;
    badVersion[5] = '\x01';
    cases.push_back({"version", badVersion});
    cases.push_back({"header cut", good.substr(0, 20)});
    cases.push_back({"descriptors cut", good.substr(0, 30)});
    std::string pastEnd = good;
    pastEnd[26 + 12 + 11] = '\x7F';  // entry 2's length runs past the end
    cases.push_back({"entry past the end", pastEnd});
    std::string offsetPastEnd = good;
    offsetPastEnd[26 + 4] = '\x7F';  // entry 9's offset far past the end
    cases.push_back({"offset past the end", offsetPastEnd});
    std::string manyEntries = good;
    manyEntries[24] = '\xFF';  // 65280 + 2 descriptors claimed
    cases.push_back({"count", manyEntries});
    cases.push_back({"cut by one", good.substr(0, good.size() - 1)});
    cases.push_back({"empty", ""});

    for (const auto& c : cases) {
        // In memory, from a buffer of exactly the image's size.
        std::vector<std::uint8_t> exact(c.image.begin(), c.image.end());
        SidecarFields f;
        EXPECT_EQ(parseSidecarImage(exact, f), kIoErr) << c.label;

        TempDir t;
        t.write("f", "abc");
        t.write("._f", c.image);
        const ItemInfo i = readItemInfo(t / "f");
        EXPECT_EQ(i.status, 0) << c.label;
        EXPECT_EQ(i.sidecar, SidecarState::Unreadable) << c.label;
        EXPECT_EQ(i.sidecarStatus, kIoErr) << c.label;
        EXPECT_EQ(i.resourceForkLength, 0u) << c.label;
        EXPECT_FALSE(i.type || i.flags || i.catalogAttributes) << c.label;
        ForkReader r;
        EXPECT_EQ(r.open(t / "f", Fork::Resource), kNoErr) << c.label;
        EXPECT_EQ(r.length(), 0u) << c.label;
        EXPECT_EQ(r.sidecarState(), SidecarState::Unreadable) << c.label;
        // A write refuses to replace what it cannot read.
        EXPECT_EQ(writeFlags(t / "f", 0x000C), kIoErr) << c.label;
        EXPECT_EQ(readFile(t / "._f"), c.image) << c.label;
        std::uint16_t flags = 0;
        EXPECT_EQ(readFlags(t / "f", flags), kIoErr) << c.label;
    }
}

TEST(Sidecar, EveryPrefixOfASidecarIsSafe) {
    const std::string good = lcvtest::sidecar(
        {{9, lcvtest::browserInfo("TEXT", "ttxt", 2)}, {8, dates(5)}, {10, be32(1)}, {2, std::string(40, 'r')}});
    for (std::size_t n = 0; n <= good.size(); ++n) {
        std::vector<std::uint8_t> exact(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        SidecarFields f;
        EXPECT_EQ(parseSidecarImage(exact, f), n == good.size() ? kNoErr : kIoErr) << n;
    }
}

TEST(Sidecar, ResourceForkIsReadInBlocks) {
    TempDir t;
    std::string fork;
    for (std::size_t i = 0; i < 262144 * 2 + 1000; ++i) fork += static_cast<char>((i * 7 + i / 251) & 0xFF);
    t.write("f", "");
    t.write("._f", lcvtest::sidecar({{9, lcvtest::browserInfo("a", "b", 0)}, {2, fork}, {99, "after"}}));
    ForkReader r;
    ASSERT_EQ(r.open(t / "f", Fork::Resource), kNoErr);
    ASSERT_EQ(r.length(), fork.size());
    std::vector<std::uint8_t> buffer(262144);
    std::string got;
    int status = 0;
    for (;;) {
        const long n = r.read(buffer.data(), buffer.size(), status);
        ASSERT_GE(n, 0);
        got.append(buffer.begin(), buffer.begin() + n);
        if (static_cast<std::size_t>(n) < buffer.size()) break;
    }
    EXPECT_EQ(got, fork);
    // At an offset, and never past the fork's end into the following entry.
    char small[16];
    EXPECT_EQ(r.readAt(fork.size() - 3, small, sizeof small, status), 3);
    EXPECT_EQ(std::string(small, 3), fork.substr(fork.size() - 3));
    EXPECT_EQ(r.readAt(fork.size(), small, sizeof small, status), 0);
    EXPECT_EQ(r.readAt(1000, small, 16, status), 16);
    EXPECT_EQ(std::string(small, 16), fork.substr(1000, 16));

    // A sidecar cut short after opening: the read reports end of file.
    ForkReader cut;
    ASSERT_EQ(cut.open(t / "f", Fork::Resource), kNoErr);
    ASSERT_EQ(truncate((t / "._f").c_str(), 200), 0);
    EXPECT_EQ(cut.readAt(0, buffer.data(), buffer.size(), status), -1);
    EXPECT_EQ(status, kEofErr);

    ForkReader missing;
    EXPECT_EQ(missing.open(t / "nothing", Fork::Resource), kFnfErr);
    EXPECT_EQ(missing.open(t / "nothing", Fork::Data), kFnfErr);
}

TEST(SidecarWrite, FlagsWithoutChangeCreateNothing) {
    TempDir t;
    t.write("f", "x");
    bool changed = true;
    EXPECT_EQ(writeFlags(t / "f", 0, &changed), kNoErr);
    EXPECT_FALSE(changed);
    EXPECT_NE(access((t / "._f").c_str(), F_OK), 0);

    EXPECT_EQ(writeFlags(t / "f", 0x000C, &changed), kNoErr);
    EXPECT_TRUE(changed);
    // A new sidecar: entry 9 of 32 bytes only.
    const std::string image = readFile(t / "._f");
    const auto entries = entriesOf(image);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, 9u);
    EXPECT_EQ(entries[0].second, lcvtest::browserInfo(std::string(4, '\0'), std::string(4, '\0'), 0x000C));
    EXPECT_EQ(image.size(), 26u + 12 + 32);

    // The same word again: the file is not touched (same inode, same bytes).
    struct stat before, after;
    ASSERT_EQ(stat((t / "._f").c_str(), &before), 0);
    EXPECT_EQ(writeFlags(t / "f", 0x000C, &changed), kNoErr);
    EXPECT_FALSE(changed);
    ASSERT_EQ(stat((t / "._f").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    EXPECT_EQ(writeFlags(t / "missing", 2), kFnfErr);
    EXPECT_NE(access((t / "._missing").c_str(), F_OK), 0);
}

TEST(SidecarWrite, NewSidecarWithResourceForkAndTypes) {
    TempDir t;
    t.write("cache", "data");
    const std::string rf = "a resource file image";
    ASSERT_EQ(writeResourceFork(t / "cache", bytes(rf)), kNoErr);
    ASSERT_EQ(setTypeAndCreator(t / "cache", code("    "), code("    ")), kNoErr);
    const auto entries = entriesOf(readFile(t / "._cache"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].first, 9u);
    EXPECT_EQ(entries[0].second, lcvtest::browserInfo("    ", "    ", 0));
    EXPECT_EQ(entries[1].first, 2u);
    EXPECT_EQ(entries[1].second, rf);
    const ItemInfo i = readItemInfo(t / "cache");
    EXPECT_EQ(i.resourceForkLength, rf.size());
    EXPECT_EQ(i.type, code("    "));
    // The new sidecar has the mode of an ordinary new file.
    struct stat st;
    ASSERT_EQ(stat((t / "._cache").c_str(), &st), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
}

// A sidecar written by another tool: an unknown entry, entry 9 longer than 32
// bytes, entry 2 in the middle, dates, attributes, and a filler that is not zero.
TEST(SidecarWrite, RoundTripKeepsEveryOtherEntryAndByte) {
    TempDir t;
    t.write("f", "contents");
    const std::string info = lcvtest::browserInfo("APPL", "ZZZZ", 0x4102, 3) + std::string("\x00\x00xattr-ATTR-block", 18);
    const std::string unknown = "an entry nobody here knows";
    std::string image = lcvtest::sidecar(
        {{9, info}, {2, "old fork"}, {0x7777, unknown}, {8, dates(42)}, {10, be32(0x11)}});
    std::memcpy(image.data() + 8, "Mac OS X        ", 16);
    t.write("._f", image);
    chmod((t / "._f").c_str(), 0640);

    // Labels: only the flags word changes, the file keeps its layout.
    ASSERT_EQ(writeFlags(t / "f", 0x410C), kNoErr);
    std::string after = readFile(t / "._f");
    ASSERT_EQ(after.size(), image.size());
    std::string expected = image;
    expected[26 + 12 * 5 + 8] = '\x41';
    expected[26 + 12 * 5 + 9] = '\x0C';
    EXPECT_EQ(after, expected);
    struct stat st;
    ASSERT_EQ(stat((t / "._f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new resource fork of another length: entry 2 is not the last in the file,
    // so the entries are laid out anew; every other entry keeps its bytes.
    const std::string newFork(1000, 'N');
    ASSERT_EQ(writeResourceFork(t / "f", bytes(newFork)), kNoErr);
    after = readFile(t / "._f");
    auto entries = entriesOf(after);
    ASSERT_EQ(entries.size(), 5u);
    std::string newInfo = info;
    newInfo[8] = '\x41';
    newInfo[9] = '\x0C';
    EXPECT_EQ(entries[0], std::make_pair(9u, newInfo));
    EXPECT_EQ(entries[1], std::make_pair(2u, newFork));
    EXPECT_EQ(entries[2], std::make_pair(0x7777u, unknown));
    EXPECT_EQ(entries[3], std::make_pair(8u, dates(42)));
    EXPECT_EQ(entries[4], std::make_pair(10u, be32(0x11)));
    EXPECT_EQ(after.substr(8, 16), "Mac OS X        ");

    ASSERT_EQ(setTypeAndCreator(t / "f", code("TEXT"), code("ttxt")), kNoErr);
    const ItemInfo i = readItemInfo(t / "f");
    EXPECT_EQ(i.type, code("TEXT"));
    EXPECT_EQ(i.creator, code("ttxt"));
    EXPECT_EQ(i.flags, 0x410C);
    EXPECT_EQ(i.scriptCode, 3);
    EXPECT_EQ(i.creationTime, kSidecarDateOrigin + 42);
    EXPECT_EQ(i.catalogAttributes, 0x11);
    EXPECT_EQ(i.resourceForkLength, 1000u);
    entries = entriesOf(readFile(t / "._f"));
    EXPECT_EQ(entries[0].second.substr(32), info.substr(32));
    EXPECT_EQ(entries[2].second, unknown);
}

TEST(SidecarWrite, ResourceForkLastInTheFileIsRewrittenInPlace) {
    // The layout of the desktop system's own sidecars: entry 9 first, entry 2 last.
    const std::string info = lcvtest::browserInfo("TEXT", "ttxt", 0) + std::string(100, 'x');
    const std::string image = lcvtest::sidecar({{9, info}, {2, "short"}});
    SidecarEdit e;
    e.resourceFork = bytes(std::string(5000, 'L'));
    std::vector<std::uint8_t> out;
    bool changed = false;
    ASSERT_EQ(editSidecarImage(bytes(image), true, e, out, changed), kNoErr);
    EXPECT_TRUE(changed);
    const std::string s(out.begin(), out.end());
    // Everything before entry 2's bytes is unchanged but its length word.
    const std::size_t forkAt = image.size() - 5;
    EXPECT_EQ(s.substr(0, 26 + 12 + 8), image.substr(0, 26 + 12 + 8));
    EXPECT_EQ(s.substr(26 + 24, forkAt - 50), image.substr(26 + 24, forkAt - 50));
    EXPECT_EQ(s.substr(forkAt), std::string(5000, 'L'));
    EXPECT_EQ(entriesOf(s)[1].second, std::string(5000, 'L'));
}

TEST(SidecarWrite, EntryNineAddedToASidecarWithoutIt) {
    TempDir t;
    t.write("f", "");
    const std::string image = lcvtest::sidecar({{2, "fork"}, {0x1234, "x"}});
    t.write("._f", image);
    std::uint16_t flags = 1;
    ASSERT_EQ(readFlags(t / "f", flags), kNoErr);
    EXPECT_EQ(flags, 0);
    bool changed = true;
    ASSERT_EQ(writeFlags(t / "f", 0, &changed), kNoErr);  // 0 stays 0: nothing to do
    EXPECT_FALSE(changed);
    EXPECT_EQ(readFile(t / "._f"), image);
    ASSERT_EQ(writeFlags(t / "f", 0x0004, &changed), kNoErr);
    EXPECT_TRUE(changed);
    const auto entries = entriesOf(readFile(t / "._f"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], std::make_pair(2u, std::string("fork")));
    EXPECT_EQ(entries[1], std::make_pair(0x1234u, std::string("x")));
    EXPECT_EQ(entries[2].first, 9u);
    EXPECT_EQ(entries[2].second, lcvtest::browserInfo(std::string(4, '\0'), std::string(4, '\0'), 4));
}

TEST(SidecarWrite, OnlyTheMaskedBitsChange) {
    const std::string image = lcvtest::sidecar({{9, lcvtest::browserInfo("TEXT", "ttxt", 0xC103)}});
    SidecarEdit e;
    e.flagsMask = 0x000E;
    e.flagsValue = 0x0008;
    std::vector<std::uint8_t> out;
    bool changed = false;
    ASSERT_EQ(editSidecarImage(bytes(image), true, e, out, changed), kNoErr);
    SidecarFields f;
    ASSERT_EQ(parseSidecarImage(out, f), kNoErr);
    EXPECT_EQ(f.flags, 0xC109);
}

// Found by fuzz_sidecar: an entry that covers the header and the descriptor table
// must keep its bytes when entry 9 grows (the file is laid out anew).
TEST(SidecarWrite, EntriesSharingTheDescriptorTableKeepTheirBytes) {
    std::string image = lcvtest::sidecar({{9, "short"}, {0x0700, ""}, {0, ""}});
    put32(image, 26 + 12 * 2 + 4, 0);
    put32(image, 26 + 12 * 2 + 8, 60);  // entry 0: bytes 0 to 59, over the header
    const std::string covered = image.substr(0, 60);
    SidecarEdit e;
    e.type = fourCharCode("TEXT");
    std::vector<std::uint8_t> out;
    bool changed = false;
    ASSERT_EQ(editSidecarImage(bytes(image), true, e, out, changed), kNoErr);
    ASSERT_TRUE(changed);
    const auto entries = entriesOf(std::string(out.begin(), out.end()));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].second.substr(0, 5), "TEXTt");
    EXPECT_EQ(entries[0].second.size(), 32u);
    EXPECT_EQ(entries[2], std::make_pair(0u, covered));
}

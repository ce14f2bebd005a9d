// The cksum CRC (buffer, open file, streamed file) and CRC-32.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "core/checksum.h"
#include "e2e_util.h"

using namespace lcv;
using lcvtest::TempDir;

namespace {

TEST(Cksum, KnownValues) {
    struct Case {
        const char* what;
        std::string bytes;
        std::uint32_t crc;
    };
    // Values as the cksum utility prints them.
    const Case cases[] = {
        {"empty", "", 4294967295u},
        {"abc", "abc", 1219131554u},
        {"three zero bytes", std::string(3, '\0'), 4072462630u},
    };
    TempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(cksumBuffer(c.bytes.data(), c.bytes.size()), c.crc) << c.what;
        CksumResult r;
        ASSERT_EQ(cksumFile(dir.write("f", c.bytes), r), 0) << c.what;
        EXPECT_EQ(r.crc, c.crc) << c.what;
        EXPECT_EQ(r.length, c.bytes.size()) << c.what;
    }
}

TEST(Cksum, LengthsOf4GiBAndMoreGoWhole) {
    // A file of 2^32 zero bytes leaves the register at 0; the cksum utility gives
    // 4215202376 for it. A 32-bit count would have fed nothing (and given 0xFFFFFFFF).
    EXPECT_EQ(CksumState::finishCksum(0, 1ull << 32), 4215202376u);
    EXPECT_EQ(CksumState::finishCksum(0, 3), 4072462630u);
    EXPECT_EQ(CksumState::finishCksum(0, 0), 0xFFFFFFFFu);
}

TEST(Cksum, StreamedFileEqualsBuffer) {
    std::string bytes;
    for (int i = 0; i < 100003; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);  // several 16384-byte blocks
    TempDir dir;
    const std::string path = dir.write("big", bytes);
    CksumResult r;
    ASSERT_EQ(cksumFile(path, r), 0);
    EXPECT_EQ(r.crc, cksumBuffer(bytes.data(), bytes.size()));
    EXPECT_EQ(r.length, bytes.size());

    // From the current position of an open descriptor.
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(lseek(fd, 100, SEEK_SET), 100);
    ASSERT_EQ(cksumFd(fd, r), 0);
    close(fd);
    EXPECT_EQ(r.crc, cksumBuffer(bytes.data() + 100, bytes.size() - 100));
    EXPECT_EQ(r.length, bytes.size() - 100);
}

TEST(Cksum, ReadFailuresLeaveTheResultUnchanged) {
    TempDir dir;
    CksumResult r;
    r.crc = 123;
    r.length = 456;
    EXPECT_EQ(cksumFile(dir / "missing", r), 1);
    const int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);  // read() fails on a directory
    ASSERT_GE(fd, 0);
    EXPECT_EQ(cksumFd(fd, r), 1);
    close(fd);
    EXPECT_EQ(r.crc, 123u);
    EXPECT_EQ(r.length, 456u);
}

TEST(Crc32, KnownValues) {
    EXPECT_EQ(crc32("", 0), 0u);
    EXPECT_EQ(crc32("abc", 3), 0x352441C2u);
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
}

}  // namespace

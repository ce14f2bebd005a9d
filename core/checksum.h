// Checksums: the CRC of the POSIX cksum utility (over an open file, streamed in
// fixed blocks, or over a buffer) and the standard CRC-32 of zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lcv {

struct CksumResult {
    std::uint32_t crc = 0;
    // Bytes read. The whole count goes into the CRC, as cksum does, so files of
    // 4 GiB and more get the same value as from the cksum utility.
    std::uint64_t length = 0;
};

// Running state of the cksum CRC: feed bytes in order, then finish.
class CksumState {
public:
    void update(const void* data, std::size_t size);
    // The CRC of everything fed so far (the state itself is left unchanged).
    std::uint32_t finish() const { return finishCksum(reg_, length_); }
    std::uint64_t length() const { return length_; }

    // Feeds the byte count into a register, least significant byte first, and
    // complements the result.
    static std::uint32_t finishCksum(std::uint32_t reg, std::uint64_t length);

private:
    std::uint32_t reg_ = 0;
    std::uint64_t length_ = 0;
};

// Reads fd from its current position to the end, 16384 bytes at a time. Returns 0
// and fills result on success; returns 1 and leaves result unchanged when a read
// fails.
int cksumFd(int fd, CksumResult& result);
// Opens the file read-only and runs cksumFd; 1 when it cannot be opened or read.
int cksumFile(const std::string& path, CksumResult& result);
std::uint32_t cksumBuffer(const void* data, std::size_t size);

// The CRC-32 of ISO 3309 / ITU-T V.42 (zlib's crc32), e.g. 0x352441C2 for "abc".
std::uint32_t crc32(const void* data, std::size_t size);

}  // namespace lcv

#include "core/checksum.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace lcv {

namespace {

// Table of the polynomial 0x04C11DB7, most significant bit first.
constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i << 24;
        for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
        t[i] = c;
    }
    return t;
}

constexpr std::array<std::uint32_t, 256> kTable = makeTable();
static_assert(kTable[1] == 0x04C11DB7u);

inline std::uint32_t step(std::uint32_t reg, std::uint8_t b) { return (reg << 8) ^ kTable[(reg >> 24) ^ b]; }

}  // namespace

void CksumState::update(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::uint32_t reg = reg_;
    for (std::size_t i = 0; i < size; ++i) reg = step(reg, p[i]);
    reg_ = reg;
    length_ += size;
}

std::uint32_t CksumState::finishCksum(std::uint32_t reg, std::uint64_t length) {
    for (; length != 0; length >>= 8) reg = step(reg, static_cast<std::uint8_t>(length & 0xFF));
    return ~reg;
}

int cksumFd(int fd, CksumResult& result) {
    CksumState state;
    std::uint8_t buf[16384];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        state.update(buf, static_cast<std::size_t>(n));
    }
    result.crc = state.finish();
    result.length = state.length();
    return 0;
}

int cksumFile(const std::string& path, CksumResult& result) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    const int status = cksumFd(fd, result);
    close(fd);
    return status;
}

std::uint32_t cksumBuffer(const void* data, std::size_t size) {
    CksumState state;
    state.update(data, size);
    return state.finish();
}

std::uint32_t crc32(const void* data, std::size_t size) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    const auto* p = static_cast<const Bytef*>(data);
    // zlib takes at most a uInt per call.
    while (size > 0) {
        const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = ::crc32(crc, p, chunk);
        p += chunk;
        size -= chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

}  // namespace lcv

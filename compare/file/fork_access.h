// What the file comparers need to know of a file's forks and file-browser
// information, read through the platform layer (sidecar files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lcv {

struct ForkInfo {
    int status = 0;  // 0, or the status when the item cannot be found
    bool isDirectory = false;
    std::uint64_t dataLength = 0;
    std::uint64_t resourceLength = 0;
    std::optional<std::uint32_t> type, creator;
    std::optional<std::uint16_t> flags;
    std::optional<std::uint8_t> script;
    std::optional<std::uint8_t> attributes;  // the catalog attribute byte
    std::optional<double> creationDate;      // seconds since 1970
    std::optional<double> modificationDate;
    bool sidecarError = false;  // a sidecar exists but cannot be read
    int sidecarStatus = 0;
};

ForkInfo readForkInfo(const std::string& path);

// The status code of a failed system call.
int statusFromErrno(int err);

// Opens one fork of a file for reading in blocks: the data fork is the file's
// contents, the resource fork lives in the file's sidecar.
class ForkReader {
public:
    ForkReader() = default;
    ~ForkReader();
    ForkReader(const ForkReader&) = delete;
    ForkReader& operator=(const ForkReader&) = delete;

    // Returns 0 or the status of the failure. A data fork's length may be given
    // when it is already known.
    int open(const std::string& path, bool resourceFork, std::optional<std::uint64_t> knownLength = std::nullopt);
    // Reads up to n bytes; returns the count, 0 at the end of the fork, -1 on an
    // error with the status set.
    long read(std::uint8_t* buffer, std::size_t n, int& status);
    std::uint64_t length() const { return length_; }

private:
    int fd_ = -1;
    std::uint64_t start_ = 0, length_ = 0, pos_ = 0;
};

// A four-character code as text, decoded as legacy Roman.
std::string fourCharText(std::uint32_t code);

}  // namespace lcv

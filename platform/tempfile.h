// Safe temporary files and atomic file replacement (docs/host.md, "Platform
// layer"). Nothing here follows a symbolic link at the name it creates, and
// nothing is ever created over a file that belongs to another user.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lcv::platform {

// Creates the file at path for writing: exclusive creation, O_NOFOLLOW, mode 0600.
// When something already stands at the name and belongs to this user (and is not
// a directory), it is removed first and the creation is tried again; a file of
// another user stays and the call fails with kPermErr. Returns the open
// descriptor, or -1 with the status.
int createTempFile(const std::string& path, int& status);

// createTempFile, then writes all bytes and closes. Returns the status.
int writeTempFile(const std::string& path, std::string_view bytes);

// Creates a new file with a unique name "<dir>/<prefix>XXXXXX" (exclusive, mode
// 0600) and returns its descriptor and path, or -1 with the status.
int createUniqueFile(const std::string& dir, const std::string& prefix, std::string& path, int& status);

struct AtomicWriteOptions {
    bool fsync = false;
    // Mode of the new file. Unset: the mode of the file being replaced, or
    // 0666 less the umask for a new file.
    std::optional<mode_t> mode;
};

// Writes bytes to a new file in the directory of path and renames it over path,
// so that path holds either its old or its new contents at every moment. A link
// at path is replaced, not followed. The owner and group of a replaced file are
// kept where the process may do so. Returns the status; on failure path is
// untouched and the new file is removed.
int atomicWriteFile(const std::string& path, std::string_view bytes, const AtomicWriteOptions& options = {});

}  // namespace lcv::platform

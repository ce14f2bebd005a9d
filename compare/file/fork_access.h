// What the file comparers read of a file's forks and file-browser information:
// the platform layer's item information (sidecar files on this host).
#pragma once

#include <cstdint>
#include <string>

#include "platform/resource_file.h"
#include "platform/roman.h"
#include "platform/sidecar.h"
#include "platform/status.h"

namespace lcv {

using ForkInfo = platform::ItemInfo;
using platform::ForkReader;

inline ForkInfo readForkInfo(const std::string& path) { return platform::readItemInfo(path); }
inline int statusFromErrno(int err) { return platform::statusForErrno(err); }
inline std::string fourCharText(std::uint32_t code) { return platform::fourCharText(code); }

}  // namespace lcv

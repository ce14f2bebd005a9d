// Byte comparison of data and resource forks, the comparison of resource files
// that ignores the layout of their maps, and the small resource-file readers of
// the file comparison.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "compare/file/fork_access.h"
#include "core/run_context.h"
#include "core/value.h"
#include "report/print_center.h"

namespace lcv {

// Where a file keeps resources: its resource fork, or a resource map in its data
// fork.
struct ResourceLocation {
    bool rf = false;
    bool df = false;
};
ResourceLocation probeResourceLocation(const std::string& path, const ForkInfo& info);

// Block comparison through the two scratch buffers; with hexDump the differing
// runs are printed. The forms with lengths take the forks' logical lengths as
// already known.
bool BinaryDFCompare(const std::string& path1, const std::string& path2, std::uint8_t* buffer1,
                     std::uint8_t* buffer2, bool hexDump, const std::string& header, PrintCenter* pCenter);
bool BinaryRFCompare(const std::string& path1, const std::string& path2, std::uint8_t* buffer1,
                     std::uint8_t* buffer2, bool hexDump, const std::string& header, PrintCenter* pCenter);
bool binaryForkCompare(bool resourceFork, const std::string& path1, const std::string& path2, std::uint64_t length1,
                       std::uint64_t length2, std::uint8_t* buffer1, std::uint8_t* buffer2, bool hexDump,
                       const std::string& header, PrintCenter* pCenter);
// Prints the runs of differing bytes of two blocks; returns how many bytes differ.
std::size_t hexDumpBlock(const char* kind, std::uint64_t offset, const std::uint8_t* block1,
                         const std::uint8_t* block2, std::size_t length, const std::string& header,
                         PrintCenter* pCenter);
// Equal when both forks hold the same resources, whatever the order of the maps.
bool PureResCompare(bool dataFork, const std::string& path1, const std::string& path2, std::uint8_t* buffer1,
                    std::uint8_t* buffer2, bool debug, PrintCenter* pCenter, const RunContext* run);
// Adds type -> type for every resource type of the file.
void AddResTypeToDict(Dict& dict, const std::string& path, bool hasResourceFork, bool dataForkIsResourceFile,
                      PrintCenter* pCenter, const RunContext* run);
// The 16-bit attribute word of the file's resource map; returns the status.
int getResfileAttrs(const std::string& path, std::uint16_t& attributes, bool dataFork, PrintCenter* pCenter);

}  // namespace lcv

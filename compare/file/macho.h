// Executables that differ only in their prebinding: the Mach-O tests of the file
// comparison and the comparison of the prebinding checksums that the linker
// stores in the LC_PREBIND_CKSUM load command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lcv {

class PrintCenter;

// True when the file is at least 28 bytes long and starts with FE ED FA CE (a thin
// 32-bit big-endian Mach-O file). Fat, 64-bit and byte-swapped files are not
// Mach-O here. A file whose size cannot be read counts as empty and opens nothing;
// a failure to open it is reported through the report center (when given) as
// "# [lcv:e:MachOPath:FSpOpenDF://->path<-//:status:]" with message type "Error".
bool MachOPath(PrintCenter* report, const std::string& path);
// Both paths non-empty and both files Mach-O. Both are tested, the source first,
// so each side reports its own error.
bool MachOPath(PrintCenter* report, const std::string& path1, const std::string& path2);

// The prebinding checksum of one architecture of an object file.
struct ArchChecksum {
    std::int32_t cpuType = 0;
    std::int32_t cpuSubtype = 0;
    std::uint32_t hasChecksum = 0;  // 1 when the object carries LC_PREBIND_CKSUM
    std::uint32_t checksum = 0;     // its stored value, else 0
};

struct ArchChecksums {
    int status = 1;  // 0 success, 1 failure
    std::vector<ArchChecksum> records;
    std::string message;  // why the file was refused, prefixed by the name; never printed here
};

// Reads the checksum record of a thin 32-bit big-endian Mach-O file by walking
// its load commands. Fails for any other kind of file, for load commands that run
// past the end of the file or past their declared total size, for a load command
// shorter than 8 bytes, for an LC_PREBIND_CKSUM whose size is not 12 and for more
// than one LC_PREBIND_CKSUM. name prefixes the message.
ArchChecksums readArchChecksums(const std::string& path, const std::string& name);
ArchChecksums readArchChecksumsFromBytes(std::string_view bytes, const std::string& name);

// True when both files are single-architecture objects of the same CPU type and
// subtype that both carry a prebinding checksum, and the checksums are equal. A
// stored checksum of 0 is replaced by the cksum CRC of that whole file (0 when the
// file cannot be read).
bool PreBindingCheckSumIdentical(const std::string& path1, const std::string& path2);

}  // namespace lcv

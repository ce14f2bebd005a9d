// Forks and file-browser information kept in sidecar files (docs/host.md): an
// item NAME keeps its resource fork, type, creator, flags, dates and catalog
// attributes in "._NAME" beside it.
//
// Reading never looks outside the sidecar: every descriptor is checked against
// the file's size before any entry is read, and a sidecar that does not fit is
// reported as unreadable (SidecarState::Unreadable with a status) and otherwise
// treated as absent. Writing rewrites the whole sidecar through a new file in the
// same directory and a rename, keeping every entry and byte it does not change.
#pragma once

#include <sys/stat.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/roman.h"

namespace lcv::platform {

// ---------------------------------------------------------------- the format

inline constexpr std::uint32_t kSidecarMagic = 0x00051607;
inline constexpr std::uint32_t kSidecarVersion = 0x00020000;
inline constexpr std::size_t kSidecarHeaderSize = 26;  // up to and with the entry count
inline constexpr std::size_t kSidecarDescriptorSize = 12;
inline constexpr std::uint32_t kEntryResourceFork = 2;
inline constexpr std::uint32_t kEntryDates = 8;
inline constexpr std::uint32_t kEntryBrowserInfo = 9;
inline constexpr std::uint32_t kEntryCatalogAttributes = 10;
inline constexpr std::size_t kBrowserInfoSize = 32;
// Seconds from 1970-01-01 to 2000-01-01, the origin of the sidecar's dates.
inline constexpr std::int64_t kSidecarDateOrigin = 946684800;
inline constexpr std::int32_t kSidecarUnknownDate = INT32_MIN;  // 0x80000000

// One entry descriptor: id, offset of its bytes from the start of the file, length.
struct SidecarEntry {
    std::uint32_t id = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// What a well-formed sidecar says. Fields whose entry is absent are unset, except
// catalogAttributes, which a sidecar without entry 10 gives as 0.
struct SidecarFields {
    std::array<std::uint8_t, 16> filler{};
    std::vector<SidecarEntry> entries;  // in descriptor order
    // Entry 2. When several entries carry one id, the first one counts.
    std::optional<SidecarEntry> resourceFork;
    std::uint64_t resourceForkLength = 0;
    // Entry 9, from those of its first 32 bytes that it holds.
    std::optional<FourCharCode> type, creator;
    std::optional<std::uint16_t> flags;
    std::optional<std::uint8_t> scriptCode;
    // Entry 8: the creation date in seconds since 1970, when present and known.
    std::optional<std::int64_t> creationTime;
    std::uint8_t catalogAttributes = 0;  // low byte of entry 10

    const SidecarEntry* find(std::uint32_t id) const;
};

// Parses a whole sidecar image held in memory. Returns kNoErr, or kIoErr when the
// magic, the version or a descriptor does not fit (an entry running past the
// end). Reads nothing outside the image.
int parseSidecarImage(std::span<const std::uint8_t> image, SidecarFields& fields);

// Builds a sidecar image from entries and their bytes, laid out one after the
// other in the given order (entries[i].offset and length are ignored).
struct SidecarPart {
    std::uint32_t id = 0;
    std::vector<std::uint8_t> bytes;
};
std::vector<std::uint8_t> buildSidecarImage(const std::vector<SidecarPart>& parts,
                                            const std::array<std::uint8_t, 16>& filler = {});

// The 32 bytes of file-browser information.
std::vector<std::uint8_t> browserInfoBytes(FourCharCode type, FourCharCode creator, std::uint16_t flags,
                                          std::uint8_t scriptCode = 0);

// ------------------------------------------------------------ names and paths

// "._NAME" beside the item; a trailing "/" of the item path is ignored, and "."
// and ".." are resolved first. The root has no sidecar: "".
std::string sidecarPathFor(std::string_view itemPath);
// True for a name of the form "._X" with X not empty.
bool isSidecarName(std::string_view name);
// The companion name of a sidecar name ("._X" -> "X"); "" for other names.
std::string sidecarCompanionName(std::string_view name);

// ------------------------------------------------------------------- reading

enum class SidecarState {
    Absent,      // no "._NAME"
    Present,     // read and well formed
    Unreadable,  // there, but malformed, not a plain file, or not readable
};

struct SidecarRead {
    SidecarState state = SidecarState::Absent;
    int status = 0;  // with Unreadable: why (kIoErr for a malformed sidecar)
    std::string path;
    std::uint64_t size = 0;
    SidecarFields fields;  // filled only when Present
};

// Reads the sidecar of an item: its header, its descriptors and the small entries
// 8, 9 and 10 (the resource fork is not read).
SidecarRead readSidecar(const std::string& itemPath);

// ------------------------------------------------------- file information

// Everything the comparers and the label tools read of an item: the catalog
// information of the desktop system, as this host keeps it.
struct ItemInfo {
    int status = 0;  // 0, or the status when the item itself cannot be examined
    bool isDirectory = false;
    bool isSymlink = false;              // the name is a symbolic link (its target is described)
    std::uint64_t dataForkLength = 0;    // st_size; 0 for a directory
    std::int64_t modificationTime = 0;   // st_mtime, seconds since 1970
    std::int64_t modificationNanoseconds = 0;

    SidecarState sidecar = SidecarState::Absent;
    int sidecarStatus = 0;  // with SidecarState::Unreadable

    std::uint64_t resourceForkLength = 0;  // 0 without a (readable) sidecar or entry 2
    std::optional<FourCharCode> type, creator;
    std::optional<std::uint16_t> flags;
    std::optional<std::uint8_t> scriptCode;
    std::optional<std::int64_t> creationTime;       // seconds since 1970
    std::optional<std::uint8_t> catalogAttributes;  // unset without a (readable) sidecar
};

// Reads an item's information. The item is examined through links (stat); its
// sidecar is the one beside the name. A caller that already has the item's stat
// result may pass it.
ItemInfo readItemInfo(const std::string& itemPath, const struct stat* known = nullptr);

// ------------------------------------------------------------------- forks

enum class Fork { Data, Resource };

// Reads one fork of an item in blocks: the data fork is the file's contents, the
// resource fork is entry 2 of its sidecar (length 0 without a readable sidecar
// or entry 2). Reads stay inside the fork's range.
class ForkReader {
public:
    ForkReader() = default;
    ~ForkReader();
    ForkReader(const ForkReader&) = delete;
    ForkReader& operator=(const ForkReader&) = delete;
    ForkReader(ForkReader&& other) noexcept;
    ForkReader& operator=(ForkReader&& other) noexcept;

    // Returns kNoErr or the status of the failure: kFnfErr for a missing item.
    // A data fork's length may be passed when it is already known.
    int open(const std::string& itemPath, Fork fork, std::optional<std::uint64_t> knownLength = std::nullopt);
    void close();
    bool isOpen() const { return fd_ >= 0 || (opened_ && length_ == 0); }
    std::uint64_t length() const { return length_; }
    // For a resource fork: the sidecar's state (Unreadable sidecars give length 0).
    SidecarState sidecarState() const { return sidecarState_; }
    int sidecarStatus() const { return sidecarStatus_; }

    // Reads up to n bytes from the fork offset into buffer: returns the count
    // (less than n only at the fork's end, 0 at or past it), or -1 with the status
    // (kEofErr when the file ended before the fork's recorded length).
    long readAt(std::uint64_t offset, void* buffer, std::size_t n, int& status);
    // Reads on from the current position (starting at 0), as readAt.
    long read(void* buffer, std::size_t n, int& status);
    std::uint64_t position() const { return pos_; }
    void seek(std::uint64_t offset) { pos_ = offset; }

private:
    int fd_ = -1;
    bool opened_ = false;
    std::uint64_t start_ = 0, length_ = 0, pos_ = 0;
    SidecarState sidecarState_ = SidecarState::Absent;
    int sidecarStatus_ = 0;
};

// Reads a whole fork into out (appending). Returns the status.
int readWholeFork(const std::string& itemPath, Fork fork, std::vector<std::uint8_t>& out);

// ------------------------------------------------------------------- writing

// One rewrite of an item's sidecar. Unset members are left as they are.
struct SidecarEdit {
    // New flags word = (old & ~flagsMask) | (flagsValue & flagsMask); the old word
    // is 0 without entry 9.
    std::uint16_t flagsMask = 0;
    std::uint16_t flagsValue = 0;
    std::optional<FourCharCode> type, creator;
    std::optional<std::vector<std::uint8_t>> resourceFork;  // the new contents of entry 2
};

// Applies an edit: reads the existing sidecar (kIoErr, and nothing written, when
// it is unreadable), changes only the bytes concerned, and replaces the sidecar
// atomically. A missing sidecar is created with entry 9 (32 bytes) and, when a
// resource fork is written, entry 2. An edit that changes no byte as read (bytes
// entry 9 lacks, and a missing sidecar or entry, read as 0 and as an empty fork)
// writes nothing and creates nothing; *changed tells whether the sidecar was written. The item
// must exist (kFnfErr).
int editSidecar(const std::string& itemPath, const SidecarEdit& edit, bool* changed = nullptr);

// The same edit on a sidecar image in memory: the new image, or the status.
// `existing` empty means there is no sidecar yet.
int editSidecarImage(std::span<const std::uint8_t> existing, bool exists, const SidecarEdit& edit,
                     std::vector<std::uint8_t>& out, bool& changed);

// The flags word for the label tools: 0 without a sidecar or entry 9. Returns the
// status: kFnfErr for a missing item, kIoErr for an unreadable sidecar.
int readFlags(const std::string& itemPath, std::uint16_t& flags);
// Sets the whole flags word (nothing is written when it does not change).
int writeFlags(const std::string& itemPath, std::uint16_t flags, bool* changed = nullptr);
int setTypeAndCreator(const std::string& itemPath, FourCharCode type, FourCharCode creator);
// Puts a resource fork (a resource file image) into the item's sidecar.
int writeResourceFork(const std::string& itemPath, std::span<const std::uint8_t> image);

}  // namespace lcv::platform

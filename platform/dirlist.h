// Directory listings and tree walks in which sidecar files are not items: a
// "._NAME" is left out whenever "NAME" is listed beside it (a "._NAME" without a
// companion is an ordinary entry). Every walker and listing of the project uses
// these.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lcv::platform {

// What an entry is. A symbolic link is classified by its target (isSymlink tells
// that it is one); a link whose target is missing is Dangling.
enum class EntryKind { File, Directory, Other, Dangling };

enum class ListOrder {
    Unsorted,  // the order of the system's listing
    Bytewise,  // names sorted by their bytes (memcmp order)
};

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    bool isSymlink = false;
};

// Names of a directory's entries without ".", ".." and the sidecars of listed
// companions. Returns the status of opening the directory.
int listDirectory(const std::string& dir, std::vector<std::string>& names, ListOrder order = ListOrder::Bytewise);

// The same with each entry's kind. Entries that vanish while they are examined
// are left out; an entry that cannot be examined is left out too and, when
// onError is given, handed to it with its name and errno.
int listDirectoryEntries(const std::string& dir, std::vector<DirEntry>& entries,
                         ListOrder order = ListOrder::Bytewise,
                         const std::function<void(const std::string&, int)>& onError = {});

struct WalkEntry {
    std::string relativePath;  // from the root, components joined with "/"
    EntryKind kind = EntryKind::File;
    bool isSymlink = false;
};

struct WalkOptions {
    // Order of the entries of each directory: bytewise unless a comparison is
    // given (for instance plain code-unit order from the core).
    std::function<bool(const std::string&, const std::string&)> less;
    // Called for an entry that cannot be examined (not for one that vanished) and
    // for a directory that cannot be listed, with the relative path and errno.
    std::function<void(const std::string&, int)> onError;
};

// Visits every entry below root at any depth (not root itself), depth first: a
// directory's contents follow right after it. Symbolic links are never
// descended, whatever their target. Returns the status of listing the root.
int walkTree(const std::string& root, const std::function<void(const WalkEntry&)>& visit,
             const WalkOptions& options = {});

// walkTree collected into a list.
std::vector<WalkEntry> listTree(const std::string& root, const WalkOptions& options = {}, int* status = nullptr);

}  // namespace lcv::platform

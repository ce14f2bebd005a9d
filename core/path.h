// Path operations shared by the driver and every comparer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lcv {

// Expands a leading "~", reduces "//" and "/./" to "/", removes ".." with the
// component before it in absolute paths, drops a trailing "/" (the root stays).
// A relative path keeps a leading "./"; the empty path stays empty.
std::string standardizePath(std::string_view path);
std::string expandTilde(std::string_view path);
std::string homeDirectory();

// The path without its last component, standardised ("" for a bare name).
std::string parentDirectory(std::string_view path);
std::string lastPathComponent(std::string_view path);
// The extension without the dot ("" when there is none).
std::string pathExtension(std::string_view path);
std::string deletingPathExtension(std::string_view path);
// dir + name as a path component, standardised; an empty name leaves dir.
std::string appendPathComponent(std::string_view dir, std::string_view name);
std::vector<std::string> pathComponents(std::string_view path);

// The system temporary directory: $TMPDIR when it names a directory, else "/tmp".
std::string temporaryDirectory();
// "<tmp>/lcvout_<pid>_<tag>".
std::string temporaryPath(std::string_view tag);
// "<tmp>/lcvout_<unique>" with a text unique to this process and moment.
std::string temporaryPath();

// Physical absolute path with symbolic links resolved; on failure the current
// directory of the process.
std::string physicalAbsolutePath(std::string_view path);

bool pathExists(const std::string& path);           // follows links
bool pathExistsNoFollow(const std::string& path);   // a dangling link exists
bool isDirectoryPath(const std::string& path);      // follows links
bool isRegularFilePath(const std::string& path);    // follows links

// Creates each missing ancestor of the path, mode 0777; reports a failure on
// standard error ("### Error: Could not create %s.") and stops.
void createParentDirectory(const std::string& path);

}  // namespace lcv

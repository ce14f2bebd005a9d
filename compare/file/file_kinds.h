// File-kind tests and encoding guesses shared by the file comparers. Pair tests take
// two paths, an empty path meaning that side is absent: a pair passes when every
// present side passes, and fails when both are absent.
#pragma once

#include <string>

#include "report/print_center.h"

namespace lcv {

enum class FileEncoding {
    ASCII,
    UTF8,
    UTF16,
    LegacyRoman,              // code page 10000
    LegacyJapanese,           // 10001
    LegacyChineseTraditional, // 10002
    LegacyKorean,             // 10003
    LegacyArabic,             // 10004
    LegacyCyrillic,           // 10007
    LegacyChineseSimplified,  // 10008
    LegacyIcelandic,          // 10079
};

// The encoding's display name ("Unicode (UTF-8)", "Japanese (code page 10001)", ...).
const char* encodingDisplayName(FileEncoding e);

struct FileKinds {
    static bool hasExtension(const std::string& extension, const std::string& path1, const std::string& path2);
    static bool textFile(const std::string& path);
    static bool textFilePath(const std::string& path1, const std::string& path2);
    static bool stringFilePath(const std::string& path1, const std::string& path2);
    static bool plistSynonymPath(const std::string& path1, const std::string& path2);
    static bool xmlSynonymPath(const std::string& path1, const std::string& path2);
    static bool glossarySynonymPath(const std::string& path1, const std::string& path2);
    static bool tiffFilePath(const std::string& path1, const std::string& path2);
    static bool ZentelHoardGlossaryFile(const std::string& path);
    static bool xmlFile(const std::string& path);

    // FE FF or FF FE at the start of the data fork: UTF-16; anything else UTF-8.
    static FileEncoding guessEncodingFromByteOrderMark(const std::string& path, PrintCenter* pCenter);
    // From the language directory in the path.
    static FileEncoding guessEncodingFromPath(const std::string& path);
};

}  // namespace lcv

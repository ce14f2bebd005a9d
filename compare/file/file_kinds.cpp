#include "compare/file/file_kinds.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <initializer_list>
#include <map>

#include "compare/file/fork_access.h"
#include "core/compare.h"
#include "core/path.h"
#include "core/text.h"

namespace lcv {

namespace {

bool extensionIn(const std::string& path, std::initializer_list<const char*> exts) {
    const std::string ext = pathExtension(path);
    for (const char* e : exts)
        if (ext == e) return true;
    return false;
}

bool pairTest(const std::string& p1, const std::string& p2, const std::function<bool(const std::string&)>& test) {
    if (p1.empty() && p2.empty()) return false;
    return (p1.empty() || test(p1)) && (p2.empty() || test(p2));
}

}  // namespace

const char* encodingDisplayName(FileEncoding e) {
    switch (e) {
        case FileEncoding::ASCII: return "Western (ASCII)";
        case FileEncoding::UTF8: return "Unicode (UTF-8)";
        case FileEncoding::UTF16: return "Unicode (UTF-16)";
        case FileEncoding::LegacyRoman: return "Roman (code page 10000)";
        case FileEncoding::LegacyJapanese: return "Japanese (code page 10001)";
        case FileEncoding::LegacyChineseTraditional: return "Traditional Chinese (code page 10002)";
        case FileEncoding::LegacyKorean: return "Korean (code page 10003)";
        case FileEncoding::LegacyArabic: return "Arabic (code page 10004)";
        case FileEncoding::LegacyCyrillic: return "Cyrillic (code page 10007)";
        case FileEncoding::LegacyChineseSimplified: return "Simplified Chinese (code page 10008)";
        case FileEncoding::LegacyIcelandic: return "Icelandic (code page 10079)";
    }
    return "";
}

bool FileKinds::hasExtension(const std::string& extension, const std::string& p1, const std::string& p2) {
    return pairTest(p1, p2, [&](const std::string& p) { return pathExtension(p) == extension; });
}

bool FileKinds::textFile(const std::string& path) {
    if (extensionIn(path, {"info", "plist", "searchTerms", "toolbar", "xml", "txt", "rtf", "htm", "mtpl", "m", "h",
                           "ad", "wg", "lg", "css", "eps", "html"}))
        return true;
    const ForkInfo info = readForkInfo(path);
    return info.type && (*info.type == 0x54455854u /* TEXT */ || *info.type == 0x7474726Fu /* ttro */);
}

bool FileKinds::textFilePath(const std::string& p1, const std::string& p2) { return pairTest(p1, p2, textFile); }

bool FileKinds::stringFilePath(const std::string& p1, const std::string& p2) {
    return hasExtension("strings", p1, p2);
}

bool FileKinds::plistSynonymPath(const std::string& p1, const std::string& p2) {
    return pairTest(p1, p2, [](const std::string& p) { return extensionIn(p, {"plist", "searchTerms", "toolbar"}); });
}

bool FileKinds::xmlSynonymPath(const std::string& p1, const std::string& p2) {
    if (pairTest(p1, p2, [](const std::string& p) { return extensionIn(p, {"xml", "wg", "ad", "lg"}); })) return true;
    return !p1.empty() && !p2.empty() && ZentelHoardGlossaryFile(p1) && ZentelHoardGlossaryFile(p2);
}

bool FileKinds::glossarySynonymPath(const std::string& p1, const std::string& p2) {
    if (pairTest(p1, p2, [](const std::string& p) { return extensionIn(p, {"wg", "ad", "lg"}); })) return true;
    return !p1.empty() && !p2.empty() && ZentelHoardGlossaryFile(p1) && ZentelHoardGlossaryFile(p2);
}

bool FileKinds::tiffFilePath(const std::string& p1, const std::string& p2) {
    return pairTest(p1, p2, [](const std::string& p) { return extensionIn(p, {"tiff", "tif"}); });
}

bool FileKinds::ZentelHoardGlossaryFile(const std::string& path) { return Compare::zentelHoardGlossaryFile(path); }

bool FileKinds::xmlFile(const std::string& path) { return Compare::xmlFile(path); }

FileEncoding FileKinds::guessEncodingFromByteOrderMark(const std::string& path, PrintCenter* pCenter) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (pCenter)
            pCenter->PrintMetaInfoToStdError(
                sformat("# [lcv:e:guessEncodingFromByteOrderMark:FSpOpenDF://->%s<-//:%d:]", path.c_str(),
                        statusFromErrno(errno)),
                "Error");
        return FileEncoding::UTF8;
    }
    unsigned char bom[2] = {0, 0};
    std::size_t got = 0;
    while (got < 2) {
        const ssize_t n = ::read(fd, bom + got, 2 - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (pCenter)
                pCenter->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:guessEncodingFromByteOrderMark:FSRead://->%s<-//:%d:]", path.c_str(),
                            statusFromErrno(errno)),
                    "Error");
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got == 2 && ((bom[0] == 0xFE && bom[1] == 0xFF) || (bom[0] == 0xFF && bom[1] == 0xFE)))
        return FileEncoding::UTF16;
    return FileEncoding::UTF8;
}

FileEncoding FileKinds::guessEncodingFromPath(const std::string& path) {
    using E = FileEncoding;
    static const std::map<std::string, E> table = {
        {"English.lproj", E::LegacyRoman},   {"en.lproj", E::LegacyRoman},
        {"Japanese.lproj", E::LegacyJapanese}, {"ja.lproj", E::LegacyJapanese},
        {"Danish.lproj", E::LegacyRoman},    {"da.lproj", E::LegacyRoman},
        {"German.lproj", E::LegacyRoman},    {"de.lproj", E::LegacyRoman},
        {"Spanish.lproj", E::LegacyRoman},   {"es.lproj", E::LegacyRoman},
        {"Finnish.lproj", E::LegacyRoman},   {"fi.lproj", E::LegacyRoman},
        {"French.lproj", E::LegacyRoman},    {"fr.lproj", E::LegacyRoman},
        {"Italian.lproj", E::LegacyRoman},   {"it.lproj", E::LegacyRoman},
        {"Korean.lproj", E::LegacyKorean},   {"ko.lproj", E::LegacyKorean},
        {"Dutch.lproj", E::LegacyRoman},     {"nl.lproj", E::LegacyRoman},
        {"Norwegian.lproj", E::LegacyRoman}, {"no.lproj", E::LegacyRoman},
        {"Portuguese.lproj", E::LegacyRoman}, {"pt.lproj", E::LegacyRoman},
        {"Russian.lproj", E::LegacyCyrillic}, {"ru.lproj", E::LegacyCyrillic},
        {"Swedish.lproj", E::LegacyRoman},   {"sv.lproj", E::LegacyRoman},
        {"long_name.lproj", E::LegacyRoman}, {"short_name.lproj", E::LegacyRoman},
        {"zh.lproj", E::LegacyChineseSimplified}, {"zh_CN.lproj", E::LegacyChineseSimplified},
        {"zh_TW.lproj", E::LegacyChineseTraditional}, {"zh_HK.lproj", E::LegacyChineseTraditional},
        {"is.lproj", E::LegacyIcelandic},    {"ab.lproj", E::LegacyArabic},
        {"_NewLoc", E::LegacyJapanese},      {"_OldLoc", E::LegacyJapanese},
    };
    bool fallbackRoman = false;
    const std::vector<std::string> comps = pathComponents(path);
    for (auto it = comps.rbegin(); it != comps.rend(); ++it) {
        if (*it == "_NewUS" || *it == "_NewBase" || *it == "_OldUS" || *it == "_OldBase") {
            fallbackRoman = true;
            continue;
        }
        if (auto found = table.find(*it); found != table.end()) return found->second;
    }
    return fallbackRoman ? E::LegacyRoman : E::LegacyJapanese;
}

}  // namespace lcv

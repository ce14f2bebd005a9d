#include "compare/file/compare_file_info.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <map>

#include "compare/file/fork_access.h"
#include "core/text.h"

namespace lcv {

CompareFileInfo::CompareFileInfo(const DictRef& parameters) : Compare(parameters) {}

void CompareFileInfo::DoCompare() {
    const bool file = entityName() == "finfo";
    if (!file && entityName() != "dinfo") return;
    const std::string kind = file ? "file" : "dir";
    if (printIdenticalEntity() && obj2())
        printInfoCompareResult(getIdenticalItemsInDict(), "identical", kind, entityName(), *obj2());
    printInfoCompareResultForChanged(getChangedItemsInDict(), "changed", kind, entityName());
}

namespace {

// The dictionary of this comparer's section in the property-list report.
DictRef infoSection(const Compare& c, bool file, const std::string& category) {
    const std::string word = category == "identical" ? "Identical"
                             : category == "new"     ? "New"
                             : category == "obsolete" ? "Obsolete"
                                                      : "Changed";
    if (file) return c.GetDetailedResultSection("File Info Compare Result", word + " File Info");
    auto byPath = Compare::GetOrCreatePlistDictFrom(c.reportRoot(), "Directory Info Compare Result", 16);
    auto entry = Compare::GetOrCreatePlistDictFrom(byPath, c.GetPathForPlist(), 16);
    return Compare::GetOrCreatePlistDictFrom(entry, word + " Directory Info", 16);
}

}  // namespace

void CompareFileInfo::printInfoCompareResult(std::vector<std::string> keys, const std::string& category,
                                             const std::string& kind, const std::string& entity,
                                             const Dict& targetObj) const {
    if (!pCenter()) return;
    const bool file = entity == "finfo";
    if (reportRoot()) {
        if (keys.empty()) return;
        auto section = infoSection(*this, file, category);
        for (const auto& k : keys) section->set(k, unicodeQuotedStringRepresentation(targetObj.get(k).str()));
        return;
    }
    const std::string header = GetPathForHeader();
    for (const auto& k : keys) {
        pCenter()->printStringToStdOut("# [lcv:i:" + category + ":" + kind + ":" + entity + ":" + k + ":" + header + ":] ",
                                       false);
        pCenter()->printQuotedStringToStdOut(targetObj.get(k).str(), true);
    }
}

void CompareFileInfo::printInfoCompareResultForChanged(std::vector<std::string> keys, const std::string& category,
                                                       const std::string& kind, const std::string& entity) const {
    if (!pCenter() || !obj1() || !obj2()) return;
    const bool file = entity == "finfo";
    if (reportRoot()) {
        if (keys.empty()) return;
        auto section = infoSection(*this, file, category);
        const std::string prefix = file ? "File Info Value " : "Directory Info Value ";
        for (const auto& k : keys) {
            auto pair = Dict::make(2);
            pair->set(prefix + "1", unicodeQuotedStringRepresentation(obj1()->get(k).str()));
            pair->set(prefix + "2", unicodeQuotedStringRepresentation(obj2()->get(k).str()));
            section->set(k, pair);
        }
        return;
    }
    const std::string header = GetPathForHeader();
    for (const auto& k : keys) {
        pCenter()->printStringToStdOut("# [lcv:i:" + category + ":" + kind + ":" + entity + ":" + k + ":" + header + ":] " +
                                           unicodeQuotedStringRepresentation(obj1()->get(k).str()) + getSeparater() +
                                           unicodeQuotedStringRepresentation(obj2()->get(k).str()),
                                       true);
    }
}

namespace {

// User and group names, looked up once per id.
const std::string& userName(uid_t uid) {
    static std::map<uid_t, std::string> names;
    auto it = names.find(uid);
    if (it != names.end()) return it->second;
    const passwd* pw = ::getpwuid(uid);
    return names[uid] = pw && pw->pw_name ? std::string(pw->pw_name)
                                           : sformat("\?\?\?\?\?\?\?\?(%lu)", static_cast<unsigned long>(uid));
}

const std::string& groupName(gid_t gid) {
    static std::map<gid_t, std::string> names;
    auto it = names.find(gid);
    if (it != names.end()) return it->second;
    const group* gr = ::getgrgid(gid);
    return names[gid] = gr && gr->gr_name ? std::string(gr->gr_name)
                                           : sformat("\?\?\?\?\?\?\?\?(%lu)", static_cast<unsigned long>(gid));
}

}  // namespace

std::string CompareFileInfo::GetUnixStatString(const std::string& path, bool skipLinks, PrintCenter* pCenter) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        const int e = errno;
        if (pCenter) pCenter->PrintMetaInfoToStdError(sformat("# [lcv:e:GetUnixStatString:lstat://->%s<-//:%d:]", path.c_str(), e), "Error");
        return {};
    }
    std::string s;
    switch (st.st_mode & S_IFMT) {
        case S_IFREG: s += '-'; break;
        case S_IFDIR: s += 'd'; break;
        case S_IFCHR: s += 'c'; break;
        case S_IFBLK: s += 'b'; break;
        case S_IFSOCK: s += 's'; break;
        case S_IFLNK: s += 'l'; break;
        default: s += '?';
    }
    static const char* triples[] = {"---", "--x", "-w-", "-wx", "r--", "r-x", "rw-", "rwx"};
    s += triples[(st.st_mode >> 6) & 7];
    s += triples[(st.st_mode >> 3) & 7];
    s += triples[st.st_mode & 7];
    s += ' ';
    s += skipLinks ? std::string("* ") : std::to_string(static_cast<unsigned long>(st.st_nlink)) + " ";
    s += userName(st.st_uid);
    s += ' ';
    s += groupName(st.st_gid);
    return s;
}

void CompareFileInfo::AddUnixInfoToDict(Dict& dict, const std::string& path, PrintCenter* pCenter, bool skipLinks) {
    dict.set("unix", GetUnixStatString(path, skipLinks, pCenter));
}

std::string CompareFileInfo::flagNames(unsigned flags) {
    static const struct {
        unsigned bit;
        const char* name;
    } names[] = {{0x8000, "isAlias"},      {0x4000, "isInvisible"},   {0x2000, "hasBundle"},
                 {0x1000, "nameLocked"},   {0x0800, "isStationary"},  {0x0400, "hasCustomIcon"},
                 {0x0200, "bit9"},         {0x0100, "hasBeenInited"}, {0x0080, "hasNoINITs"},
                 {0x0040, "isShared"},     {0x0020, "requiresSwitchLaunch"}, {0x0010, "hiddenExtension"},
                 {0x0008, "color_bit3"},   {0x0004, "color_bit2"},    {0x0002, "color_bit1"},
                 {0x0001, "isOnDesk"}};
    flags &= 0xFEFF;
    std::string out;
    for (const auto& n : names)
        if (flags & n.bit) out += std::string(n.name) + " ";
    if (!out.empty()) out.pop_back();
    return out;
}

std::string CompareFileInfo::attributeNames(unsigned attributes) {
    static const struct {
        unsigned bit;
        const char* name;
    } names[] = {{0x01, "fileLocked"}, {0x02, "reserved_1"}, {0x04, "resforkOpen"}, {0x08, "dataforkOpen"},
                 {0x10, "directory"},  {0x20, "reserved_5"}, {0x40, "reserved_6"},  {0x80, "fileOpen"}};
    attributes &= 0x9D;
    std::string out;
    for (const auto& n : names)
        if (attributes & n.bit) out += std::string(n.name) + " ";
    if (!out.empty()) out.pop_back();
    return out;
}

std::string CompareFileInfo::dateText(double secondsSince1970) {
    const std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm tm{};
    localtime_r(&t, &tm);
    return sformat("%d/%d/%d %d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                   tm.tm_sec);
}

void CompareFileInfo::AddZixInfoToDict(Dict& dict, const std::string& path, const ForkInfo& info, bool skipCdate,
                                       bool skipMdate, PrintCenter* pCenter) {
    if (info.sidecar == platform::SidecarState::Unreadable && pCenter) {
        pCenter->PrintMetaInfoToStdError(
            sformat("# [lcv:e:CompareFile:AddZixInfoToDict://->%s<-//:] FSpGetFInfo error = %d.", path.c_str(),
                    info.sidecarStatus),
            "Error");
    }
    if (info.type) dict.set("type", fourCharText(*info.type));
    if (info.creator) dict.set("creator", fourCharText(*info.creator));
    if (info.flags) dict.set("flags", flagNames(*info.flags));
    if (!skipCdate && info.creationTime) dict.set("cdate", dateText(static_cast<double>(*info.creationTime)));
    if (!skipMdate && info.status == 0) dict.set("mdate", dateText(static_cast<double>(info.modificationTime)));
    if (info.catalogAttributes) dict.set("ioFlAttrib", attributeNames(*info.catalogAttributes));
    if (info.scriptCode) dict.set("script", sformat("0x%02X", *info.scriptCode));
}

}  // namespace lcv

#include "compare/file/fork_compare.h"

#include <algorithm>
#include <cstring>

#include "core/compare.h"
#include "core/path.h"
#include "core/text.h"

namespace lcv {

namespace {

void appendRun(std::string& out, const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (i && i % 2 == 0) out += ' ';
        out += sformat("%02X", bytes[i]);
    }
    out += " [";
    for (std::size_t i = 0; i < n; ++i) out += (bytes[i] >= 32 && bytes[i] <= 126) ? static_cast<char>(bytes[i]) : '.';
    out += ']';
}

}  // namespace

bool binaryForkCompare(bool resourceFork, const std::string& path1, const std::string& path2, std::uint64_t len1,
                       std::uint64_t len2, std::uint8_t* b1, std::uint8_t* b2, bool hexDump, const std::string& header,
                       PrintCenter* pc) {
    const char* who = resourceFork ? "BinaryRFCompare" : "BinaryDFCompare";
    const char* openCall = resourceFork ? "FSpOpenRF" : "FSpOpenDF";
    const char* kind = resourceFork ? "RF" : "DF";
    auto error = [&](const std::string& line) {
        if (pc) pc->PrintMetaInfoToStdError(line, "Error");
    };
    if (len1 != len2) return false;
    if (len1 == 0) return true;
    ForkReader f1, f2;
    const platform::Fork fork = resourceFork ? platform::Fork::Resource : platform::Fork::Data;
    int status = f1.open(path1, fork, len1);
    if (status != 0) {
        error(sformat("# [lcv:e:%s:%s://->%s<-//:%d:]", who, status == -43 ? "GetFSSpecFromPath" : openCall,
                      path1.c_str(), status));
        return false;
    }
    status = f2.open(path2, fork, len2);
    if (status != 0) {
        error(sformat("# [lcv:e:%s:%s://->%s<-//:%d:]", who, status == -43 ? "GetFSSpecFromPath" : openCall,
                      path2.c_str(), status));
        return false;
    }

    bool same = true;
    std::size_t dumped = 0;
    std::uint64_t offset = 0;
    for (;;) {
        int s1 = 0, s2 = 0;
        const long n1 = f1.read(b1, kScratchBufferSize, s1);
        if (n1 < 0) error(sformat("# [lcv:e:%s:FSRead://->%s<-//:%d:]", who, path1.c_str(), s1));
        const long n2 = f2.read(b2, kScratchBufferSize, s2);
        if (n2 < 0) error(sformat("# [lcv:e:%s:FSRead://->%s<-//:%d:]", who, path2.c_str(), s2));
        if (n1 < 0 || n2 < 0 || n1 != n2) return false;
        const auto n = static_cast<std::size_t>(n1);
        const bool full = n == kScratchBufferSize;
        if (n > 0 && std::memcmp(b1, b2, n) != 0) {
            same = false;
            if (!hexDump) return false;
            dumped += hexDumpBlock(kind, offset, b1, b2, n, header, pc);
            if (full && dumped > kScratchBufferSize) {
                error(sformat(resourceFork ? "# [lcv:e:%s:%s:]  Exceeded dump size limit."
                                           : "# [lcv:e:%s:%s:] Exceeded dump size limit.",
                              who, header.c_str()));
                return false;
            }
        }
        if (!full) return same;
        offset += n;
    }
}

bool BinaryDFCompare(const std::string& path1, const std::string& path2, std::uint8_t* buffer1, std::uint8_t* buffer2,
                     bool hexDump, const std::string& header, PrintCenter* pCenter) {
    const ForkInfo i1 = readForkInfo(path1), i2 = readForkInfo(path2);
    return binaryForkCompare(false, path1, path2, i1.dataForkLength, i2.dataForkLength, buffer1, buffer2, hexDump, header,
                             pCenter);
}

bool BinaryRFCompare(const std::string& path1, const std::string& path2, std::uint8_t* buffer1, std::uint8_t* buffer2,
                     bool hexDump, const std::string& header, PrintCenter* pCenter) {
    const ForkInfo i1 = readForkInfo(path1), i2 = readForkInfo(path2);
    return binaryForkCompare(true, path1, path2, i1.resourceForkLength, i2.resourceForkLength, buffer1, buffer2, hexDump,
                             header, pCenter);
}

std::size_t hexDumpBlock(const char* kind, std::uint64_t offset, const std::uint8_t* block1,
                         const std::uint8_t* block2, std::size_t length, const std::string& header,
                         PrintCenter* pCenter) {
    std::size_t total = 0;
    std::size_t i = 0;
    while (i < length) {
        if (block1[i] == block2[i]) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < length && block1[i] != block2[i] && i - start < 16) ++i;
        const std::size_t n = i - start;
        total += n;
        if (!pCenter) continue;
        std::string line = sformat("# [lcv:i:changed:file:%s:byte:%08lX:%s:] ", kind,
                                   static_cast<unsigned long>(offset + start), header.c_str());
        appendRun(line, block1 + start, n);
        line += Compare::getSeparater();
        appendRun(line, block2 + start, n);
        pCenter->printStringToStdOut(line, true);
    }
    return total;
}

}  // namespace lcv

namespace lcv {

namespace {

// Appends a whole fork to out in blocks through the scratch buffer; a read error
// is reported and ends the reading.
void readDataFromFork(platform::ForkReader& fork, const std::string& path, std::uint8_t* block, Data& out,
                      PrintCenter* pc) {
    out.reserve(static_cast<std::size_t>(fork.length()));
    for (;;) {
        int status = 0;
        const long n = fork.read(block, kScratchBufferSize, status);
        if (n < 0) {
            if (pc)
                pc->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:readDataFromFork:FSRead://->%s<-//:%d:]", path.c_str(), status), "Error");
            return;
        }
        out.insert(out.end(), block, block + n);
        if (static_cast<std::size_t>(n) < kScratchBufferSize) return;
    }
}

platform::ResourceFilter filterOf(const RunContext* run) {
    platform::ResourceFilter filter;
    if (!run) return filter;
    for (const auto& e : run->resTypeFilter) filter.types.push_back(e.type);
    for (const auto& e : run->resTypeIdFilter) filter.typeIds.emplace_back(e.type, e.id);
    return filter;
}

}  // namespace

bool PureResCompare(bool dataFork, const std::string& path1, const std::string& path2, std::uint8_t* buffer1,
                    std::uint8_t* buffer2, bool debug, PrintCenter* pCenter, const RunContext* run) {
    (void)buffer2;
    const ForkInfo i1 = readForkInfo(path1), i2 = readForkInfo(path2);
    const auto len1 = static_cast<std::uint32_t>(dataFork ? i1.dataForkLength : i1.resourceForkLength);
    const auto len2 = static_cast<std::uint32_t>(dataFork ? i2.dataForkLength : i2.resourceForkLength);
    const bool noFilters = !run || (run->resTypeFilter.empty() && run->resTypeIdFilter.empty());
    if (len1 != len2 && !debug && noFilters) return false;
    if (len1 == 0) return true;

    Data images[2];
    const std::string* paths[2] = {&path1, &path2};
    for (int k = 0; k < 2; ++k) {
        platform::ForkReader fork;
        const int status = fork.open(*paths[k], dataFork ? platform::Fork::Data : platform::Fork::Resource);
        if (status != 0) {
            const char* call = status == platform::kFnfErr ? "PureResCompare:GetFSSpecFromPath"
                               : dataFork                   ? "PureResCompare:FSpOpenDF"
                                                            : "BinaryRFCompare:FSpOpenRF";
            if (pCenter)
                pCenter->PrintMetaInfoToStdError(
                    sformat("# [lcv:e:%s://->%s<-//:%d:]", call, paths[k]->c_str(), status), "Error");
            return false;
        }
        readDataFromFork(fork, *paths[k], buffer1, images[k], pCenter);
    }
    const platform::ResourceFilter filter = filterOf(run);
    platform::ParsedResourceMap maps[2];
    for (int k = 0; k < 2; ++k) {
        maps[k] = platform::parseResourceMapImage(images[k], filter);
        if (!maps[k].ok()) {
            if (pCenter && maps[k].failure)
                pCenter->PrintMetaInfoToStdError(platform::isValidAddrLine(*maps[k].failure, *paths[k]), "Error");
            return false;
        }
    }
    if (debug && pCenter) {
        for (int k = 0; k < 2; ++k) {
            pCenter->printStringToStdOut("# [lcv:d:] Res dump for " + *paths[k], true);
            for (const auto& r : maps[k].records) {
                std::string line = "# [lcv:d:] " + fourCharText(r.type) + " " +
                                   sformat("%6d %3u %10lX %10lu ", r.id, static_cast<unsigned>(r.attributes),
                                           static_cast<unsigned long>(r.dataPosition),
                                           static_cast<unsigned long>(r.dataLength));
                if (r.name) line += platform::romanToUtf8(*r.name);
                pCenter->printStringToStdOut(line, true);
            }
        }
    }
    if (maps[0].attributeByte != maps[1].attributeByte || maps[0].records.size() != maps[1].records.size())
        return false;
    for (auto& m : maps) {
        std::stable_sort(m.records.begin(), m.records.end(), [](const auto& a, const auto& b) {
            return a.type != b.type ? a.type < b.type : a.id < b.id;
        });
    }
    for (std::size_t i = 0; i < maps[0].records.size(); ++i) {
        const auto& a = maps[0].records[i];
        const auto& b = maps[1].records[i];
        if (a.type != b.type || a.id != b.id || a.attributes != b.attributes || a.name != b.name ||
            a.dataLength != b.dataLength)
            return false;
        if (a.dataLength && std::memcmp(images[0].data() + a.dataPosition, images[1].data() + b.dataPosition,
                                        static_cast<std::size_t>(a.dataLength)) != 0)
            return false;
    }
    return true;
}

ResourceLocation probeResourceLocation(const std::string& path, const ForkInfo& info) {
    const platform::ResourceLocation loc =
        platform::probeResourceLocation(path, info.dataForkLength, info.resourceForkLength);
    return {loc.rf, loc.df};
}

void AddResTypeToDict(Dict& dict, const std::string& path, bool hasResourceFork, bool dataForkIsResourceFile,
                      PrintCenter* pCenter, const RunContext* run) {
    if (!hasResourceFork && !dataForkIsResourceFile) return;
    auto error = [&](const std::string& line) {
        if (pCenter) pCenter->PrintMetaInfoToStdError(line, "Error");
    };
    if (!pathExists(path)) {
        error(sformat("# [lcv:e:AddResTypeToDict:GetFSSpecFromPath:%d://->%s<-//:]", platform::kFnfErr, path.c_str()));
        return;
    }
    std::vector<platform::ResType> types;
    const int status = platform::resourceTypes(path, dataForkIsResourceFile, types);
    if (status != 0) {
        error(sformat("# [lcv:e:AddResTypeToDict:FSpOpenResFile/FSpOpenDataForkAsResourceFile:%d://->%s<-//:]", status,
                      path.c_str()));
        return;
    }
    const platform::ResourceFilter filter = filterOf(run);
    for (platform::ResType type : types) {
        if (filter.skipsType(type)) continue;
        const std::string text = fourCharText(type);
        dict.set(text, text);
    }
}

int getResfileAttrs(const std::string& path, std::uint16_t& attributes, bool dataFork, PrintCenter* pCenter) {
    auto error = [&](const char* call, int status) {
        if (pCenter)
            pCenter->PrintMetaInfoToStdError(
                sformat("# [lcv:e:getResfileAttrs:%s:%d://->%s<-//:]", call, status, path.c_str()), "Error");
        return status;
    };
    if (!pathExists(path)) return error("GetFSSpecFromPath", platform::kFnfErr);
    const int status = platform::resourceFileAttributes(path, dataFork, attributes);
    if (status != 0) return error("FSpOpenResFile/FSpOpenDataForkAsResourceFile", status);
    return 0;
}

}  // namespace lcv

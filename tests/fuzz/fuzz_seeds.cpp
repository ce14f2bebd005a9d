// Writes a few well-formed sidecars and resource files into two directories, as
// starting points for the fuzzers: fuzz_seeds SIDECAR_DIR RESOURCE_DIR.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/resource_file.h"
#include "platform/sidecar.h"

using namespace lcv::platform;

namespace {

void put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

std::vector<std::uint8_t> v(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds SIDECAR_DIR RESOURCE_DIR\n");
        return 2;
    }
    const std::string sd = argv[1], rd = argv[2];
    std::vector<std::vector<std::uint8_t>> maps;
    std::vector<std::uint8_t> img;
    buildResourceFile({}, 0, img);
    maps.push_back(img);
    buildResourceFile({{fourCharCode("STR "), 128, std::string("Hello"), 0x20, v("\x05Hello")},
                       {fourCharCode("ICON"), 1, std::nullopt, 0, v("icon")},
                       {fourCharCode("STR "), -1, std::nullopt, 1, {}}},
                      0x0080, img);
    maps.push_back(img);
    buildResourceFile({{fourCharCode("lcks"), 128, std::string("Lyt Checksum Resource."), 0, std::vector<std::uint8_t>(262, 0)}},
                      0, img);
    maps.push_back(img);
    for (std::size_t i = 0; i < maps.size(); ++i) put(rd + "/map" + std::to_string(i), maps[i]);

    std::vector<std::uint8_t> info = browserInfoBytes(fourCharCode("TEXT"), fourCharCode("ttxt"), 0x010C, 3);
    put(sd + "/info", buildSidecarImage({{kEntryBrowserInfo, info}}));
    put(sd + "/full", buildSidecarImage({{kEntryBrowserInfo, info},
                                         {kEntryDates, v(std::string("\x00\x00\x01\x00\x80\x00\x00\x00", 8) +
                                                         std::string(8, '\0'))},
                                         {kEntryCatalogAttributes, v(std::string("\x00\x00\x00\x01", 4))},
                                         {0x4242, v("unknown")},
                                         {kEntryResourceFork, maps[1]}}));
    info.resize(60, 'x');
    put(sd + "/long9", buildSidecarImage({{kEntryResourceFork, maps[0]}, {kEntryBrowserInfo, info}}));
    return 0;
}

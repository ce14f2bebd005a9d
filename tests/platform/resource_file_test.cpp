// Resource files: the writer, the map parser and its range checks, the resource
// file service and the resource location probe.
#include <gtest/gtest.h>

#include "e2e_util.h"
#include "fixtures.h"
#include "platform/resource_file.h"
#include "platform/sidecar.h"
#include "platform/status.h"

using namespace lcv::platform;
using lcvtest::TempDir;

namespace {

std::vector<std::uint8_t> bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }
std::uint32_t be32(const std::string& s, std::size_t at) {
    return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint8_t(s[at + 3]);
}
std::uint16_t be16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>((std::uint8_t(s[at]) << 8) | std::uint8_t(s[at + 1]));
}
void put16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v >> 8);
    s[at + 1] = static_cast<char>(v & 0xFF);
}
void put32(std::string& s, std::size_t at, std::uint32_t v) {
    put16(s, at, static_cast<std::uint16_t>(v >> 16));
    put16(s, at + 2, static_cast<std::uint16_t>(v & 0xFFFF));
}
ResType code(const char* s) { return fourCharCode(s); }

ResourceSpec spec(const char* type, std::int16_t id, std::optional<std::string> name, std::uint8_t attrs,
                  const std::string& data) {
    return ResourceSpec{code(type), id, std::move(name), attrs, bytes(data)};
}

std::string build(const std::vector<ResourceSpec>& specs, std::uint16_t attrs = 0) {
    std::vector<std::uint8_t> image;
    EXPECT_EQ(buildResourceFile(specs, attrs, image), kNoErr);
    return std::string(image.begin(), image.end());
}

// Where the parts of a one-type image lie.
struct Places {
    std::size_t map, nameList, typeEntry, refs;
};
Places places(const std::string& img) {
    Places p;
    p.map = be32(img, 4);
    p.nameList = p.map + be16(img, p.map + 26);
    p.typeEntry = p.map + 30;
    p.refs = p.map + 28 + be16(img, p.typeEntry + 6);
    return p;
}

ParsedResourceMap parse(const std::string& img, const ResourceFilter& filter = {}) {
    // A buffer of exactly the image's size, so that the sanitizer sees any read
    // past its end.
    std::vector<std::uint8_t> exact(img.begin(), img.end());
    return parseResourceMapImage(exact, filter);
}

}  // namespace

TEST(ResourceWriter, SameBytesAsTheTestFixture) {
    const std::vector<lcvtest::Resource> fx = {{"STR ", 128, std::string("Hi"), 0x20, "\x02Hi"},
                                               {"ICON", 1, std::nullopt, 0, "xx"},
                                               {"STR ", -5, std::string(""), 1, ""}};
    std::vector<ResourceSpec> specs;
    for (const auto& r : fx) specs.push_back(spec(r.type.c_str(), r.id, r.name, r.attributes, r.data));
    EXPECT_EQ(build(specs, 0x0080), lcvtest::resourceFile(fx, 0x0080));
    EXPECT_EQ(build({}), lcvtest::resourceFile({}));
}

TEST(ResourceWriter, RejectsWhatDoesNotFit) {
    std::vector<std::uint8_t> image;
    EXPECT_EQ(buildResourceFile({spec("STR ", 1, std::string(256, 'n'), 0, "")}, 0, image), kParamErr);
    EXPECT_EQ(buildResourceFile({spec("STR ", 1, std::string(255, 'n'), 0, "")}, 0, image), kNoErr);
}

TEST(ResourceMap, RecordsInMapOrderWithEveryField) {
    const std::string img = build({spec("STR ", 128, std::string("Hello"), 0x21, "\x05Hello"),
                                   spec("ICON", 1, std::nullopt, 0, "icon-bits"), spec("STR ", -2, std::nullopt, 4, "")},
                                  0x8080);
    const ParsedResourceMap m = parse(img);
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(m.attributeByte, 0x80);
    EXPECT_EQ(m.attributeWord, 0x8080);
    ASSERT_EQ(m.count(), 3u);
    EXPECT_EQ(m.records[0].type, code("STR "));
    EXPECT_EQ(m.records[0].id, 128);
    EXPECT_EQ(m.records[0].name, std::string("Hello"));
    EXPECT_EQ(m.records[0].attributes, 0x21);
    EXPECT_EQ(m.records[0].dataPosition, 260u);
    EXPECT_EQ(m.records[0].dataLength, 6u);
    EXPECT_EQ(img.substr(m.records[0].dataPosition, 6), "\x05Hello");
    EXPECT_EQ(m.records[1].type, code("STR "));
    EXPECT_EQ(m.records[1].id, -2);
    EXPECT_FALSE(m.records[1].name);
    EXPECT_EQ(m.records[1].dataLength, 0u);
    EXPECT_EQ(m.records[2].type, code("ICON"));
    EXPECT_EQ(img.substr(m.records[2].dataPosition, m.records[2].dataLength), "icon-bits");
}

TEST(ResourceMap, EmptyMapHasNoTypes) {
    const ParsedResourceMap m = parse(build({}));
    EXPECT_TRUE(m.ok());
    EXPECT_EQ(m.count(), 0u);
    ResourceFile f;
    ASSERT_EQ(ResourceFile::fromImage(bytes(build({})), f), kNoErr);
    EXPECT_EQ(f.countTypes(), 0);
}

TEST(ResourceMap, FiltersLeaveResourcesOutBeforeTheyAreChecked) {
    std::string img = build({spec("ICON", 1, std::nullopt, 0, "xx"), spec("STR ", 5, std::nullopt, 0, "s"),
                             spec("STR ", 6, std::nullopt, 0, "t")});
    ResourceFilter filter;
    filter.typeIds.push_back({code("STR "), 6});
    ParsedResourceMap m = parse(img, filter);
    ASSERT_TRUE(m.ok());
    ASSERT_EQ(m.count(), 2u);
    EXPECT_EQ(m.records[0].type, code("ICON"));
    EXPECT_EQ(m.records[1].id, 5);

    // A damaged reference list of a filtered type is never looked at.
    const Places p = places(img);
    put16(img, p.typeEntry + 6, 0xFFF0);  // ICON's list now points past the end
    EXPECT_FALSE(parse(img).ok());
    filter.types.push_back(code("ICON"));
    m = parse(img, filter);
    ASSERT_TRUE(m.ok());
    ASSERT_EQ(m.count(), 1u);
    EXPECT_EQ(m.records[0].id, 5);
}

TEST(ResourceMap, EachDamageNamesItsField) {
    const std::string good = build({spec("STR ", 1, std::string("name"), 0, "abc")});
    const Places p = places(good);
    const std::uint64_t L = good.size();
    struct Case {
        const char* label;
        std::string image;
        MapCheckFailure expected;
    };
    std::vector<Case> cases;
    cases.push_back({"header cut", good.substr(0, 10), {"resourceDataOffset", 10, 0, 16}});
    std::string s = good;
    put32(s, 0, 0x7FFF0000);
    cases.push_back({"data offset past the end", s, {"resourceDataOffset", L, 0x7FFF0000, 0}});
    s = good;
    put32(s, 4, static_cast<std::uint32_t>(L - 10));
    cases.push_back({"map offset past the end", s, {"resourceMapOffset", L, L - 10, 30}});
    s = good;
    put16(s, p.map + 28, 0x0100);
    cases.push_back({"type list past the end", s, {"typeList", L, p.map + 30, 8 * 257}});
    s = good;
    put16(s, p.typeEntry + 6, 0xFFF0);
    cases.push_back({"reference list past the end", s, {"typeList", L, p.map + 28 + 0xFFF0, 12}});
    s = good;
    put16(s, p.refs + 2, 0xFF00);
    cases.push_back({"name length byte past the end", s, {"resName", L, p.nameList + 0xFF00, 1}});
    s = good;
    s[p.nameList] = static_cast<char>(200);
    cases.push_back({"name past the end", s, {"resName", L, p.nameList + 1, 200}});
    s = good;
    s[p.refs + 5] = '\0';
    put16(s, p.refs + 6, 0xFFFF);
    cases.push_back({"data length word past the end", s, {"resData", L, 256 + 0xFFFF, 4}});
    s = good;
    put32(s, 256, 1000);
    cases.push_back({"data past the end", s, {"resData", L, 260, 1000}});

    for (const auto& c : cases) {
        const ParsedResourceMap m = parse(c.image);
        EXPECT_FALSE(m.ok()) << c.label;
        EXPECT_EQ(m.status, -1) << c.label;
        ASSERT_TRUE(m.failure) << c.label;
        EXPECT_EQ(m.failure->field, c.expected.field) << c.label;
        EXPECT_EQ(m.failure->imageLength, c.expected.imageLength) << c.label;
        EXPECT_EQ(m.failure->offset, c.expected.offset) << c.label;
        EXPECT_EQ(m.failure->length, c.expected.length) << c.label;
    }
}

TEST(ResourceMap, TheReportLine) {
    EXPECT_EQ(isValidAddrLine({"resData", 313, 260, 1000}, "/a/b c/f"),
              "# [lcv:e:IsValidAddr:resData://->/a/b c/f<-//:] (313, 260, 1000)");
    // Numbers beyond 32 bits print as the original's %d did.
    EXPECT_EQ(isValidAddrLine({"resourceDataOffset", 20, 0xFFFFFFF0u, 0}, "p"),
              "# [lcv:e:IsValidAddr:resourceDataOffset://->p<-//:] (20, -16, 0)");
    EXPECT_TRUE(isValidAddr(10, 10, 0));
    EXPECT_FALSE(isValidAddr(10, 11, 0));
    EXPECT_FALSE(isValidAddr(10, 2, UINT64_MAX));
}

TEST(ResourceMap, EveryPrefixAndEveryDamagedByteIsSafe) {
    const std::string good = build({spec("STR ", 1, std::string("name"), 0x20, "abc"),
                                     spec("ICON", 2, std::nullopt, 0, std::string(20, 'i')),
                                     spec("STR ", 3, std::string("x"), 0, "")});
    for (std::size_t n = 0; n < good.size(); ++n) {
        const ParsedResourceMap m = parse(good.substr(0, n));
        EXPECT_FALSE(m.ok()) << n;  // the map is at the end: any cut damages it
        EXPECT_TRUE(m.failure) << n;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (int v : {0x00, 0x7F, 0xFF}) {
            std::string s = good;
            s[at] = static_cast<char>(v);
            const ParsedResourceMap m = parse(s);
            EXPECT_EQ(m.ok(), !m.failure) << at;
            ResourceFile f;
            if (ResourceFile::fromImage(bytes(s), f) != kNoErr) continue;
            for (const ResourceRef& ref : f.allResources()) {
                ResourceInfo info;
                std::span<const std::uint8_t> data;
                std::uint64_t size = 0;
                std::uint8_t attrs = 0;
                f.info(ref, info);
                f.attributes(ref, attrs);
                if (f.dataSize(ref, size) == kNoErr && f.data(ref, data) == kNoErr) {
                    EXPECT_EQ(size, data.size());
                }
            }
        }
    }
}

TEST(ResourceFileService, CountEnumerateAndRead) {
    const std::string img = build({spec("STR#", 128, std::string("List"), 0x20, "list-data"),
                                   spec("vers", 1, std::nullopt, 0, "v"), spec("STR#", 129, std::nullopt, 0x01, "")},
                                  0x0021);
    ResourceFile f;
    ASSERT_EQ(ResourceFile::fromImage(bytes(img), f), kNoErr);
    EXPECT_EQ(f.attributes(), 0x0021);
    ASSERT_EQ(f.countTypes(), 2);
    ResType t = 0;
    ASSERT_EQ(f.typeAt(1, t), kNoErr);
    EXPECT_EQ(fourCharText(t), "STR#");
    ASSERT_EQ(f.typeAt(2, t), kNoErr);
    EXPECT_EQ(fourCharText(t), "vers");
    EXPECT_EQ(f.typeAt(3, t), kResNotFound);
    EXPECT_EQ(f.typeAt(0, t), kResNotFound);
    EXPECT_EQ(f.countOfType(code("STR#")), 2);
    EXPECT_EQ(f.countOfType(code("vers")), 1);
    EXPECT_EQ(f.countOfType(code("MENU")), 0);

    ResourceRef ref;
    ASSERT_EQ(f.resourceAt(code("STR#"), 2, ref), kNoErr);
    ResourceInfo info;
    ASSERT_EQ(f.info(ref, info), kNoErr);
    EXPECT_EQ(info.id, 129);
    EXPECT_EQ(info.type, code("STR#"));
    EXPECT_FALSE(info.hasName);
    std::uint8_t attrs = 0;
    ASSERT_EQ(f.attributes(ref, attrs), kNoErr);
    EXPECT_EQ(attrs, 0x01);
    std::uint64_t size = 9;
    ASSERT_EQ(f.dataSize(ref, size), kNoErr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(f.resourceAt(code("STR#"), 3, ref), kResNotFound);
    EXPECT_EQ(f.resourceAt(code("MENU"), 1, ref), kResNotFound);

    ASSERT_EQ(f.find(code("STR#"), 128, ref), kNoErr);
    ASSERT_EQ(f.info(ref, info), kNoErr);
    EXPECT_EQ(info.name, "List");
    EXPECT_TRUE(info.hasName);
    std::span<const std::uint8_t> data;
    ASSERT_EQ(f.data(ref, data), kNoErr);
    EXPECT_EQ(std::string(data.begin(), data.end()), "list-data");
    EXPECT_EQ(f.find(code("STR#"), 130, ref), kResNotFound);
    EXPECT_EQ(f.allResources().size(), 3u);

    // A name or data that runs past the end is reported when it is read.
    std::string bad = img;
    const Places p = places(img);
    bad[p.nameList] = static_cast<char>(250);
    ASSERT_EQ(ResourceFile::fromImage(bytes(bad), f), kNoErr);
    ASSERT_EQ(f.find(code("STR#"), 128, ref), kNoErr);
    EXPECT_EQ(f.info(ref, info), kMapReadErr);
}

TEST(ResourceFileService, OpenFromEitherFork) {
    TempDir t;
    const std::string img = build({spec("TEXT", 128, std::nullopt, 0, "text")}, 0x0080);
    t.write("indata", img);
    t.write("inrf", "plain data fork that is long enough");
    ASSERT_EQ(writeResourceFork(t / "inrf", bytes(img)), kNoErr);
    t.write("none", "no resources here at all");

    ResourceFile f;
    ASSERT_EQ(ResourceFile::open(t / "indata", true, f), kNoErr);
    EXPECT_EQ(f.countTypes(), 1);
    ASSERT_EQ(ResourceFile::open(t / "inrf", false, f), kNoErr);
    EXPECT_EQ(f.countOfType(code("TEXT")), 1);
    EXPECT_EQ(ResourceFile::open(t / "indata", false, f), kResNotFound);
    EXPECT_EQ(ResourceFile::open(t / "none", true, f), kMapReadErr);
    EXPECT_EQ(ResourceFile::open(t / "missing", true, f), kFnfErr);
    EXPECT_EQ(ResourceFile::open(t / "missing", false, f), kFnfErr);

    std::uint16_t attrs = 0;
    EXPECT_EQ(resourceFileAttributes(t / "indata", true, attrs), kNoErr);
    EXPECT_EQ(attrs, 0x0080);
    std::vector<ResType> types;
    EXPECT_EQ(resourceTypes(t / "inrf", false, types), kNoErr);
    EXPECT_EQ(types, std::vector<ResType>{code("TEXT")});

    ResourceLocation loc = probeResourceLocation(t / "indata");
    EXPECT_TRUE(loc.df);
    EXPECT_FALSE(loc.rf);
    loc = probeResourceLocation(t / "inrf");
    EXPECT_FALSE(loc.df);
    EXPECT_TRUE(loc.rf);
    loc = probeResourceLocation(t / "none");
    EXPECT_FALSE(loc.df || loc.rf);

    // A header that fits the length but a map that does not open.
    std::string damaged = img;
    put16(damaged, places(img).typeEntry + 6, 0xFFF0);
    t.write("damaged", damaged);
    EXPECT_TRUE(resourceHeaderFitsLength(bytes(damaged.substr(0, 16)), damaged.size()));
    EXPECT_FALSE(probeResourceLocation(t / "damaged").df);
    EXPECT_EQ(ResourceFile::open(t / "damaged", true, f), kMapReadErr);
    ASSERT_TRUE(f.openFailure());
    EXPECT_EQ(f.openFailure()->field, "typeList");
}

TEST(FourCharCodes, RomanText) {
    EXPECT_EQ(fourCharText(code("STR#")), "STR#");
    EXPECT_EQ(fourCharText(0x434349AA), "CCI\xE2\x84\xA2");  // the trade-mark sign
    EXPECT_EQ(fourCharCodeFromText("CCI\xE2\x84\xA2"), 0x434349AAu);
    EXPECT_FALSE(fourCharCodeFromText("STR"));
    EXPECT_FALSE(fourCharCodeFromText("\xE4\xB8\x80\x41\x41\x41"));  // not in the code page
    EXPECT_EQ(romanToUtf8("\x80\xDB"), "\xC3\x84\xE2\x82\xAC");
}

// Property-list files: XML and binary reading through libplist, format detection,
// the XML writer and the atomic file write.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <plist/plist.h>

#include "core/plist_io.h"
#include "e2e_util.h"

using namespace lcv;
using lcvtest::TempDir;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<std::string> dirEntries(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

Value sampleValue() {
    DictRef d = Dict::make();
    d->set("name", "Fen\xC3\xAAtre \xF0\x9F\x98\x80 <&>");
    d->set("count", 42);
    d->set("negative", -7);
    d->set("big", 1LL << 40);
    d->set("ratio", 0.25);
    d->set("yes", true);
    d->set("no", false);
    d->set("bytes", Data{0x00, 0x01, 0xFE, 0xFF});
    d->set("when", Date{1700000000});
    d->set("epoch", Date{0});
    ArrayRef a = Array::make();
    a->push_back("x");
    a->push_back(Dict::make());
    a->push_back(Array::make());
    DictRef inner = Dict::make();
    inner->set("list", a);
    d->set("inner", inner);
    d->set("empty", "");
    return Value(d);
}

TEST(PlistIo, XmlRoundTripThroughAFile) {
    TempDir dir;
    const std::string path = dir / "out.plist";
    const Value v = sampleValue();
    std::string error;
    ASSERT_TRUE(writeXmlPlist(path, v, error)) << error;
    EXPECT_EQ(dirEntries(dir.path()), (std::vector<std::string>{"out.plist"}));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(slurp(path).rfind("<?xml", 0), 0u);

    Value back;
    PlistFormat format{};
    ASSERT_TRUE(readPlistFile(path, back, error, &format)) << error;
    EXPECT_EQ(format, PlistFormat::Xml);
    EXPECT_EQ(back, v);
    EXPECT_EQ(back.dict()->get("negative").integer(), -7);

    // Rewriting replaces the old contents.
    DictRef small = Dict::make();
    small->set("k", "v");
    ASSERT_TRUE(writeXmlPlist(path, Value(small), error)) << error;
    ASSERT_TRUE(readPlistFile(path, back, error)) << error;
    EXPECT_EQ(back, Value(small));
    EXPECT_EQ(dirEntries(dir.path()), (std::vector<std::string>{"out.plist"}));
}

TEST(PlistIo, ReadsBinaryAndConvertsDates) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<plist version=\"1.0\"><dict>"
        "<key>ref</key><date>2001-01-01T00:00:00Z</date>"
        "<key>unix</key><date>1970-01-01T00:00:00Z</date>"
        "<key>n</key><integer>-3</integer>"
        "<key>list</key><array><string>a</string><real>1.5</real><true/></array>"
        "</dict></plist>\n";
    Value fromXml;
    std::string error;
    ASSERT_TRUE(readPlistBytes(xml, fromXml, error)) << error;
    ASSERT_TRUE(fromXml.isDict());
    EXPECT_EQ(fromXml.dict()->get("ref"), Value(Date{978307200}));
    EXPECT_EQ(fromXml.dict()->get("unix"), Value(Date{0}));
    EXPECT_EQ(fromXml.dict()->get("n"), Value(-3));

    // A binary document of the same content, made by libplist itself.
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
    ASSERT_NE(node, nullptr);
    char* bin = nullptr;
    uint32_t len = 0;
    plist_to_bin(node, &bin, &len);
    plist_free(node);
    ASSERT_NE(bin, nullptr);
    const std::string binary(bin, len);
    plist_to_bin_free(bin);

    Value fromBinary;
    PlistFormat format{};
    ASSERT_TRUE(readPlistBytes(binary, fromBinary, error, &format)) << error;
    EXPECT_EQ(format, PlistFormat::Binary);
    EXPECT_EQ(fromBinary, fromXml);

    // Every cut-off prefix of the binary document fails cleanly.
    for (std::size_t n = 0; n < binary.size(); ++n) {
        Value v;
        std::string err;
        if (!readPlistBytes(binary.substr(0, n), v, err)) {
            EXPECT_FALSE(err.empty()) << n;
        }
    }
}

TEST(PlistIo, DetectsTheOldTextSyntax) {
    struct Case {
        const char* what;
        std::string bytes;
        PlistFormat format;
    };
    const Case cases[] = {
        {"text dictionary", "{ k = \"v\"; }", PlistFormat::Text},
        {"strings-file text", "\"k\" = \"v\";", PlistFormat::Text},
        {"UTF-16 text", std::string("\xFF\xFE{\0k\0=\0v\0;\0}\0", 14), PlistFormat::Text},
        {"XML after a byte-order mark and space",
         "\xEF\xBB\xBF\n<plist version=\"1.0\"><dict><key>k</key><string>v</string></dict></plist>",
         PlistFormat::Xml},
    };
    for (const auto& c : cases) {
        Value v;
        std::string error;
        PlistFormat format{};
        ASSERT_TRUE(readPlistBytes(c.bytes, v, error, &format)) << c.what << ": " << error;
        EXPECT_EQ(format, c.format) << c.what;
        ASSERT_TRUE(v.isDict()) << c.what;
        EXPECT_EQ(v.dict()->get("k"), Value("v")) << c.what;
    }
}

TEST(PlistIo, FailuresAreReportedNotThrown) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"malformed XML", "<?xml version=\"1.0\"?><plist><dict><key>a</key>"},
        {"binary garbage", "bplist00\x01\x02\x03"},
        {"malformed text", "{ a = ; }"},
    };
    for (const auto& c : cases) {
        Value v;
        std::string error;
        EXPECT_FALSE(readPlistBytes(c.bytes, v, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(v.isNull()) << c.what;
    }

    Value v;
    std::string error;
    EXPECT_FALSE(readPlistFile(dir / "missing.plist", v, error));
    EXPECT_NE(error.find("missing.plist"), std::string::npos);
    EXPECT_FALSE(readPlistFile(dir.path(), v, error));

    // Values without a property-list form fail, and leave an existing file alone.
    const std::string path = dir.write("keep.plist", "old contents");
    DictRef d = Dict::make();
    d->set("nothing", Value());
    EXPECT_FALSE(writeXmlPlist(path, Value(d), error));
    EXPECT_EQ(error, "a null value has no property-list form");
    EXPECT_FALSE(writeXmlPlist(path, Value(Date{-5e9}), error));
    EXPECT_EQ(slurp(path), "old contents");

    EXPECT_FALSE(writeFileAtomically(dir / "no/such/dir/file", "x", error));
    EXPECT_FALSE(error.empty());
    // A directory in the way of the rename: the new file is removed again.
    dir.mkdir("taken/sub");
    EXPECT_FALSE(writeFileAtomically(dir / "taken", "x", error));
    EXPECT_EQ(dirEntries(dir.path()), (std::vector<std::string>{"keep.plist", "taken"}));
}

}  // namespace

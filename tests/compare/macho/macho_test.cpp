// Mach-O tests, the load-command walk of the checksum reader and the prebinding
// checksum comparison, on object files built here.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare/file/macho.h"
#include "core/checksum.h"
#include "e2e_util.h"
#include "report/print_center.h"

using namespace lcv;
using lcvtest::TempDir;

namespace {

constexpr std::uint32_t kPrebindChecksum = 0x17;
constexpr std::uint32_t kSegment = 0x1;
constexpr std::int32_t kPowerPC = 18;

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string command(std::uint32_t cmd, std::uint32_t cmdsize, const std::string& payload) {
    return be32(cmd) + be32(cmdsize) + payload;
}
std::string checksumCommand(std::uint32_t value) { return command(kPrebindChecksum, 12, be32(value)); }
std::string filler(const std::string& eight) { return command(kSegment, 16, eight); }

struct Object {
    std::int32_t cpuType = kPowerPC;
    std::int32_t cpuSubtype = 10;
    std::vector<std::string> commands;
    std::optional<std::uint32_t> ncmds, sizeofcmds;  // override the counted values
    std::string body = "\x7F code and data";
    std::uint32_t magic = 0xFEEDFACE;

    std::string bytes() const {
        std::string cmds;
        for (const auto& c : commands) cmds += c;
        return be32(magic) + be32(static_cast<std::uint32_t>(cpuType)) + be32(static_cast<std::uint32_t>(cpuSubtype)) +
               be32(2) + be32(ncmds.value_or(static_cast<std::uint32_t>(commands.size()))) +
               be32(sizeofcmds.value_or(static_cast<std::uint32_t>(cmds.size()))) + be32(0) + cmds + body;
    }
};

Object withChecksum(std::uint32_t value, const std::string& fill = "AAAAAAAA") {
    Object o;
    o.commands = {filler(fill), checksumCommand(value), filler("BBBBBBBB")};
    return o;
}

TEST(MachOReader, ReadsTheRecordOfAThinFile) {
    ArchChecksums r = readArchChecksumsFromBytes(withChecksum(0xDEADBEEF).bytes(), "App");
    ASSERT_EQ(r.status, 0) << r.message;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].cpuType, kPowerPC);
    EXPECT_EQ(r.records[0].cpuSubtype, 10);
    EXPECT_EQ(r.records[0].hasChecksum, 1u);
    EXPECT_EQ(r.records[0].checksum, 0xDEADBEEFu);
    EXPECT_EQ(r.message, "");

    Object none;
    none.cpuType = -1;
    none.cpuSubtype = -2;
    none.commands = {filler("12345678")};
    r = readArchChecksumsFromBytes(none.bytes(), "App");
    ASSERT_EQ(r.status, 0) << r.message;
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].cpuType, -1);
    EXPECT_EQ(r.records[0].cpuSubtype, -2);
    EXPECT_EQ(r.records[0].hasChecksum, 0u);
    EXPECT_EQ(r.records[0].checksum, 0u);

    Object empty;
    empty.body.clear();
    r = readArchChecksumsFromBytes(empty.bytes(), "App");
    EXPECT_EQ(r.status, 0) << r.message;

    // The file reader gives the same record.
    TempDir dir;
    r = readArchChecksums(dir.write("App", withChecksum(7).bytes()), "App");
    ASSERT_EQ(r.status, 0) << r.message;
    EXPECT_EQ(r.records[0].checksum, 7u);
}

TEST(MachOReader, MalformedFilesFail) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;
    };
    Object pastFile = withChecksum(1);
    pastFile.body.clear();
    pastFile.sizeofcmds = 44 + 1;  // one byte more than the commands and the file hold
    Object pastCommands = withChecksum(1);
    pastCommands.ncmds = 4;
    Object lastCutShort = withChecksum(1);
    lastCutShort.sizeofcmds = 36;
    Object zeroSize;
    zeroSize.commands = {command(kSegment, 0, ""), checksumCommand(1)};
    zeroSize.sizeofcmds = 20;
    Object wrongChecksumSize;
    wrongChecksumSize.commands = {command(kPrebindChecksum, 16, be32(1) + be32(0))};
    Object shortChecksum;
    shortChecksum.commands = {command(kPrebindChecksum, 8, "")};
    Object twoChecksums;
    twoChecksums.commands = {checksumCommand(1), filler("xxxxxxxx"), checksumCommand(1)};
    Object fat = withChecksum(1);
    fat.magic = 0xCAFEBABE;
    Object wide = withChecksum(1);
    wide.magic = 0xFEEDFACF;
    Object swapped = withChecksum(1);
    swapped.magic = 0xCEFAEDFE;
    const Case cases[] = {
        {"load commands past the end of the file", pastFile.bytes(),
         "App: truncated or malformed object (load commands extend past the end of the file)"},
        {"more commands than their total size", pastCommands.bytes(),
         "App: truncated or malformed object (load command 3 extends past the end of the load commands)"},
        {"a command cut by the total size", lastCutShort.bytes(),
         "App: truncated or malformed object (load command 2 extends past the end of the load commands)"},
        {"command of size 0", zeroSize.bytes(), "App: malformed object (load command 0 size 0 is too small)"},
        {"checksum command of size 16", wrongChecksumSize.bytes(),
         "App: malformed object (LC_PREBIND_CKSUM command 0 has size 16)"},
        {"checksum command of size 8", shortChecksum.bytes(),
         "App: malformed object (LC_PREBIND_CKSUM command 0 has size 8)"},
        {"two checksum commands", twoChecksums.bytes(),
         "App: malformed object (more than one LC_PREBIND_CKSUM command)"},
        {"short header", withChecksum(1).bytes().substr(0, 27), "App: not a 32-bit big-endian Mach-O file"},
        {"fat file", fat.bytes(), "App: not a 32-bit big-endian Mach-O file"},
        {"64-bit file", wide.bytes(), "App: not a 32-bit big-endian Mach-O file"},
        {"byte-swapped file", swapped.bytes(), "App: not a 32-bit big-endian Mach-O file"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ArchChecksums r = readArchChecksumsFromBytes(c.bytes, "App");
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_TRUE(r.records.empty()) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
        r = readArchChecksums(dir.write("App", c.bytes), "App");
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what << " (file)";
    }
    EXPECT_EQ(readArchChecksums(dir / "missing", "missing").status, 1);
    EXPECT_EQ(readArchChecksums(dir.path(), "dir").status, 1);
}

TEST(MachOPathTest, OnlyThin32BitBigEndianFilesAreMachO) {
    TempDir dir;
    std::string header = withChecksum(1).bytes().substr(0, 28);
    struct Case {
        const char* what;
        std::string bytes;
        bool machO;
    };
    const Case cases[] = {
        {"28-byte header", header, true},
        {"whole object", withChecksum(1).bytes(), true},
        {"27 bytes", header.substr(0, 27), false},
        {"empty", "", false},
        {"fat", "\xCA\xFE\xBA\xBE" + header.substr(4), false},
        {"64-bit", "\xFE\xED\xFA\xCF" + header.substr(4), false},
        {"byte-swapped", "\xCE\xFA\xED\xFE" + header.substr(4), false},
    };
    auto pc = std::make_shared<PrintCenter>();
    DictRef report = Dict::make();
    pc->set_reportRoot(report);
    for (const auto& c : cases) {
        const std::string path = dir.write(std::string(c.what), c.bytes);
        EXPECT_EQ(MachOPath(pc.get(), path), c.machO) << c.what;
    }
    EXPECT_FALSE(MachOPath(pc.get(), dir / "missing"));
    EXPECT_FALSE(MachOPath(pc.get(), dir.mkdir("sub")));
    EXPECT_FALSE(MachOPath(nullptr, dir / "missing"));
    EXPECT_TRUE(report->empty()) << "no error line for files that are simply not Mach-O";

    const std::string a = dir / "whole object";
    EXPECT_TRUE(MachOPath(pc.get(), a, a));
    EXPECT_FALSE(MachOPath(pc.get(), "", a));
    EXPECT_FALSE(MachOPath(pc.get(), a, ""));
    EXPECT_FALSE(MachOPath(pc.get(), dir / "fat", a));
    EXPECT_FALSE(MachOPath(pc.get(), a, dir / "27 bytes"));

    // A file that cannot be opened is reported, on each side, source first.
    if (geteuid() != 0) {
        const std::string locked = dir.write("locked", withChecksum(1).bytes());
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        const std::string locked2 = dir.write("locked2", withChecksum(1).bytes());
        ASSERT_EQ(chmod(locked2.c_str(), 0), 0);
        EXPECT_FALSE(MachOPath(pc.get(), locked, locked2));
        const Value errors = report->get("Error");
        ASSERT_TRUE(errors.isArray());
        ASSERT_EQ(errors.array()->size(), 2u);
        EXPECT_EQ((*errors.array())[0], Value("# [lcv:e:MachOPath:FSpOpenDF://->" + locked + "<-//:-54:]"));
        EXPECT_EQ((*errors.array())[1], Value("# [lcv:e:MachOPath:FSpOpenDF://->" + locked2 + "<-//:-54:]"));
    }
}

TEST(PreBindingChecksum, PairsOfExecutables) {
    TempDir dir;
    // A file storing 0 is compared by its own cksum CRC.
    const std::string zero = withChecksum(0, "ZZZZZZZZ").bytes();
    const std::uint32_t zeroCrc = cksumBuffer(zero.data(), zero.size());
    Object otherSubtype = withChecksum(5);
    otherSubtype.cpuSubtype = 11;
    Object otherType = withChecksum(5);
    otherType.cpuType = 7;
    Object noChecksum;
    noChecksum.commands = {filler("AAAAAAAA")};
    Object longer = withChecksum(5, "CCCCCCCC");
    longer.body = std::string(5000, 'x');
    Object malformed = withChecksum(5);
    malformed.ncmds = 9;
    Object fat = withChecksum(5);
    fat.magic = 0xCAFEBABE;

    struct Case {
        const char* what;
        std::string source, target;
        bool identical;
    };
    const Case cases[] = {
        {"equal stored checksums, other bytes differ", withChecksum(5).bytes(), longer.bytes(), true},
        {"different stored checksums", withChecksum(5).bytes(), withChecksum(6).bytes(), false},
        {"different subtypes", withChecksum(5).bytes(), otherSubtype.bytes(), false},
        {"different CPU types", withChecksum(5).bytes(), otherType.bytes(), false},
        {"target without checksum command", withChecksum(5).bytes(), noChecksum.bytes(), false},
        {"source without checksum command", noChecksum.bytes(), withChecksum(5).bytes(), false},
        {"neither has a checksum command", noChecksum.bytes(), noChecksum.bytes(), false},
        {"source stores 0, target stores its CRC", zero, withChecksum(zeroCrc).bytes(), true},
        {"target stores 0, source stores its CRC", withChecksum(zeroCrc).bytes(), zero, true},
        {"source stores 0, target stores another value", zero, withChecksum(zeroCrc + 1).bytes(), false},
        {"both store 0, same bytes", zero, zero, true},
        {"both store 0, different bytes", zero, withChecksum(0, "YYYYYYYY").bytes(), false},
        {"malformed target", withChecksum(5).bytes(), malformed.bytes(), false},
        {"fat source", fat.bytes(), withChecksum(5).bytes(), false},
    };
    for (const auto& c : cases) {
        const std::string p1 = dir.write("src/App", c.source);
        const std::string p2 = dir.write("dst/App", c.target);
        EXPECT_EQ(PreBindingCheckSumIdentical(p1, p2), c.identical) << c.what;
    }
    EXPECT_FALSE(PreBindingCheckSumIdentical(dir / "src/App", dir / "missing"));
}

}  // namespace

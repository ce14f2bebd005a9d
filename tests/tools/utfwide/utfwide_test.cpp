// End-to-end tests of utfwide: the real program on standard input and on files.
#include <gtest/gtest.h>

#include <string>

#include "e2e_util.h"

using lcvtest::runProgram;
using lcvtest::TempDir;

namespace {

std::string bytes(std::initializer_list<unsigned> b) {
    std::string s;
    for (unsigned v : b) s += static_cast<char>(v);
    return s;
}

const std::string kBom = bytes({0xFE, 0xFF});

TEST(Utfwide, ConvertsTextFromStandardInput) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"ascii line", "abc\n", bytes({0xFE, 0xFF, 0x00, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x0A})},
        {"empty input gives the mark alone", "", kBom},
        {"line ends kept", "a\r\nb", kBom + bytes({0x00, 'a', 0x00, '\r', 0x00, '\n', 0x00, 'b'})},
        {"two- and three-byte forms", "\xC3\xA9\xE6\x97\xA5", kBom + bytes({0x00, 0xE9, 0x65, 0xE5})},
        {"outside the BMP as a surrogate pair", "\xF0\x9F\x98\x80!",
         kBom + bytes({0xD8, 0x3D, 0xDE, 0x00, 0x00, '!'})},
        {"highest code point", "\xF4\x8F\xBF\xBF", kBom + bytes({0xDB, 0xFF, 0xDF, 0xFF})},
        {"UTF-8 byte-order mark dropped", "\xEF\xBB\xBFx", kBom + bytes({0x00, 'x'})},
        {"NUL characters kept", std::string("a\0b", 3), kBom + bytes({0x00, 'a', 0x00, 0x00, 0x00, 'b'})},
    };
    for (const auto& c : cases) {
        const auto r = runProgram("utfwide", {}, c.in);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
    }
}

TEST(Utfwide, FileArgumentGivesTheSameBytesAsStandardInput) {
    TempDir dir;
    std::string text = "Fen\xC3\xAAtre \xE2\x80\x94 \xF0\x9D\x84\x9E\n";
    for (int i = 0; i < 20000; ++i) text += "line of text \xE6\x97\xA5\xE6\x9C\xAC\n";  // several read chunks
    const std::string path = dir.write("in.txt", text);
    const auto fromStdin = runProgram("utfwide", {}, text);
    const auto fromFile = runProgram("utfwide", {path});
    ASSERT_EQ(fromStdin.status, 0);
    ASSERT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromFile.out, fromStdin.out);
    EXPECT_EQ(fromFile.out.substr(0, 8), bytes({0xFE, 0xFF, 0x00, 'F', 0x00, 'e', 0x00, 'n'}));

    // The path is standardised before use.
    const auto viaDots = runProgram("utfwide", {dir.path() + "/./sub/../in.txt"});
    EXPECT_EQ(viaDots.status, 0);
    EXPECT_EQ(viaDots.out, fromStdin.out);
}

TEST(Utfwide, RefusedInputsWriteNothingToStandardOutput) {
    TempDir dir;
    const std::string missing = dir / "nothing.txt";
    const std::string bad = dir.write("bad.txt", "ok\n\xC3(");
    const std::string sub = dir.mkdir("sub");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string in, err;
    };
    const Case cases[] = {
        {"missing path", {missing}, "", "### " + missing + " doesn't exist.\n"},
        {"two arguments", {"a", "b"}, "", "usage: utfwide text_file or utfwide < text_file\nutfwide:version 0.1\n"},
        {"three arguments", {missing, missing, missing}, "",
         "usage: utfwide text_file or utfwide < text_file\nutfwide:version 0.1\n"},
        {"directory", {sub}, "", "### " + sub + " is a directory.\n"},
        {"invalid UTF-8 in a file", {bad}, "", "### " + bad + " is not valid UTF-8 (byte offset 3).\n"},
        {"lone continuation byte", {}, "ab\x80", "### standard input is not valid UTF-8 (byte offset 2).\n"},
        {"overlong form", {}, "\xC0\xAF", "### standard input is not valid UTF-8 (byte offset 0).\n"},
        {"overlong three-byte form", {}, "\xE0\x80\xAF", "### standard input is not valid UTF-8 (byte offset 0).\n"},
        {"encoded surrogate", {}, "x\xED\xA0\x80", "### standard input is not valid UTF-8 (byte offset 1).\n"},
        {"above U+10FFFF", {}, "\xF4\x90\x80\x80", "### standard input is not valid UTF-8 (byte offset 0).\n"},
        {"truncated at the end", {}, "abc\xE6\x97", "### standard input is not valid UTF-8 (byte offset 3).\n"},
    };
    for (const auto& c : cases) {
        const auto r = runProgram("utfwide", c.args, c.in);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
    }
}

}  // namespace

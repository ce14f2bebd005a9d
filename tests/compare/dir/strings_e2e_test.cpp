// Strings files through the whole run: loading in every encoding, comments, the
// identity check and the messages for files that do not parse.
#include <gtest/gtest.h>

#include "e2e_util.h"

using lcvtest::lines;
using lcvtest::runProgram;
using lcvtest::TempDir;

namespace {

std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (char c : ascii) {
        if (bigEndian) {
            out += '\0';
            out += c;
        } else {
            out += c;
            out += '\0';
        }
    }
    return out;
}

// The lines about entries, the header path replaced by H.
std::vector<std::string> entryLines(const lcvtest::RunResult& r) {
    std::vector<std::string> out;
    for (auto l : lines(r.out)) {
        if (l.find(":str:") == std::string::npos && l.rfind("# [lcv:w:", 0) != 0 && l.rfind("# [lcv:e:", 0) != 0)
            continue;
        const std::string h = "//->./L.strings<-//->./L.strings<-//";
        if (auto pos = l.find(h); pos != std::string::npos) l.replace(pos, h.size(), "H");
        out.push_back(l);
    }
    return out;
}

}  // namespace

TEST(StringsFiles, EncodingsAndLineShapes) {
    const std::string v1 = "/* Greeting */\n\"Hello\" = \"Hello\";\n\n\"Bye\" = \"Bye\";\n\"Gone\" = \"x\";\n";
    const std::string v2 = "/* Greeting */\n\"Hello\" = \"Bonjour\";\n\n\"Bye\" = \"Bye\";\nNew = \"y\";\n";
    const std::vector<std::string> expected = {
        "# [lcv:i:new:file:str:H:] \"New\" \\ ===> \\ \"y\"",
        "# [lcv:i:obsolete:file:str:H:] \"Gone\" \\ ===> \\ \"x\"",
        "# [lcv:i:changed:file:str:H:] \"Hello\" \\ ===> \\ \"Hello\" \\ ===> \\ \"Bonjour\"",
    };
    struct Case {
        const char* label;
        std::string side1, side2;
    } cases[] = {
        {"UTF-8", v1, v2},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + v1, "\xEF\xBB\xBF" + v2},
        {"UTF-16 little-endian", utf16(v1, false), utf16(v2, false)},
        {"UTF-16 big-endian against UTF-8", utf16(v1, true), v2},
    };
    for (const auto& c : cases) {
        TempDir t;
        t.write("a/L.strings", c.side1);
        t.write("b/L.strings", c.side2);
        auto r = runProgram("lcv", {"-ski", "-sh", "a", "b"}, "", t.path());
        EXPECT_EQ(entryLines(r), expected) << c.label;
        EXPECT_EQ(r.err, "") << c.label;
    }
}

TEST(StringsFiles, CommentsIdentityCheckAndEmptySides) {
    TempDir t;
    t.write("a/L.strings", "/* Greeting */\n\"Hello\" = \"Hello\";\n");
    t.write("b/L.strings", "/* Greeting, said first */\n\"Hello\" = \"Hello\";\n");
    // Only the comment changed: no entry line, an identical line with -i, the
    // comments with -pc.
    auto r = runProgram("lcv", {"-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_TRUE(entryLines(r).empty());
    r = runProgram("lcv", {"-ski", "-sh", "-i", "-pc", "a", "b"}, "", t.path());
    EXPECT_EQ(entryLines(r),
              (std::vector<std::string>{"# [lcv:i:identical:file:str:H:] \"Hello\" \\ ===> \\ \"Hello\"/* Greeting, said first */"}));
    // -sksfmi compares the entries only: the files count as identical.
    r = runProgram("lcv", {"-ski", "-sh", "-sksfmi", "a", "b"}, "", t.path());
    EXPECT_EQ(r.out.find("changed:file:DF"), std::string::npos) << r.out;

    // A new strings file with -pnew: every entry is new.
    t.write("b/N.strings", "\"One\" = \"1\";\n\"Two\" = \"2\";\n");
    r = runProgram("lcv", {"-ski", "-sh", "-pnew", "a", "b"}, "", t.path());
    std::vector<std::string> news;
    for (const auto& l : lines(r.out))
        if (l.rfind("# [lcv:i:new:file:str:", 0) == 0) news.push_back(l);
    EXPECT_EQ(news, (std::vector<std::string>{"# [lcv:i:new:file:str://-><-//->./N.strings<-//:] \"One\" \\ ===> \\ \"1\"",
                                              "# [lcv:i:new:file:str://-><-//->./N.strings<-//:] \"Two\" \\ ===> \\ \"2\""}));
}

TEST(StringsFiles, FilesThatDoNotParse) {
    TempDir t;
    t.write("a/L.strings", "\"Hello\" = \"Hello\";\n");
    t.write("b/L.strings", "\"Hello\" = \"Hello\"\n\"Oops\" = ;\n");  // has " = "
    t.write("a/M.strings", "not a strings file {");
    t.write("b/M.strings", "\"k\" = \"v\";\n");
    char buf[4096];
    const std::string A = realpath((t / "a").c_str(), buf);
    const std::string B = realpath((t / "b").c_str(), buf);
    auto r = runProgram("lcv", {"-ski", "-sh", "a", "b"}, "", t.path());
    EXPECT_EQ(r.err, "# [lcv:e:CompareFile:DoCompare:ParseError://->" + B + "/L.strings<-//:]\n");
    std::vector<std::string> got;
    for (const auto& l : lines(r.out))
        if (l.find(":str:") != std::string::npos || l.rfind("# [lcv:w:", 0) == 0 || l.rfind("# [lcv:e:", 0) == 0)
            got.push_back(l);
    EXPECT_EQ(got, (std::vector<std::string>{
                       "# [lcv:e:CompareFile:DoCompare:ParseError://->" + B + "/L.strings<-//:]",
                       "# [lcv:i:obsolete:file:str://->./L.strings<-//->./L.strings<-//:] \"Hello\" \\ ===> \\ \"Hello\"",
                       "# [lcv:w:CompareFile:DoCompare:ParseError://->" + A + "/M.strings<-//:] No string-1.",
                       "# [lcv:i:new:file:str://->./M.strings<-//->./M.strings<-//:] \"k\" \\ ===> \\ \"v\"",
                   }));
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "compare/strings/compare_strings_file.h"
#include "core/run_context.h"
#include "core/text.h"

using namespace lcv;

namespace {

using Entries = std::vector<std::pair<std::string, Value>>;

DictRef dict(const Entries& entries) {
    auto d = Dict::make(entries.size());
    for (const auto& [k, v] : entries) d->set(k, v);
    return d;
}

const std::string kHeader = "//->/a/en.lproj/Localizable.strings<-//->/b/fr.lproj/Localizable.strings<-//";
const std::string kSep = " \\ ===> \\ ";

struct Inputs {
    DictRef obj1 = nullptr;
    DictRef obj2 = nullptr;
    std::vector<const char*> options = {};
    std::string entity = "strings";
    DictRef comment1 = nullptr;
    DictRef comment2 = nullptr;
    std::uint32_t maxLength = 0;
};

DictRef parameters(const Inputs& s, const std::shared_ptr<PrintCenter>& pc, const std::shared_ptr<RunContext>& run) {
    auto p = Dict::make(16);
    p->set("entityName", s.entity);
    if (s.obj1) p->set("obj1", s.obj1);
    if (s.obj2) p->set("obj2", s.obj2);
    p->set("obj1_parDirAbolute", "/a/en.lproj");
    p->set("obj1_parDirRelative", "a/en.lproj");
    p->set("obj1_parDirRelative_fromParam", "./en.lproj");
    p->set("obj1_fileName", "Localizable.strings");
    p->set("obj2_parDirAbolute", "/b/fr.lproj");
    p->set("obj2_parDirRelative", "b/fr.lproj");
    p->set("obj2_parDirRelative_fromParam", "./fr.lproj");
    p->set("obj2_fileName", "Localizable.strings");
    p->set("pCenter", pc);
    auto options = Dict::make(8);
    for (const char* n : s.options) options->set(n, true);
    p->set("options", options);
    if (s.comment1) p->set("comment1", s.comment1);
    if (s.comment2) p->set("comment2", s.comment2);
    if (run) p->set("run", run);
    return p;
}

struct Output {
    std::vector<std::string> out, err;
};

std::vector<std::string> lines(const char* buf, std::size_t len) {
    std::vector<std::string> result;
    std::string all(buf ? buf : "", len);
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find('\n', start);
        if (end == std::string::npos) {
            result.push_back(all.substr(start) + "<no line end>");
            break;
        }
        result.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

// Builds the comparer on a report center writing into memory, lets `prepare`
// adjust it, runs it and returns the lines of both streams.
template <class Comparer = CompareStringsFile>
Output runComparer(const Inputs& s, DictRef reportRoot = nullptr, std::shared_ptr<RunContext> run = nullptr,
                   const std::function<void(Comparer&)>& prepare = {}) {
    char *outBuf = nullptr, *errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    std::FILE* out = open_memstream(&outBuf, &outLen);
    std::FILE* err = open_memstream(&errBuf, &errLen);
    {
        auto pc = std::make_shared<PrintCenter>(out, err);
        if (reportRoot) pc->set_reportRoot(reportRoot);
        Comparer c(parameters(s, pc, run));
        if (s.maxLength) c.set_maxStringValueLength(s.maxLength);
        if (prepare) prepare(c);
        c.DoCompare();
        pc->flush();
    }
    std::fclose(out);
    std::fclose(err);
    Output o{lines(outBuf, outLen), lines(errBuf, errLen)};
    std::free(outBuf);
    std::free(errBuf);
    return o;
}

std::string line(const std::string& category, const std::string& rest, const std::string& kind = "file") {
    if (category == "changed") return "# [lcv:i:changed:" + kind + ":str:" + kHeader + ":] " + rest;
    return "# [lcv:i:" + category + ":" + kind + ":str:" + kHeader + ":] " + rest;
}

struct LineCase {
    const char* name;
    Inputs setup;
    std::vector<std::string> expected;
};

class LineShapes : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineShapes, PrintsExactlyTheseLines) {
    const LineCase& c = GetParam();
    const Output o = runComparer(c.setup);
    EXPECT_EQ(o.out, c.expected);
    EXPECT_TRUE(o.err.empty());
}

const std::string kLong52 = std::string(52, 'x');

// Comments as the loaders store them: the block with its line feeds escaped.
DictRef comments1() { return dict({{"both", "/* old note */"}, {"only1", "/* first\\nline */"}, {"a", "/* a1 */"}}); }
DictRef comments2() { return dict({{"both", "/* new note */"}, {"only2", "/* second */"}, {"a", "/* a2 */"}}); }
DictRef changedForComments1() {
    return dict({{"both", "1"}, {"only1", "1"}, {"only2", "1"}, {"none", "1"}, {"a", "same"}});
}
DictRef changedForComments2() {
    return dict({{"both", "2"}, {"only1", "2"}, {"only2", "2"}, {"none", "2"}, {"a", "same"}, {"n", "new"}});
}

INSTANTIATE_TEST_SUITE_P(
    CompareStringsFile, LineShapes,
    ::testing::Values(
        LineCase{"NewEntriesSortedByCodeUnit",
                 {.obj1 = dict({}), .obj2 = dict({{"a", "x"}, {"B", "y"}})},
                 {line("new", "\"B\"" + kSep + "\"y\""), line("new", "\"a\"" + kSep + "\"x\"")}},
        LineCase{"AbsentSideMakesEverythingNew",
                 {.obj1 = nullptr, .obj2 = dict({{"k", "v"}})},
                 {line("new", "\"k\"" + kSep + "\"v\"")}},
        LineCase{"ObsoleteEntriesShowSide1Value",
                 {.obj1 = dict({{"gone", "old"}}), .obj2 = dict({})},
                 {line("obsolete", "\"gone\"" + kSep + "\"old\"")}},
        LineCase{"EqualDictionariesPrintNothingWithoutI",
                 {.obj1 = dict({{"k", "v"}, {"j", "w"}}), .obj2 = dict({{"j", "w"}, {"k", "v"}})},
                 {}},
        LineCase{"EqualDictionariesPrintIdenticalWithI",
                 {.obj1 = dict({{"k", "v"}, {"j", "w"}}), .obj2 = dict({{"j", "w"}, {"k", "v"}}), .options = {"i"}},
                 {line("identical", "\"j\"" + kSep + "\"w\""), line("identical", "\"k\"" + kSep + "\"v\"")}},
        LineCase{"ChangedShowsBothValues",
                 {.obj1 = dict({{"Open", "Open"}}), .obj2 = dict({{"Open", "Ouvrir"}})},
                 {line("changed", "\"Open\"" + kSep + "\"Open\"" + kSep + "\"Ouvrir\"")}},
        LineCase{"CategoriesInReportOrder",
                 {.obj1 = dict({{"chg", "1"}, {"same", "s"}, {"old", "o"}}),
                  .obj2 = dict({{"same", "s"}, {"chg", "2"}, {"new", "n"}}),
                  .options = {"i"}},
                 {line("new", "\"new\"" + kSep + "\"n\""), line("obsolete", "\"old\"" + kSep + "\"o\""),
                  line("identical", "\"same\"" + kSep + "\"s\""),
                  line("changed", "\"chg\"" + kSep + "\"1\"" + kSep + "\"2\"")}},
        LineCase{"QuotingOfLineFeedsQuotesTabsAndEmptyText",
                 {.obj1 = dict({{"multi", "one\ntwo"}, {"empty", ""}, {"tab\tkey", "x"}}),
                  .obj2 = dict({{"multi", "say \"hi\"\\"}, {"empty", "now"}, {"tab\tkey", "日本"}})},
                 {line("changed", "\"empty\"" + kSep + kSep + "\"now\""),
                  line("changed", "\"multi\"" + kSep + "\"one\\ntwo\"" + kSep + "\"say \\\"hi\\\"\\\\\""),
                  line("changed", "\"tab\\tkey\"" + kSep + "\"x\"" + kSep + "\"日本\"")}},
        LineCase{"NonTextValueShownByDescription",
                 {.obj1 = dict({}), .obj2 = dict({{"n", 5}})},
                 {line("new", "\"n\"" + kSep + "\"5\"")}},
        LineCase{"TruncationKeepsChangeAndShowsFullLengths",
                 {.obj1 = dict({{"t", kLong52 + "A"}, {"exact", kLong52}}),
                  .obj2 = dict({{"t", kLong52 + "BB"}, {"exact", kLong52}}),
                  .options = {"i"},
                  .entity = "tiff",
                  .maxLength = 52},
                 {line("identical", "\"exact\"" + kSep + "\"" + kLong52 + "\""),
                  line("changed", "\"t\"" + kSep + "\"" + kLong52 + "...truncated by lcv (53)...>\"" + kSep + "\"" +
                                      kLong52 + "...truncated by lcv (54)...>\"")}},
        LineCase{"LayoutStringsUseKindLyt",
                 {.obj1 = dict({{"o", "1"}, {"c", "x"}}), .obj2 = dict({{"n", "2"}, {"c", "y"}}), .entity = "lyt_strings"},
                 {line("new", "\"n\"" + kSep + "\"2\"", "lyt"), line("obsolete", "\"o\"" + kSep + "\"1\"", "lyt"),
                  line("changed", "\"c\"" + kSep + "\"x\"" + kSep + "\"y\"", "lyt")}},
        LineCase{"CommentsHiddenWithoutPc",
                 {.obj1 = changedForComments1(), .obj2 = changedForComments2(), .options = {"i"}, .comment1 = comments1(), .comment2 = comments2()},
                 {line("new", "\"n\"" + kSep + "\"new\""), line("identical", "\"a\"" + kSep + "\"same\""),
                  line("changed", "\"both\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"none\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"only1\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"only2\"" + kSep + "\"1\"" + kSep + "\"2\"")}},
        LineCase{"CommentsFollowTheirValuesWithPc",
                 {.obj1 = changedForComments1(), .obj2 = changedForComments2(), .options = {"i", "pc"}, .comment1 = comments1(), .comment2 = comments2()},
                 {line("new", "\"n\"" + kSep + "\"new\""),
                  line("identical", "\"a\"" + kSep + "\"same\"/* a2 */"),
                  line("changed", "\"both\"" + kSep + "\"1\"/* old note */" + kSep + "\"2\"/* new note */"),
                  line("changed", "\"none\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"only1\"" + kSep + "\"1\"/* first\\nline */" + kSep + "\"2\""),
                  line("changed", "\"only2\"" + kSep + "\"1\"" + kSep + "\"2\"/* second */")}},
        LineCase{"ObsoleteCommentComesFromSide1",
                 {.obj1 = dict({{"a", "x"}}), .obj2 = dict({}), .options = {"pc"}, .comment1 = comments1(), .comment2 = comments2()},
                 {line("obsolete", "\"a\"" + kSep + "\"x\"/* a1 */")}},
        LineCase{"SkipMetaInfoHidesCommentsEvenWithPc",
                 {.obj1 = changedForComments1(), .obj2 = changedForComments2(), .options = {"pc", "sksfmi"}, .comment1 = comments1(), .comment2 = comments2()},
                 {line("new", "\"n\"" + kSep + "\"new\""),
                  line("changed", "\"both\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"none\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"only1\"" + kSep + "\"1\"" + kSep + "\"2\""),
                  line("changed", "\"only2\"" + kSep + "\"1\"" + kSep + "\"2\"")}},
        LineCase{"DebugShowsUtf16HexDumpsAndNoComments",
                 {.obj1 = dict({{"both", "Hi"}, {"emoji", "a"}}),
                  .obj2 = dict({{"both", ""}, {"emoji", "\xF0\x9F\x98\x80"}}),
                  .options = {"debug", "pc"},
                  .comment1 = comments1(),
                  .comment2 = comments2()},
                 {line("changed", "\"both\"" + kSep + "\"Hi\" [FEFF 0048 0069] " + kSep + " [FEFF]"),
                  line("changed", "\"emoji\"" + kSep + "\"a\" [FEFF 0061] " + kSep +
                                      "\"\xF0\x9F\x98\x80\" [FEFF D83D DE00]")}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(CompareStringsFileTest, ShortHeaderUsesRootRelativePaths) {
    Inputs s{.obj1 = dict({}), .obj2 = dict({{"k", "v"}}), .options = {"sh"}};
    const Output o = runComparer(s);
    ASSERT_EQ(o.out.size(), 1u);
    EXPECT_EQ(o.out[0], "# [lcv:i:new:file:str://->./en.lproj/Localizable.strings<-//->./fr.lproj/"
                        "Localizable.strings<-//:] \"k\"" +
                            kSep + "\"v\"");
}

// Display truncation counts UTF-16 code units and never splits a character.
TEST(CompareStringsFileTest, TruncatedTextCountsUtf16UnitsAndKeepsCharactersWhole) {
    struct Case {
        std::string text;
        std::uint32_t limit;
        std::string expected;
    };
    const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
    const std::vector<Case> cases = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc...truncated by lcv (4)...>"},
        {"日本語です", 2, "日本...truncated by lcv (5)...>"},
        {"日本語", 3, "日本語"},
        {"ab" + emoji + "c", 3, "ab...truncated by lcv (5)...>"},
        {"ab" + emoji + "c", 4, "ab" + emoji + "...truncated by lcv (5)...>"},
        {"a\xFF\xFE" "bc", 2, "a\xFF...truncated by lcv (5)...>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareStringsFile::truncatedText(c.text, c.limit), c.expected) << c.text << " / " << c.limit;
}

TEST(CompareStringsFileTest, TruncationLeavesTheCallersDictionariesWhole) {
    const std::string full = std::string(60, 'v');
    Inputs s{.obj1 = dict({{"k", full}}), .obj2 = dict({{"k", full + "w"}}), .entity = "tiff", .maxLength = 52};
    const Output o = runComparer(s);
    ASSERT_EQ(o.out.size(), 1u);
    EXPECT_NE(o.out[0].find("...truncated by lcv (60)...>"), std::string::npos);
    EXPECT_EQ(s.obj1->get("k").str(), full);
    EXPECT_EQ(s.obj2->get("k").str(), full + "w");
}

TEST(CompareStringsFileTest, CommentsComeFromParameters) {
    auto c1 = dict({{"k", "/* c */"}});
    auto pc = std::make_shared<PrintCenter>(nullptr, nullptr);
    Inputs s{.obj1 = dict({}), .obj2 = dict({}), .comment1 = c1};
    CompareStringsFile c(parameters(s, pc, nullptr));
    EXPECT_EQ(c.commentDict1(), c1);
    EXPECT_EQ(c.commentDict2(), nullptr);
    EXPECT_EQ(c.maxStringValueLength(), 0u);
}

TEST(CompareStringsFileTest, PropertyListModeFillsTheStringSection) {
    auto root = Dict::make(16);
    Inputs s{.obj1 = dict({{"old", "o"}, {"same", "s"}, {"chg", "line\n1"}}),
            .obj2 = dict({{"new", "n\"q"}, {"same", "s"}, {"chg", "2"}}),
            .options = {"i", "pc", "debug"},
            .comment1 = dict({{"chg", "/* c1 */"}}),
            .comment2 = dict({{"chg", "/* c2 */"}})};
    const Output o = runComparer(s, root);
    EXPECT_TRUE(o.out.empty());
    EXPECT_TRUE(o.err.empty());

    auto file = root->get("File Detailed-Compare Result")
                    .dict()
                    ->get("/a/en.lproj/Localizable.strings // /b/fr.lproj/Localizable.strings")
                    .dict();
    ASSERT_TRUE(file);
    auto section = file->get("String Compare Result").dict();
    ASSERT_TRUE(section);
    EXPECT_EQ(section->size(), 4u);
    EXPECT_EQ(*section->get("New String").dict(), *dict({{"\"new\"", "\"n\\\"q\""}}));
    EXPECT_EQ(*section->get("Obsolete String").dict(), *dict({{"\"old\"", "\"o\""}}));
    EXPECT_EQ(*section->get("Identical String").dict(), *dict({{"\"same\"", "\"s\""}}));
    EXPECT_EQ(*section->get("Changed String").dict(),
              *dict({{"\"chg\"", dict({{"String Value 1", "\"line\\n1\""}, {"String Value 2", "\"2\""}})}}));
    EXPECT_FALSE(root->contains("Misfits"));
}

TEST(CompareStringsFileTest, PropertyListModeCreatesNoEmptyCategories) {
    auto root = Dict::make(16);
    Inputs s{.obj1 = dict({{"same", "s"}}), .obj2 = dict({{"same", "s"}, {"new", "n"}})};
    runComparer(s, root);
    auto section = root->get("File Detailed-Compare Result")
                       .dict()
                       ->get("/a/en.lproj/Localizable.strings // /b/fr.lproj/Localizable.strings")
                       .dict()
                       ->get("String Compare Result")
                       .dict();
    ASSERT_TRUE(section);
    EXPECT_EQ(section->keys(), std::vector<std::string>{"New String"});
}

// Records what the comparer hands to the find engine.
class RecordingFinder : public CompareStringsFile {
public:
    using CompareStringsFile::CompareStringsFile;
    struct Call {
        std::string label, text, identifier, fileName;
        bool stringFile;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call>* calls = nullptr;
    bool fail = false;

protected:
    void FindString1(const std::string& label, const std::string* text, const std::string& identifier,
                    const std::string& fileName, bool stringFile) override {
        if (fail) throw std::runtime_error("find engine failed");
        calls->push_back({label, text ? *text : "<absent>", identifier, fileName, stringFile});
    }
};

std::shared_ptr<RunContext> runWithFindStrings() {
    auto run = std::make_shared<RunContext>();
    auto fsl = Array::make(1);
    fsl->push_back("open");
    run->findStringTable = dict({{"fsl", fsl}});
    return run;
}

TEST(CompareStringsFileTest, FindModeSearchesEveryEntryAndReportsNothingElse) {
    std::vector<RecordingFinder::Call> calls;
    Inputs s{.obj1 = dict({{"Open", "Open"}, {"gone", "x"}}),
            .obj2 = dict({{"Open", "Ouvrir"}, {"new", "y\n"}}),
            .options = {"i", "pc"},
            .entity = "lyt_strings"};
    const Output o =
        runComparer<RecordingFinder>(s, nullptr, runWithFindStrings(), [&](RecordingFinder& f) { f.calls = &calls; });
    EXPECT_TRUE(o.out.empty());
    EXPECT_TRUE(o.err.empty());
    const std::string p1 = "//->/a/en.lproj/Localizable.strings<-//";
    const std::string p2 = "//->/b/fr.lproj/Localizable.strings<-//";
    const std::vector<RecordingFinder::Call> expected = {
        {"\"Open\"", "\"Open\"", "lyt", p1, true},
        {"\"gone\"", "\"x\"", "lyt", p1, true},
        {"\"Open\"", "\"Ouvrir\"", "lyt", p2, true},
        {"\"new\"", "\"y\\n\"", "lyt", p2, true},
    };
    EXPECT_EQ(calls, expected);
}

TEST(CompareStringsFileTest, EmptyFindTableIsNotFindMode) {
    std::vector<RecordingFinder::Call> calls;
    auto run = std::make_shared<RunContext>();
    run->findStringTable = dict({{"fsl", Array::make(0)}});
    Inputs s{.obj1 = dict({}), .obj2 = dict({{"k", "v"}})};
    const Output o = runComparer<RecordingFinder>(s, nullptr, run, [&](RecordingFinder& f) { f.calls = &calls; });
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(o.out, std::vector<std::string>{line("new", "\"k\"" + kSep + "\"v\"")});
}

TEST(CompareStringsFileTest, FailureBecomesAnErrorLineOnBothStreams) {
    Inputs s{.obj1 = dict({{"k", "v"}}), .obj2 = dict({})};
    const Output o = runComparer<RecordingFinder>(s, nullptr, runWithFindStrings(),
                                                  [](RecordingFinder& f) { f.fail = true; });
    const std::string error = "# [lcv:e:CompareStringsFile:DoCompare:runtime_error:" + kHeader + ":] find engine failed";
    EXPECT_EQ(o.err, std::vector<std::string>{error});
    EXPECT_EQ(o.out, std::vector<std::string>{error});
}

}  // namespace

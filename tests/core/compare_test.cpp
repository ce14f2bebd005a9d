#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/compare.h"
#include "e2e_util.h"

using namespace lcv;

namespace {

struct Captured {
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* f = open_memstream(&buf, &len);
    ~Captured() {
        if (f) std::fclose(f);
        std::free(buf);
    }
    std::string text() {
        std::fflush(f);
        return std::string(buf, len);
    }
};

DictRef params(std::initializer_list<std::pair<const char*, Value>> entries) {
    auto p = Dict::make();
    for (const auto& [k, v] : entries) p->set(k, v);
    return p;
}

DictRef tree(std::initializer_list<std::pair<const char*, const char*>> entries) {
    auto d = Dict::make();
    for (const auto& [k, v] : entries) d->set(k, v);
    return d;
}

}  // namespace

TEST(CompareBase, ItemSetsPlainAndTranslated) {
    // Side 1 lists English.lproj expecting Japanese.lproj on side 2, and back.
    auto o1 = tree({{".", "."}, {"English.lproj", "Japanese.lproj"}, {"Old", "Old"}});
    auto o2 = tree({{".", "."}, {"Japanese.lproj", "English.lproj"}, {"New", "New"}});
    Compare c(params({{"obj1", o1}, {"obj2", o2}}));
    EXPECT_EQ(c.getNewItems(), (std::vector<std::string>{"Japanese.lproj", "New"}));
    EXPECT_EQ(c.getObsoleteItems(), (std::vector<std::string>{"English.lproj", "Old"}));
    EXPECT_EQ(c.getIdenticalItems(), (std::vector<std::string>{"."}));
    EXPECT_EQ(c.getNewItemsWithTranslation(), (std::vector<std::string>{"New"}));
    EXPECT_EQ(c.getObsoleteItemsWithTranslation(), (std::vector<std::string>{"Old"}));
    EXPECT_EQ(c.getIdenticalItemsWithTranslation(), (std::vector<std::string>{".", "English.lproj"}));

    auto v1 = tree({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    auto v2 = tree({{"a", "1"}, {"b", "x"}, {"d", "4"}});
    Compare d(params({{"obj1", v1}, {"obj2", v2}}));
    EXPECT_EQ(d.getIdenticalItemsInDict(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(d.getChangedItemsInDict(), (std::vector<std::string>{"b"}));
    // The comparer holds the caller's dictionaries, not copies.
    v2->set("b", "2");
    EXPECT_EQ(d.getIdenticalItemsInDict(), (std::vector<std::string>{"a", "b"}));
}

TEST(CompareBase, PrintingSortsByCodeUnits) {
    Captured out, err;
    auto pc = std::make_shared<PrintCenter>(out.f, err.f);
    Compare c(params({{"pCenter", pc}}));
    c.printCompareResult(std::vector<std::string>{"a", "B", "\xc3\xa9", "A"}, "# [lcv:i:new:file:] ");
    c.printCompareResult(std::vector<std::int64_t>{10, -2, 3}, "id ");
    c.printDiffOutput("changed", {"< x", "", "> y"}, nullptr, nullptr);
    EXPECT_EQ(out.text(),
              "# [lcv:i:new:file:] A\n# [lcv:i:new:file:] B\n# [lcv:i:new:file:] a\n# [lcv:i:new:file:] \xc3\xa9\n"
              "id -2\nid 3\nid 10\n"
              "# [lcv:i:changed:file:diff://-><-//-><-//:] < x\n# [lcv:i:changed:file:diff://-><-//-><-//:] > y\n");
}

TEST(CompareBase, PathHeadersAndPropertyListPaths) {
    auto options = Dict::make();
    auto p = params({{"obj1_parDirAbolute", "/abs/one"},
                     {"obj1_parDirRelative_fromParam", "./Contents"},
                     {"obj1_fileName", "a.txt"},
                     {"obj2_parDirAbolute", "/abs/two/"},
                     {"obj2_parDirRelative_fromParam", "./Contents"},
                     {"obj2_fileName", "b.txt"},
                     {"options", options}});
    Compare c(p);
    const std::string n1 = "x", n2 = "y";
    EXPECT_EQ(c.GetPathForHeader(), "//->/abs/one/a.txt<-//->/abs/two/b.txt<-//");
    EXPECT_EQ(c.GetPath1ForHeader(), "//->/abs/one/a.txt<-//");
    EXPECT_EQ(c.GetPathForHeaderWithFile(&n1, &n2), "//->/abs/one/x<-//->/abs/two/y<-//");
    EXPECT_EQ(c.GetPathForHeaderWithFile(&n1, nullptr), "//->/abs/one/x<-//-><-//");
    EXPECT_EQ(c.GetPathForHeaderWithFile(nullptr, &n2), "//-><-//->/abs/two/y<-//");
    EXPECT_EQ(c.GetPathForHeaderWithFile(nullptr, nullptr), "//-><-//-><-//");
    EXPECT_EQ(c.GetPathForHeaderWithFile2(nullptr), "//-><-//");
    EXPECT_EQ(c.GetPathForPlist(), "/abs/one/a.txt // /abs/two/b.txt");
    EXPECT_EQ(c.GetPathForPlistWithFile(nullptr, &n2), "/abs/two/y");
    options->set("sh", true);
    EXPECT_EQ(c.GetPathForHeader(), "//->./Contents/a.txt<-//->./Contents/b.txt<-//");

    Compare empty(params({}));
    EXPECT_EQ(empty.GetPathForPlist(), "");
    EXPECT_EQ(empty.GetPathForHeader(), "//-><-//-><-//");
}

TEST(CompareBase, OptionAccessorsAndCachePaths) {
    auto options = Dict::make();
    Compare c(params({{"options", options}}));
    EXPECT_TRUE(c.compModeOldNew());
    EXPECT_FALSE(c.compModeUSLoc() || c.compModeQTA() || c.compModeVerify() || c.compModeBinary() || c.compModeQuick());
    options->set("m", 5);
    EXPECT_FALSE(c.compModeOldNew());
    EXPECT_TRUE(c.compModeQuick());
    options->set("i", false);
    EXPECT_FALSE(c.printIdenticalEntity());

    setenv("XDG_CACHE_HOME", "/cache", 1);
    options->set("cache1", true);
    EXPECT_EQ(c.cacheFileNameForLyt("/x/Main.lyt", "a"), "/cache/LocCache/lyt/x/Main.lyt.a");
    options->set("cacheDir", "/given");
    EXPECT_EQ(c.cacheFileNameForLyt("/x/Main.lyt", "a"), "/cache/LocCache/lyt/x/Main.lyt.a");
    options->set("cache2", true);
    EXPECT_EQ(c.cacheFileNameForLyt("/x/Main.lyt", "a"), "/x/Main.lyt.a");
    options->remove("cache1");
    options->remove("cache2");
    EXPECT_EQ(c.cacheFileNameForLyt("/x/Main.lyt", "a"), "/given/x/Main.lyt.a");
    unsetenv("XDG_CACHE_HOME");
}

TEST(CompareBase, LayoutToolLookup) {
    lcvtest::TempDir t;
    const std::string tool = t.write("bin/lyttool", "#!/bin/sh\n");
    auto options = Dict::make();
    options->set("nt", tool);
    Compare c(params({{"options", options}}));
    EXPECT_TRUE(c.lytToolExist());
    EXPECT_EQ(c.lyttoolPath(), tool);
    // A -nt path where no file is falls back to the default places.
    options->set("nt", t / "missing/lyttool");
    c.set_lytToolExist();
    EXPECT_NE(c.lyttoolPath(), t / "missing/lyttool");
    EXPECT_EQ(c.lytToolExist(), !c.lyttoolPath().empty());
}

TEST(PrintCenter, StreamsAndPropertyListMode) {
    Captured out, err;
    PrintCenter pc(out.f, err.f);
    pc.PrintMetaInfoToStdError("# [lcv:e:x:]", "Error");
    pc.printQuotedStringToStdOut("a\tb", true);
    pc.printStringToStdOut("\xff", true);  // not UTF-8
    EXPECT_EQ(err.text(), "# [lcv:e:x:]\n# [lcv:e:convertNSStringIntoData:InvalidUTF8:]\n");
    EXPECT_EQ(out.text(), "# [lcv:e:x:]\n\"a\\tb\"\n# [lcv:e:convertNSStringIntoData:InvalidUTF8:]\n");

    Captured out2, err2;
    PrintCenter plist(out2.f, err2.f);
    auto root = Dict::make();
    plist.set_reportRoot(root);
    plist.PrintMetaInfoToStdError("# [lcv:e:y:]", "Error");
    plist.printQuotedStringToStdOut("q\"", true);
    plist.printStringToStdError("m", true);
    EXPECT_EQ(out2.text(), "");
    EXPECT_EQ(err2.text(), "");
    EXPECT_EQ(root->get("Error").array()->items(), (std::vector<Value>{"# [lcv:e:y:]"}));
    EXPECT_EQ(root->get("Misfits").array()->items(), (std::vector<Value>{"q\"", "m"}));
}

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <regex>

#include "driver/tree.h"
#include "e2e_util.h"

using namespace lcv;

namespace {

// Stands in for the expression interpreter: "m/RE/;" matched as an ECMAScript
// regular expression.
class SimpleMatcher : public RegexMatcher {
public:
    bool matches(const std::string& text, const std::string& expression) override {
        const std::string body = expression.substr(2, expression.rfind('/') - 2);
        return std::regex_search(text, std::regex(body));
    }
};

struct Fixture {
    lcvtest::TempDir t;
    Fixture() {
        t.mkdir("Contents/Resources/English.lproj/Main.lyt");
        t.mkdir("Contents/Resources/Japanese.lproj");
        t.mkdir("Foo/Bar");
        t.write("Contents/Resources/English.lproj/x.strings", "");
        t.write("Contents/._Resources", "");  // a sidecar, not an entry
        t.mkdir("Elsewhere/Deep");
        EXPECT_EQ(symlink((t / "Elsewhere").c_str(), (t / "Contents/Link").c_str()), 0);
    }
};

std::vector<std::string> keysOf(const Dict& d) {
    std::vector<std::string> k = d.keys();
    std::sort(k.begin(), k.end());
    return k;
}

}  // namespace

TEST(TreeListing, DirectoriesWithRestrictionMapAndFilters) {
    Fixture f;
    RunContext run;
    Dict all;
    AddAllDirectoriesToDict(all, f.t.path(), run, nullptr, std::nullopt);
    // A link to a directory is a directory, and nothing below it is listed.
    EXPECT_EQ(keysOf(all), (std::vector<std::string>{".", "Contents", "Contents/Link", "Contents/Resources",
                                                     "Contents/Resources/English.lproj",
                                                     "Contents/Resources/English.lproj/Main.lyt",
                                                     "Contents/Resources/Japanese.lproj", "Elsewhere",
                                                     "Elsewhere/Deep", "Foo", "Foo/Bar"}));
    EXPECT_EQ(all.get("Foo/Bar"), Value("Foo/Bar"));

    Dict restricted;
    AddAllDirectoriesToDict(restricted, f.t.path(), run, nullptr, std::string("English.lproj|Japanese.lproj"));
    EXPECT_EQ(keysOf(restricted),
              (std::vector<std::string>{"Contents/Resources/English.lproj", "Contents/Resources/English.lproj/Main.lyt",
                                        "Contents/Resources/Japanese.lproj"}));
    Dict anyLproj;
    AddAllDirectoriesToDict(anyLproj, f.t.path(), run, nullptr, std::string("*.lproj"));
    EXPECT_EQ(keysOf(anyLproj), keysOf(restricted));

    auto map = Dict::make();
    map->set("English.lproj", "French.lproj");
    Dict mapped;
    AddAllDirectoriesToDict(mapped, f.t.path(), run, map, std::nullopt);
    EXPECT_EQ(keysOf(mapped), (std::vector<std::string>{"Contents/Resources/English.lproj",
                                                        "Contents/Resources/English.lproj/Main.lyt"}));
    EXPECT_EQ(mapped.get("Contents/Resources/English.lproj/Main.lyt"), Value("Contents/Resources/French.lproj/Main.lyt"));

    run.matcher = std::make_shared<SimpleMatcher>();
    run.directoryFilter = Dict::make();
    run.directoryFilter->set("m/^Foo$/;", false);
    Dict excluded;
    AddAllDirectoriesToDict(excluded, f.t.path(), run, nullptr, std::nullopt);
    EXPECT_FALSE(excluded.contains("Foo"));
    EXPECT_TRUE(excluded.contains("Foo/Bar"));
    EXPECT_TRUE(excluded.contains("."));

    run.directoryFilter = Dict::make();
    run.directoryFilter->set("m/^Foo(\\/.*)?$/;", true);
    Dict included;
    AddAllDirectoriesToDict(included, f.t.path(), run, nullptr, std::nullopt);
    EXPECT_EQ(keysOf(included), (std::vector<std::string>{"Foo", "Foo/Bar"}));
}

TEST(TreeListing, FilesWithNameFilter) {
    Fixture f;
    RunContext run;
    run.matcher = std::make_shared<SimpleMatcher>();
    run.fileNameFilter = Dict::make();
    run.fileNameFilter->set("m/\\.strings$/;", true);
    Dict files;
    AddAllFilesToDict(files, f.t.path(), run);
    EXPECT_EQ(keysOf(files), (std::vector<std::string>{"Contents/Resources/English.lproj/x.strings"}));
}

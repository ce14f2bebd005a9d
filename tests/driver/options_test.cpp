#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "driver/options.h"
#include "e2e_util.h"

using namespace lcv;

namespace {

struct Outcome {
    std::optional<int> status;
    std::string out, err;
    RunContext run;
    ParsedArguments args;
};

std::unique_ptr<Outcome> parseArgs(std::vector<std::string> argv) {
    auto o = std::make_unique<Outcome>();
    char *outBuf = nullptr, *errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    std::FILE* out = open_memstream(&outBuf, &outLen);
    std::FILE* err = open_memstream(&errBuf, &errLen);
    CommandLine cl(out, err);
    o->status = cl.parse(argv, o->run, o->args);
    std::fclose(out);
    std::fclose(err);
    o->out.assign(outBuf, outLen);
    o->err.assign(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    return o;
}

std::string usage() { return CommandLine::usageText(); }

bool flagOn(const Outcome& o, const char* key) { return o.run.options->get(key).boolean(); }

}  // namespace

TEST(Usage, MatchesTheExpectedTextByteForByte) {
    std::ifstream in(std::string(LCV_SOURCE_DIR) + "/tests/driver/usage.expected", std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(usage(), expected.str());
}

// Options that end the run: status, the message and where it goes.
TEST(CommandLineParser, FatalCases) {
    const std::string both = "# [lcv:e:parameter:] You can not specify both -inclf and -exclf.\n";
    const std::string cache =
        "# [lcv:e:parameter:] You can not specify more than one options in -cache1, -cache2 and -cacheDir.\n";
    const std::string oid =
        "# [lcv:e:] You must replace YOUR_LANG.lproj with your language. (ex. -oidlist \"Japanese.lproj\").\n";
    const std::string oidMissing =
        "# [lcv:e:] You must specify a language lproj after -oidlist (ex. -oidlist \"Japanese.lproj\").\n";
    const std::string fsl = "# [lcv:e:] You must specify a string after -fsl (ex. -fsl \"string\")\n";
    const std::string fsr = "# [lcv:e:] You must specify a string after -fsl (ex. -fsr \"m/open/i;\")\n";
    const std::string tlb = "# [lcv:e:parameter:] -treateLytAsBundle must be specified with -b option.\n";
    const std::string tlbPlist = "# [lcv:e:parameter:] -treateLytAsBundle must NOT be specified with -plist option.\n";
    const std::string rfdf = "# [lcv:e:parameter:] -notDifferentiateRFDF must NOT be specified with -plist option.\n";
    const std::string mapLproj = "# [lcv:e:parameter:] You can not specify both -map and -lproj.\n";
    struct Case {
        std::vector<std::string> argv;
        int status;
        std::string out, err;
    } cases[] = {
        {{}, 1, usage(), ""},
        {{"lcv", "-i", "-h", "-zzz"}, 0, usage(), ""},
        {{"lcv", "-zzz", "-h", "a", "b"}, 0, usage(), "# [lcv:e:] Unknown option: -zzz.\n"},
        {{"lcv", "-exclf", "m/a/;", "-inclf", "m/b/;", "a", "b"}, 3, both + usage(), both},
        {{"lcv", "-exclfoo", "m/a/;", "-inclf", "m/b/;"}, 3, both + usage(), both},
        {{"lcv", "-excltifftag", "x", "-incltifftag", "y"}, 3,
         "# [lcv:e:parameter:] You can not specify both -incltifftag and -excltifftag.\n" + usage(),
         "# [lcv:e:parameter:] You can not specify both -incltifftag and -excltifftag.\n"},
        {{"lcv", "-cache1", "-cacheDir", "/tmp"}, 3, cache + usage(), cache},
        {{"lcv", "-oidlist", "YOUR_LANG.lproj"}, 3, oid + usage(), oid},
        {{"lcv", "-oidlist"}, 3, oidMissing + usage(), oidMissing},
        {{"lcv", "-fsl"}, 3, fsl + usage(), fsl},
        {{"lcv", "-fsr"}, 3, fsr + usage(), fsr},
        {{"lcv", "-treateLytAsBundle", "a", "b"}, 3, "", tlb},
        {{"lcv", "-treateLytAsBundle", "-b", "-plist"}, 3, "", tlbPlist},
        {{"lcv", "-notDifferentiateRFDF", "-plist"}, 3, "", rfdf},
        {{"lcv", "-map", "Japanese.lproj", "-lproj", "Japanese.lproj", "a"}, 3, usage(), mapLproj},
    };
    for (const auto& c : cases) {
        auto o = parseArgs(c.argv);
        const std::string label = c.argv.empty() ? "(empty)" : c.argv[1];
        ASSERT_TRUE(o->status.has_value()) << label;
        EXPECT_EQ(*o->status, c.status) << label;
        EXPECT_EQ(o->out, c.out) << label;
        EXPECT_EQ(o->err, c.err) << label;
    }
}

// Options that go on: the state they leave and the messages they print.
TEST(CommandLineParser, ContinuingCases) {
    using Check = std::function<void(const Outcome&)>;
    struct Case {
        std::vector<std::string> argv;
        std::string err;
        Check check;
    } cases[] = {
        {{"lcv", "-b", "-q", "old", "new", "extra"}, "",
         [](const Outcome& o) {
             EXPECT_EQ(o.run.options->get("m"), Value(5));
             EXPECT_EQ(o.args.positional, (std::vector<std::string>{"lcv", "old", "new", "extra"}));
         }},
        {{"lcv", "-foo", "a", "b"}, "# [lcv:e:] Unknown option: -foo.\n",
         [](const Outcome& o) { EXPECT_EQ(o.args.positional.size(), 3u); }},
        {{"lcv", "--help", "--DLOG-32765", "--STR#128", "--vers1"}, "",
         [](const Outcome& o) {
             ASSERT_EQ(o.run.resTypeFilter.size(), 1u);
             EXPECT_EQ(o.run.resTypeFilter[0].type, 0x68656c70u);  // 'help'
             ASSERT_EQ(o.run.resTypeIdFilter.size(), 3u);
             EXPECT_EQ(o.run.resTypeIdFilter[0], (ResFilterEntry{0x444c4f47u, -32765}));
             EXPECT_EQ(o.run.resTypeIdFilter[1], (ResFilterEntry{0x53545223u, 128}));
             EXPECT_EQ(o.run.resTypeIdFilter[2], (ResFilterEntry{0x76657273u, 1}));
             EXPECT_FALSE(flagOn(o, "prmap"));
             EXPECT_TRUE(flagOn(o, "frmap"));
         }},
        {{"lcv", "--abc", "--abcdefghijk"},
         "# [lcv:e:] Unknown option: --abc.\n# [lcv:e:] Unknown option: --abcdefghijk.\n",
         [](const Outcome& o) { EXPECT_TRUE(o.run.resTypeFilter.empty() && o.run.resTypeIdFilter.empty()); }},
        {{"lcv", "-prmap", "--alis"}, "", [](const Outcome& o) {
             EXPECT_FALSE(flagOn(o, "prmap"));
             EXPECT_TRUE(flagOn(o, "frmap"));
         }},
        {{"lcv", "-tfhtml", "s.pl", "-tf_", "x", "-tf_html", "y.pl", "-tf_html", "z.pl"},
         "# [lcv:e:] No file/extension name. You must specify file/extension name after -tf_. (ex. -tf_html "
         "'/Users/zorvik/filter.pl')\n"
         "# [lcv:e:]  Error specifying -tf_xxxx option. Duplicated definition for html\n",
         [](const Outcome& o) {
             ASSERT_TRUE(o.run.textFilterTable);
             EXPECT_EQ(o.run.textFilterTable->get("tml"), Value("s.pl"));
             EXPECT_EQ(o.run.textFilterTable->get("html"), Value("y.pl"));
             EXPECT_EQ(o.args.positional.size(), 1u);  // "x" was consumed as a value
         }},
        {{"lcv", "-tf_txt"},
         "# [lcv:e:] No argument. You must specify filter_def after -tf_xxxx (ex. -tf_html "
         "'/Users/zorvik/filter.pl')\n",
         [](const Outcome& o) { EXPECT_FALSE(o.run.textFilterTable); }},
        {{"lcv", "-exclfoo", "m/x/;", "-exclf", "m/x/;", "-incld", "-weird-", "-exclstre"},
         "# [lcv:e:] No argument. You must specify string_key after -exclstre/-inclstre\n",
         [](const Outcome& o) {
             ASSERT_TRUE(o.run.fileNameFilter);
             EXPECT_EQ(o.run.fileNameFilter->size(), 1u);
             EXPECT_EQ(o.run.fileNameFilter->get("m/x/;"), Value(false));
             EXPECT_EQ(o.run.directoryFilter->get("-weird-"), Value(true));
             EXPECT_FALSE(o.run.stringKeyFilter);
         }},
        {{"lcv", "-map", "Japanese.lproj", "-map", "German.lproj/French.lproj", "-map", "a/b/c"},
         "# [lcv:e:] You must specify a directory pair after -map (ex. -map \"English.lproj/French.lproj\").\n",
         [](const Outcome& o) {
             EXPECT_EQ(o.run.lprojMap->get("English.lproj"), Value("Japanese.lproj"));
             EXPECT_EQ(o.run.reverseLprojMap->get("Japanese.lproj"), Value("English.lproj"));
             EXPECT_EQ(o.run.lprojMap->get("German.lproj"), Value("French.lproj"));
             EXPECT_EQ(o.run.reverseLprojMap->get("French.lproj"), Value("German.lproj"));
         }},
        {{"lcv", "-fsl", "Zorvik", "-i", "", "-fsr", "m/x/;", "a"}, "",
         [](const Outcome& o) {
             EXPECT_EQ(o.out, "# [lcv:e:parameter:] Exception during parameter check.\n");
             EXPECT_EQ(o.run.commandLineRecord, "lcv -fsl -i  -fsr a");
             for (const char* k : {"str", "pnew", "pobs", "i"}) EXPECT_TRUE(flagOn(o, k)) << k;
             EXPECT_EQ(o.run.findStringTable->get("fsl").array()->size(), 1u);
         }},
        {{"lcv", "-skrf", "-nt", "lyttool", "-nt", "/opt/tool", "-nt", "/opt/lyttool", "-cacheDir", "~/c"},
         "# [lcv:e:] You must specify a path to lyttool in ABSOLUTE PATH after -nt (ex. -nt /usr/bin/lyttool).\n"
         "# [lcv:e:] Last path component is not lyttool. You must specify a path to lyttool after -nt (ex. -nt "
         "/usr/bin/lyttool).\n",
         [](const Outcome& o) {
             EXPECT_TRUE(flagOn(o, "skr"));
             EXPECT_EQ(o.run.options->get("nt"), Value("/opt/lyttool"));
             EXPECT_EQ(o.run.options->get("cacheDir"), Value("~/c"));
         }},
        {{"lcv", "-mapfByPair", "a.txt/b.txt", "-mapdByPair", "only", "-tmp_txt_path", "/nonexistent/dir"},
         "# [lcv:e:] You must specify a file pair after -mapdByPair (ex. -mapdByPair \"Sonora1.0.1/Sonora1.1\").\n"
         "# [lcv:e:] The directory you specified in -tmp_txt_path doesn't exist.\n",
         [](const Outcome& o) {
             EXPECT_EQ(o.run.fileNameMap->get("a.txt"), Value("b.txt"));
             EXPECT_FALSE(o.run.directoryNameMap);
             EXPECT_FALSE(o.args.tmpTextCandidate);
         }},
        {{"lcv", "-mapfByGlossary", "/nonexistent/g.strings"},
         "# [lcv:e:] The string file /nonexistent/g.strings specified after -mapfByGlossary doesn't exist.\n",
         [](const Outcome& o) { EXPECT_FALSE(o.run.fileNameMap); }},
        {{"lcv", "-plist", "-p", "a", "b"}, "",
         [](const Outcome& o) {
             ASSERT_TRUE(o.run.reportRoot);
             EXPECT_EQ(o.run.reportRoot->get("lcvversion"), Value("2.7"));
             EXPECT_EQ(o.run.reportRoot->get("lcvbuildnumber"), Value("16"));
             EXPECT_EQ(o.run.reportRoot->get("lcvoptions"), Value("lcv -plist -p a b"));
         }},
    };
    for (const auto& c : cases) {
        auto o = parseArgs(c.argv);
        const std::string label = c.argv.size() > 1 ? c.argv[1] : "";
        EXPECT_FALSE(o->status.has_value()) << label;
        EXPECT_EQ(o->err, c.err) << label;
        c.check(*o);
    }
}

TEST(CommandLineParser, GlossaryMaps) {
    lcvtest::TempDir t;
    const std::string good = t.write("files.strings", "\xEF\xBB\xBF/* files */\n\"Read Me\" = \"Lisez-moi\";\nHelp = Aide;\n");
    const std::string bad = t.write("bad.strings", "\"a\" = ;");
    const std::string empty = t.write("empty.strings", "/* nothing */\n");
    auto o = parseArgs({"lcv", "-mapfByGlossary", good, "-mapdByGlossary", bad, "-mapdByGlossary", empty,
                        "-mapdByGlossary", t.path()});
    EXPECT_EQ(o->err, "# [lcv:e:] The string file " + bad + " specified after -mapdByGlossary seems malformed.\n" +
                          "# [lcv:e:] The string file " + empty + " specified after -mapdByGlossary has no string entry.\n" +
                          "# [lcv:e:] The string file " + t.path() + " specified after -mapdByGlossary doesn't exist.\n");
    ASSERT_TRUE(o->run.fileNameMap);
    EXPECT_EQ(o->run.fileNameMap->get("Read Me"), Value("Lisez-moi"));
    EXPECT_EQ(o->run.fileNameMap->get("Help"), Value("Aide"));
    EXPECT_FALSE(o->run.directoryNameMap);
}

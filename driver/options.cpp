#include "driver/options.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <set>

#include "core/path.h"
#include "core/text.h"

namespace lcv {

namespace {

struct UsageEntry {
    const char* head;
    std::initializer_list<const char*> description;
};

const UsageEntry kUsage[] = {
#include "driver/usage_table.inc"
};

// Options that store the boolean true under their own name.
const std::set<std::string> kFlags = {
    "plist", "i", "p", "pc", "pnew", "pobs", "pnewfile", "pobsfile", "hd", "prmap", "diff", "sh", "presdump",
    "objinfo", "ptwindiff", "psummarydiff", "skn", "sks", "skr", "skrf", "ski", "skt", "sktiff", "sksfmi", "skmd",
    "skcd", "skunix", "sklinks", "skprebind", "skitemlevel", "skfile", "skdir", "str", "frmap", "faddrstr",
    "slytnodata", "slyterr", "check_xml", "mapfByContent", "mapfByTiffImage", "mapfByGuess", "mapfBy_ftag",
    "doNotMapfByName", "nd", "cn", "cache1", "cache2", "flatten_plist", "flatten_xml", "csd", "treateLytAsBundle",
    "notDifferentiateRFDF", "zhg", "ska", "flatten_hierarchy", "exitIfChanged", "debug", "icheck",
};

struct FilterFamily {
    const char* name;       // without "excl"/"incl"
    DictRef RunContext::*table;
    const char* missingMessage;
    const char* bothMessage;
};

const FilterFamily kFamilies[] = {
    {"f", &RunContext::fileNameFilter, "# [lcv:e:] No argument. You must specify a file name after -exclf/-inclf.\n",
     "# [lcv:e:parameter:] You can not specify both -inclf and -exclf.\n"},
    {"d", &RunContext::directoryFilter, "# [lcv:e:] No argument. You must specify directory after -excld/-incld\n",
     "# [lcv:e:parameter:] You can not specify both -incld and -excld.\n"},
    {"stre", &RunContext::stringKeyFilter,
     "# [lcv:e:] No argument. You must specify string_key after -exclstre/-inclstre\n",
     "# [lcv:e:parameter:] You can not specify both -inclstre and -exclstre.\n"},
    {"pliste", &RunContext::plistKeyFilter,
     "# [lcv:e:] No argument. You must specify plist_key after -exclpliste/-inclpliste\n",
     "# [lcv:e:parameter:] You can not specify both -inclpliste and -exclpliste.\n"},
    {"xmle", &RunContext::xmlPathFilter, "# [lcv:e:] No argument. You must specify xpath after -exclxmle/-inclxmle\n",
     "# [lcv:e:parameter:] You can not specify both -inclxmle and -exclxmle.\n"},
    {"tifftag", &RunContext::tiffTagFilter,
     "# [lcv:e:] No argument. You must specify a tag after -excltifftag/-incltifftag\n",
     "# [lcv:e:parameter:] You can not specify both -incltifftag and -excltifftag.\n"},
    {"lytattr", &RunContext::lytAttrFilter,
     "# [lcv:e:] No argument. You must specify lyt_attribute_name after -excllytattr/-incllytattr\n",
     "# [lcv:e:parameter:] You can not specify both -incllytattr and -excllytattr.\n"},
    {"resitem", &RunContext::resItemFilter,
     "# [lcv:e:] No argument. You must specify resource_item_name after -exclresitem/-inclresitem\n",
     "# [lcv:e:parameter:] You can not specify both -inclresitem and -exclresitem.\n"},
};

const FilterFamily* familyOf(const std::string& option) {
    for (const auto& f : kFamilies) {
        if (startsWith(option, std::string("-excl") + f.name) || startsWith(option, std::string("-incl") + f.name))
            return &f;
    }
    return nullptr;
}

std::uint32_t fourCharCode(const std::string& text) {
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i)
        code = (code << 8) | static_cast<unsigned char>(i < static_cast<int>(text.size()) ? text[i] : 0);
    return code;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string CommandLine::usageText() {
    std::string text =
        "usage: lcv [options] old_or_US_file_or_directory new_or_Loc_file_or_directory\n"
        "Options:\n";
    for (const auto& entry : kUsage) {
        const std::size_t len = std::strlen(entry.head);
        const int tabs = len >= 32 ? 1 : len >= 24 ? 2 : len >= 16 ? 3 : 4;
        text += entry.head;
        text.append(static_cast<std::size_t>(tabs), '\t');
        bool first = true;
        for (const char* piece : entry.description) {
            if (!first) text += "\t\t\t\t\t";
            text += piece;
            text += '\n';
            first = false;
        }
    }
    text += "Build number: 16\n";
    text += "lcv:version 2.7\n";
    return text;
}

void CommandLine::printUsage() const {
    const std::string u = usageText();
    std::fwrite(u.data(), 1, u.size(), out_);
    std::fflush(out_);
}

void CommandLine::toErr(const std::string& text) const {
    std::fwrite(text.data(), 1, text.size(), err_);
    std::fflush(err_);
}

void CommandLine::toOutAndErr(const std::string& text) const {
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
    toErr(text);
}

int CommandLine::fatal(const std::string& text) const {
    toOutAndErr(text);
    printUsage();
    return 3;
}

void CommandLine::addFilter(RunContext& run, const std::string& option, const std::string* value) {
    const FilterFamily* family = familyOf(option);
    if (!value) {
        toErr(family->missingMessage);
        return;
    }
    DictRef& table = run.*(family->table);
    if (!table) table = Dict::make(3);
    table->set(*value, !startsWith(option, "-excl"));
}

void CommandLine::loadGlossary(const std::string& path, DictRef& map, const char* option) {
    if (!isRegularFilePath(path)) {
        toErr(sformat("# [lcv:e:] The string file %s specified after %s doesn't exist.\n", path.c_str(), option));
        return;
    }
    auto entries = Dict::make(8);
    std::string reason;
    if (!readGlossaryStringsFile(path, *entries, reason)) {
        const char* what = reason == "malformed" ? "seems malformed" : "has no string entry";
        toErr(sformat("# [lcv:e:] The string file %s specified after %s %s.\n", path.c_str(), option, what));
        return;
    }
    if (!map) map = Dict::make(8);
    for (const auto& [k, v] : *entries) map->set(k, v);
}

std::optional<int> CommandLine::parse(const std::vector<std::string>& argv, RunContext& run, ParsedArguments& args) {
    if (argv.empty()) {
        printUsage();
        return 1;
    }
    DictRef& options = run.options;
    std::string& record = run.commandLineRecord;
    record.reserve(1024);
    std::vector<std::string> typeTexts, typeIdTexts;

    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& arg = argv[i];
        record += arg;
        record += ' ';
        if (arg.empty()) {
            std::fputs("# [lcv:e:parameter:] Exception during parameter check.\n", out_);
            std::fflush(out_);
            continue;
        }
        if (arg[0] != '-') {
            args.positional.push_back(arg);
            continue;
        }
        // Takes the next argument as the value of this option, recording it unless
        // told otherwise; null when the vector ends here.
        auto takeValue = [&](bool recordIt = true) -> const std::string* {
            if (i + 1 >= argv.size()) return nullptr;
            ++i;
            if (recordIt) {
                record += argv[i];
                record += ' ';
            }
            return &argv[i];
        };
        const std::string name = arg.substr(1);

        if (arg == "-h") {
            printUsage();
            return 0;
        }
        if (kFlags.count(name)) {
            options->set(name, true);
            continue;
        }
        if (arg == "-b" || arg == "-q" || arg == "-0" || arg == "-1" || arg == "-2" || arg == "-3") {
            const int mode = arg == "-b" ? 4 : arg == "-q" ? 5 : arg[1] - '0';
            options->set("m", static_cast<std::int16_t>(mode));
            continue;
        }
        if (arg == "-d") continue;
        if (arg == "-fsl" || arg == "-fsr") {
            const std::string* v = takeValue(false);
            if (!v) {
                return fatal(arg == "-fsl" ? "# [lcv:e:] You must specify a string after -fsl (ex. -fsl \"string\")\n"
                                           : "# [lcv:e:] You must specify a string after -fsl (ex. -fsr \"m/open/i;\")\n");
            }
            if (!run.findStringTable) run.findStringTable = Dict::make(3);
            const std::string key = name;
            if (!run.findStringTable->contains(key)) run.findStringTable->set(key, Array::make(16));
            run.findStringTable->get(key).array()->push_back(*v);
            continue;
        }
        if (arg == "-mapfByPair" || arg == "-mapdByPair") {
            const std::string* v = takeValue();
            std::vector<std::string> parts;
            if (v) parts = pathComponents(*v);
            const bool files = arg == "-mapfByPair";
            if (!v || parts.size() != 2) {
                toErr(files ? "# [lcv:e:] You must specify a file pair after -mapfByPair (ex. -mapfByPair "
                              "\"English_file_name/Japanese_file_name\").\n"
                            : "# [lcv:e:] You must specify a file pair after -mapdByPair (ex. -mapdByPair "
                              "\"Sonora1.0.1/Sonora1.1\").\n");
                continue;
            }
            DictRef& map = files ? run.fileNameMap : run.directoryNameMap;
            if (!map) map = Dict::make(8);
            map->set(parts[0], parts[1]);
            continue;
        }
        if (arg == "-mapfByGlossary" || arg == "-mapdByGlossary") {
            const std::string* v = takeValue();
            const bool files = arg == "-mapfByGlossary";
            if (!v) {
                toErr(files ? "# [lcv:e:] You must specify a file pair after -mapfByGlossary (ex. -mapfByGlossary "
                              "\"~/J_FileName_glossary.strings\").\n"
                            : "# [lcv:e:] You must specify a file pair after -mapdByGlossary (ex. -mapdByGlossary "
                              "\"~/J_DirectoryName_glossary.strings\").\n");
                continue;
            }
            loadGlossary(*v, files ? run.fileNameMap : run.directoryNameMap, arg.c_str());
            continue;
        }
        if (arg == "-map") {
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] You must specify a directory pair after -map (ex. -map "
                      "\"English.lproj/Japanese.lproj\").\n");
                continue;
            }
            const std::vector<std::string> parts = pathComponents(*v);
            if (parts.size() == 1) {
                run.lprojMap->set("English.lproj", parts[0]);
                run.reverseLprojMap->set(parts[0], "English.lproj");
            } else if (parts.size() == 2) {
                run.lprojMap->set(parts[0], parts[1]);
                run.reverseLprojMap->set(parts[1], parts[0]);
            } else {
                toErr("# [lcv:e:] You must specify a directory pair after -map (ex. -map "
                      "\"English.lproj/French.lproj\").\n");
            }
            continue;
        }
        if (arg == "-lproj") {
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] You must specify a language lproj after -lproj (ex. -lproj \"Japanese.lproj\").\n");
                continue;
            }
            run.lprojRestriction = *v;
            continue;
        }
        if (arg == "-tmp_txt_path") {
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] You must specify a temporaly directory path for a converted text file after "
                      "-tmp_txt_path (ex. -tmp_txt_path /Users/zorvik/Library/Caches).\n");
                continue;
            }
            if (isDirectory(expandTilde(*v))) {
                args.tmpTextCandidate = *v;
            } else {
                args.tmpTextCandidate.reset();
                toErr("# [lcv:e:] The directory you specified in -tmp_txt_path doesn't exist.\n");
            }
            continue;
        }
        if (arg == "-nt") {
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] You must specify a path to lyttool after -nt (ex. -nt /usr/bin/lyttool).\n");
            } else if (v->empty() || (*v)[0] != '/') {
                toErr("# [lcv:e:] You must specify a path to lyttool in ABSOLUTE PATH after -nt (ex. -nt "
                      "/usr/bin/lyttool).\n");
            } else if (lastPathComponent(*v) != "lyttool") {
                toErr("# [lcv:e:] Last path component is not lyttool. You must specify a path to lyttool after -nt "
                      "(ex. -nt /usr/bin/lyttool).\n");
            } else {
                options->set("nt", *v);
            }
            continue;
        }
        if (arg == "-cacheDir") {
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] You must specify a path to cache directory after -cacheDir (ex. -cacheDir "
                      "/tmp/Caches/LocCache/lyt).\n");
                continue;
            }
            options->set("cacheDir", *v);
            continue;
        }
        if (arg == "-oidlist") {
            const std::string* v = takeValue();
            if (!v) {
                return fatal("# [lcv:e:] You must specify a language lproj after -oidlist (ex. -oidlist "
                             "\"Japanese.lproj\").\n");
            }
            if (*v == "YOUR_LANG.lproj") {
                return fatal("# [lcv:e:] You must replace YOUR_LANG.lproj with your language. (ex. -oidlist "
                             "\"Japanese.lproj\").\n");
            }
            options->set("oidlist", *v);
            continue;
        }
        // Prefix families.
        if (startsWith(arg, "-tf")) {
            if (arg.size() <= 4) {
                toErr("# [lcv:e:] No file/extension name. You must specify file/extension name after -tf_. (ex. "
                      "-tf_html '/Users/zorvik/filter.pl')\n");
                takeValue();
                continue;
            }
            const std::string target = arg.substr(4);
            const std::string* v = takeValue();
            if (!v) {
                toErr("# [lcv:e:] No argument. You must specify filter_def after -tf_xxxx (ex. -tf_html "
                      "'/Users/zorvik/filter.pl')\n");
                continue;
            }
            if (!run.textFilterTable) run.textFilterTable = Dict::make(3);
            if (run.textFilterTable->contains(target)) {
                toErr("# [lcv:e:]  Error specifying -tf_xxxx option. Duplicated definition for " + target + "\n");
                continue;
            }
            run.textFilterTable->set(target, *v);
            continue;
        }
        if (familyOf(arg)) {
            addFilter(run, arg, takeValue());
            continue;
        }
        if (startsWith(arg, "--") && arg.size() >= 6 && arg.size() <= 12) {
            (arg.size() == 6 ? typeTexts : typeIdTexts).push_back(arg.substr(2));
            continue;
        }
        toErr("# [lcv:e:] Unknown option: " + arg + ".\n");
    }

    if (auto status = validate(run)) return status;
    derive(run, args, typeTexts, typeIdTexts);
    return std::nullopt;
}

std::optional<int> CommandLine::validate(RunContext& run) {
    const DictRef& o = run.options;
    auto on = [&](const char* k) { return o->get(k).boolean(); };
    if (on("treateLytAsBundle")) {
        if (!o->contains("m") || o->get("m").integer() != 4) {
            toErr("# [lcv:e:parameter:] -treateLytAsBundle must be specified with -b option.\n");
            return 3;
        }
        if (on("plist")) {
            toErr("# [lcv:e:parameter:] -treateLytAsBundle must NOT be specified with -plist option.\n");
            return 3;
        }
    }
    if (on("notDifferentiateRFDF") && on("plist")) {
        toErr("# [lcv:e:parameter:] -notDifferentiateRFDF must NOT be specified with -plist option.\n");
        return 3;
    }
    if (run.lprojRestriction && !run.lprojMap->empty()) {
        toErr("# [lcv:e:parameter:] You can not specify both -map and -lproj.\n");
        printUsage();
        return 3;
    }
    if (int(on("cache1")) + int(on("cache2")) + int(o->contains("cacheDir")) > 1) {
        return fatal(
            "# [lcv:e:parameter:] You can not specify more than one options in -cache1, -cache2 and -cacheDir.\n");
    }
    for (const auto& f : kFamilies) {
        const DictRef& table = run.*(f.table);
        if (!table) continue;
        bool include = false, exclude = false;
        for (const auto& [expr, flag] : *table) (flag.boolean() ? include : exclude) = true;
        if (include && exclude) return fatal(f.bothMessage);
    }
    return std::nullopt;
}

void CommandLine::derive(RunContext& run, ParsedArguments& args, const std::vector<std::string>& typeTexts,
                         const std::vector<std::string>& typeIdTexts) {
    const DictRef& o = run.options;
    if (o->get("ptwindiff").boolean() || o->get("psummarydiff").boolean()) {
        if (args.tmpTextCandidate) {
            o->set("tmp_txt_path", *args.tmpTextCandidate);
        } else {
            const std::string dir = temporaryPath("text");
            o->set("tmp_txt_path", dir);
            if (::mkdir(dir.c_str(), 0700) != 0 && !isDirectory(dir)) {
                toErr(sformat("# [lcv:e:parameter:] You could not create a temp directory %s.\n", dir.c_str()));
                o->remove("ptwindiff");
            }
        }
        run.summaryTree1 = Dict::make(128);
        run.summaryTree2 = Dict::make(128);
    }
    if (o->get("skrf").boolean()) o->set("skr", true);
    if (run.findStringTable) {
        for (const char* k : {"str", "pnew", "pobs", "i"}) o->set(k, true);
    }
    if (!run.commandLineRecord.empty()) run.commandLineRecord.pop_back();

    for (const auto& t : typeTexts) run.resTypeFilter.push_back({fourCharCode(t), 0});
    for (const auto& t : typeIdTexts) {
        const long id = std::strtol(t.c_str() + 4, nullptr, 10);
        run.resTypeIdFilter.push_back({fourCharCode(t), static_cast<std::int16_t>(static_cast<std::uint16_t>(id))});
    }
    if (!run.resTypeFilter.empty() || !run.resTypeIdFilter.empty()) {
        o->set("prmap", false);
        o->set("frmap", true);
    }
    if (o->get("plist").boolean()) {
        run.reportRoot = Dict::make(1024);
        run.reportRoot->set("lcvversion", "2.7");
        run.reportRoot->set("lcvbuildnumber", "16");
        run.reportRoot->set("lcvoptions", run.commandLineRecord);
    }
    run.debugFlag = o->get("debug").boolean();
}

}  // namespace lcv

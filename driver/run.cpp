#include "driver/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <new>

#include "compare/dir/compare_directory.h"
#include "compare/file/compare_file.h"
#include "core/path.h"
#include "core/report_file.h"
#include "core/run_context.h"
#include "core/text.h"
#include "driver/options.h"
#include "driver/tree.h"
#include "report/print_center.h"

namespace lcv {

std::string localDateTimeString() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %z", &tm);
    return buf;
}

namespace {

void err(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Removes a temporary file of this run unless it is a directory.
void removeTemporary(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(path.c_str());
}

DictRef topParameters(const RunContext& run, const char* entity) {
    auto p = Dict::make(32);
    p->set(Compare::kEntityName, entity);
    p->set("pCenter", run.pCenter);
    p->set("options", run.options);
    return p;
}

void setSide(Dict& p, int side, const Value& obj, const std::string& absolute, const std::string& relative,
             const std::string& fromParam, const std::string* fileName) {
    const std::string prefix = side == 1 ? "obj1" : "obj2";
    p.set(prefix, obj);
    p.set(prefix + "_parDirAbolute", absolute);
    p.set(prefix + "_parDirRelative", relative);
    p.set(prefix + "_parDirRelative_fromParam", fromParam);
    if (fileName) p.set(prefix + "_fileName", *fileName);
}

}  // namespace

int runLcv(const std::vector<std::string>& argv) {
    auto run = std::make_shared<RunContext>();
    ParsedArguments args;
    CommandLine commandLine;
    if (auto status = commandLine.parse(argv, *run, args)) return *status;

    int status = 0;
    const DictRef& options = run->options;
    auto on = [&](const char* k) { return options->get(k).boolean(); };
    std::string source, target;

    // Positional check and the derived target.
    const std::size_t n = args.positional.size();
    if (n < 3 && !(n == 2 && !run->lprojMap->empty())) {
        err("# [lcv:e:parameter:] Youm must specify at least source and target directories.\n");
        commandLine.printUsage();
        status = -1;
    } else {
        std::string typedTarget;
        if (n == 2) {
            std::vector<std::string> comps = splitString(args.positional[1], '/');
            for (auto& c : comps)
                if (const Value* v = run->lprojMap->find(c)) c = v->str();
            typedTarget = standardizePath(joinStrings(comps, "/"));
        } else {
            typedTarget = args.positional[2];
        }
        const std::string& typedSource = args.positional[1];
        source = standardizePath(typedSource);
        target = standardizePath(typedTarget);
        if (!pathExistsNoFollow(expandTilde(typedSource)) && !pathExists(expandTilde(typedSource))) {
            err(sformat("# [lcv:e:parameter:] %s doesn't exist. (%s)\n", typedSource.c_str(), "old or us"));
            status = -2;
        }
        if (!pathExistsNoFollow(expandTilde(typedTarget)) && !pathExists(expandTilde(typedTarget))) {
            err(sformat("# [lcv:e:parameter:] %s doesn't exist. (%s)\n", typedTarget.c_str(), "new or loc"));
            status = -2;
        }
        if (status == 0 && isDirectoryPath(source) != isDirectoryPath(target)) {
            err(sformat("# [lcv:e:parameter:] Can not compare a file with a directory. (%s <-> %s)\n", source.c_str(),
                        target.c_str()));
            status = 100;
        }
    }

    std::shared_ptr<Compare> top;
    if (status == 0) {
        run->pCenter = std::make_shared<PrintCenter>();
        PrintCenter& pc = *run->pCenter;
        pc.set_reportRoot(run->reportRoot);
        // Standard output is written in large blocks unless it is a terminal.
        static char outBuffer[1 << 16];
        if (!::isatty(STDOUT_FILENO)) std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

        std::time_t start = 0;
        if (on("p")) {
            start = std::time(nullptr);
            pc.PrintMetaInfoToStdOut("# [lcv:p:start:] " + localDateTimeString() + " (" + run->commandLineRecord + ")",
                                     "Process Info");
        }
        std::unique_ptr<std::uint8_t[]> buffer1(new (std::nothrow) std::uint8_t[kScratchBufferSize]);
        std::unique_ptr<std::uint8_t[]> buffer2(new (std::nothrow) std::uint8_t[kScratchBufferSize]);
        if (!buffer1 || !buffer2) {
            pc.PrintMetaInfoToStdError("# [lcv:e:main:malloc:]", "Error");
        } else {
            if (run->anyFilterTable()) {
                std::signal(SIGFPE, SIG_IGN);
                installRegexMatcher(*run);
            }
            const bool echo = !on("plist") && !on("ska");
            if (echo && on("sh")) pc.printStringToStdOut("# [lcv:a:sh:] 1", true);

            if (!isDirectoryPath(source)) {
                const std::string name1 = lastPathComponent(source), name2 = lastPathComponent(target);
                const std::string parent1 = parentDirectory(source), parent2 = parentDirectory(target);
                const std::string abs1 = physicalAbsolutePath(parent1.empty() ? "." : parent1);
                const std::string abs2 = physicalAbsolutePath(parent2.empty() ? "." : parent2);
                if (echo) {
                    pc.printStringToStdOut("# [lcv:a:source:] " + abs1, true);
                    pc.printStringToStdOut("# [lcv:a:target:] " + abs2, true);
                }
                run->fileNameMap.reset();
                auto p = topParameters(*run, "FileMode");
                auto o1 = Dict::make(1), o2 = Dict::make(1);
                o1->set(name1, name1);
                o2->set(name2, name2);
                const std::string empty;
                setSide(*p, 1, o1, abs1, parent1, "", &empty);
                setSide(*p, 2, o2, abs2, parent2, "", &empty);
                p->set(Compare::kRun, run);
                auto file = std::make_shared<CompareFile>(p);
                file->set_buffer1(buffer1.get());
                file->set_buffer2(buffer2.get());
                top = file;
                file->DoCompare();
            } else {
                const std::string abs1 = physicalAbsolutePath(source), abs2 = physicalAbsolutePath(target);
                if (echo) {
                    pc.printStringToStdOut("# [lcv:a:source:] " + abs1, true);
                    pc.printStringToStdOut("# [lcv:a:target:] " + abs2, true);
                }
                const bool flat = on("flatten_hierarchy");
                auto tree1 = Dict::make(1024), tree2 = Dict::make(1024);
                if (flat) {
                    AddAllFilesToDict(*tree1, abs1, *run);
                    AddAllFilesToDict(*tree2, abs2, *run);
                } else {
                    AddAllDirectoriesToDict(*tree1, abs1, *run, run->lprojMap, run->lprojRestriction);
                    AddAllDirectoriesToDict(*tree2, abs2, *run, run->reverseLprojMap, run->lprojRestriction);
                }
                auto p = topParameters(*run, flat ? "MatchMaking" : "Directory");
                setSide(*p, 1, tree1, abs1, source, "./", nullptr);
                setSide(*p, 2, tree2, abs2, target, "./", nullptr);
                p->set(Compare::kRun, run);
                if (flat) {
                    auto mm = std::make_shared<MatchMaking>(p);
                    mm->set_buffer1(buffer1.get());
                    mm->set_buffer2(buffer2.get());
                    top = mm;
                    mm->MatchMake();
                } else {
                    auto dir = std::make_shared<CompareDirectory>(p);
                    dir->set_buffer1(buffer1.get());
                    dir->set_buffer2(buffer2.get());
                    top = dir;
                    dir->DoCompare();
                }
            }
            if (run->textFilterTable) {
                if (!run->debugFlag)
                    for (const auto& f : run->textFilterScriptFiles) removeTemporary(f);
                run->textFilterTable.reset();
            }
        }
        if (on("p")) {
            const long elapsed = static_cast<long>(std::difftime(std::time(nullptr), start));
            pc.PrintMetaInfoToStdOut(sformat("# [lcv:p:end:] %s (Elapsed time: %02ld:%02ld:%02ld)",
                                             localDateTimeString().c_str(), elapsed / 3600, (elapsed / 60) % 60,
                                             elapsed % 60),
                                     "Process Info");
        }
    }

    finishRun(*run);
    return status;
}

void finishRun(RunContext& run) {
    writeAndPrintReport(run);
    if (run.pCenter) run.pCenter->flush();
    std::fflush(stdout);
    if (!run.debugFlag) {
        for (const char* tag : {"1", "2", "3"}) {
            const std::string path = temporaryPath(tag);
            removeTemporary(path);
            removeTemporary(path + ".bak");
        }
    }
}

}  // namespace lcv

// lcv's command line: the usage text, the option parser and its validation.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/run_context.h"

namespace lcv {

// What the parser hands to the run driver besides the run context.
struct ParsedArguments {
    std::vector<std::string> positional;  // program path first
    std::optional<std::string> tmpTextCandidate;
};

class CommandLine {
public:
    // Messages go to the given streams (standard output and standard error).
    CommandLine(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}

    static std::string usageText();
    void printUsage() const;

    // Parses the argument vector (program path first) into the run context and
    // validates it. Returns the exit status when the run must end now.
    std::optional<int> parse(const std::vector<std::string>& argv, RunContext& run, ParsedArguments& args);

private:
    void toErr(const std::string& text) const;
    void toOutAndErr(const std::string& text) const;
    // Message to both streams, then the usage text; exit status 3.
    int fatal(const std::string& text) const;

    void addFilter(RunContext& run, const std::string& option, const std::string* value);
    void loadGlossary(const std::string& path, DictRef& map, const char* option);
    std::optional<int> validate(RunContext& run);
    void derive(RunContext& run, ParsedArguments& args, const std::vector<std::string>& typeTexts,
                const std::vector<std::string>& typeIdTexts);

    std::FILE* out_;
    std::FILE* err_;
};

// The strings-file reader used for glossary maps: fills the map with the file's
// entries. Returns false with a reason ("malformed" or "empty") on failure.
bool readGlossaryStringsFile(const std::string& path, Dict& into, std::string& reason);

}  // namespace lcv

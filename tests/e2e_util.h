// Helpers for end-to-end tests: temporary trees and running the real programs.
#pragma once

#include <string>
#include <vector>

namespace lcvtest {

struct RunResult {
    int status = -1;
    std::string out, err;
};

// Runs a built program (name under the build's bin directory, or an absolute path)
// with the arguments; standard input from the given text.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input = "",
                     const std::string& cwd = "");

// A fresh temporary directory, removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
    // Writes a file (creating parent directories) and returns its path.
    std::string write(const std::string& rel, const std::string& bytes) const;
    std::string mkdir(const std::string& rel) const;

private:
    std::string path_;
};

std::vector<std::string> lines(const std::string& text);

}  // namespace lcvtest

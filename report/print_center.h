// The report center: every report line of a run goes through one PrintCenter.
// In normal mode lines go to standard output and standard error; when a report root
// dictionary is set (-plist), every line is filed into it instead.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "core/value.h"

namespace lcv {

class PrintCenter : public Object {
public:
    // Takes the two streams (standard output and standard error by default).
    explicit PrintCenter(std::FILE* out = stdout, std::FILE* err = stderr);
    ~PrintCenter() override;
    PrintCenter(const PrintCenter&) = delete;
    PrintCenter& operator=(const PrintCenter&) = delete;

    std::FILE* stdOutHandler() const { return out_; }
    std::FILE* stdErrorHandler() const { return err_; }
    void set_stdOutHandler(std::FILE* f);
    void set_stdErrorHandler(std::FILE* f);

    // The property-list report; set once before any line is written.
    DictRef reportRoot() const { return root_; }
    void set_reportRoot(DictRef root) { root_ = std::move(root); }
    bool plistMode() const { return root_ != nullptr; }

    // The text plus an optional line feed as UTF-8 bytes; text that is not UTF-8
    // yields "" after an error line.
    std::string convertNSStringIntoData(std::string_view text, bool withReturn);

    void printStringToStdOut(std::string_view text, bool withReturn);
    void printStringToStdError(std::string_view text, bool withReturn);
    void printQuotedStringToStdOut(std::string_view text, bool withReturn);
    void printQuotedStringToStdError(std::string_view text, bool withReturn);
    void printFileToStdOut(const std::string& path);
    void PrintMetaInfoToStdOut(std::string_view text, std::string_view messageType);
    void PrintMetaInfoToStdError(std::string_view text, std::string_view messageType);

    static ArrayRef GetOrCreatePlistArrayFrom(const DictRef& dict, const std::string& key, std::size_t capacity);
    static DictRef GetOrCreatePlistDictFrom(const DictRef& dict, const std::string& key, std::size_t capacity);

    // Writes out whatever standard output still buffers.
    void flush();

private:
    void writeOut(std::string_view bytes);
    void writeErrThenOut(std::string_view bytes);
    void appendMisfit(std::string_view text);
    std::string encodeLocked(std::string_view text, bool withReturn);

    std::recursive_mutex mutex_;
    std::FILE* out_;
    std::FILE* err_;
    DictRef root_;
};

}  // namespace lcv

#include "report/print_center.h"

#include <fcntl.h>
#include <unistd.h>

#include "core/text.h"

namespace lcv {

PrintCenter::PrintCenter(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

PrintCenter::~PrintCenter() { flush(); }

void PrintCenter::set_stdOutHandler(std::FILE* f) {
    std::lock_guard lock(mutex_);
    if (out_) std::fflush(out_);
    out_ = f;
}

void PrintCenter::set_stdErrorHandler(std::FILE* f) {
    std::lock_guard lock(mutex_);
    err_ = f;
}

std::string PrintCenter::encodeLocked(std::string_view text, bool withReturn) {
    if (!isValidUtf8(text)) {
        const std::string line = "# [lcv:e:convertNSStringIntoData:InvalidUTF8:]";
        if (plistMode()) appendMisfit(line);
        else writeErrThenOut(line + "\n");
        return {};
    }
    std::string bytes(text);
    if (withReturn) bytes += '\n';
    return bytes;
}

std::string PrintCenter::convertNSStringIntoData(std::string_view text, bool withReturn) {
    std::lock_guard lock(mutex_);
    return encodeLocked(text, withReturn);
}

void PrintCenter::writeOut(std::string_view bytes) {
    if (out_ && !bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out_);
}

void PrintCenter::writeErrThenOut(std::string_view bytes) {
    if (bytes.empty()) return;
    if (err_) {
        std::fwrite(bytes.data(), 1, bytes.size(), err_);
        std::fflush(err_);
    }
    writeOut(bytes);
}

void PrintCenter::appendMisfit(std::string_view text) {
    GetOrCreatePlistArrayFrom(root_, "Misfits", 16)->push_back(std::string(text));
}

void PrintCenter::printStringToStdOut(std::string_view text, bool withReturn) {
    std::lock_guard lock(mutex_);
    if (plistMode()) return appendMisfit(text);
    writeOut(encodeLocked(text, withReturn));
}

void PrintCenter::printStringToStdError(std::string_view text, bool withReturn) {
    std::lock_guard lock(mutex_);
    if (plistMode()) return appendMisfit(text);
    writeErrThenOut(encodeLocked(text, withReturn));
}

void PrintCenter::printQuotedStringToStdOut(std::string_view text, bool withReturn) {
    std::lock_guard lock(mutex_);
    if (plistMode()) return appendMisfit(text);
    writeOut(encodeLocked(unicodeQuotedStringRepresentation(text), withReturn));
}

void PrintCenter::printQuotedStringToStdError(std::string_view text, bool withReturn) {
    std::lock_guard lock(mutex_);
    if (plistMode()) return appendMisfit(text);
    writeErrThenOut(encodeLocked(unicodeQuotedStringRepresentation(text), withReturn));
}

void PrintCenter::printFileToStdOut(const std::string& path) {
    std::lock_guard lock(mutex_);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        writeOut(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    ::close(fd);
}

void PrintCenter::PrintMetaInfoToStdOut(std::string_view text, std::string_view messageType) {
    std::lock_guard lock(mutex_);
    if (plistMode()) {
        GetOrCreatePlistArrayFrom(root_, std::string(messageType), 16)->push_back(std::string(text));
        return;
    }
    writeOut(encodeLocked(text, true));
}

void PrintCenter::PrintMetaInfoToStdError(std::string_view text, std::string_view messageType) {
    std::lock_guard lock(mutex_);
    if (plistMode()) {
        GetOrCreatePlistArrayFrom(root_, std::string(messageType), 16)->push_back(std::string(text));
        return;
    }
    writeErrThenOut(encodeLocked(text, true));
}

ArrayRef PrintCenter::GetOrCreatePlistArrayFrom(const DictRef& dict, const std::string& key, std::size_t capacity) {
    if (!dict) return Array::make(capacity);
    if (Value* v = dict->find(key); v && v->isArray()) return v->array();
    auto a = Array::make(capacity);
    dict->set(key, a);
    return a;
}

DictRef PrintCenter::GetOrCreatePlistDictFrom(const DictRef& dict, const std::string& key, std::size_t capacity) {
    if (!dict) return Dict::make(capacity);
    if (Value* v = dict->find(key); v && v->isDict()) return v->dict();
    auto d = Dict::make(capacity);
    dict->set(key, d);
    return d;
}

void PrintCenter::flush() {
    std::lock_guard lock(mutex_);
    if (out_) std::fflush(out_);
    if (err_) std::fflush(err_);
}

}  // namespace lcv

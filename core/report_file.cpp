#include "core/report_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/path.h"
#include "core/text.h"

namespace lcv {

namespace {

void escapeXml(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
}

void base64(std::string& out, const Data& d) {
    static const char* tbl = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < d.size(); i += 3) {
        const unsigned b0 = d[i], b1 = i + 1 < d.size() ? d[i + 1] : 0, b2 = i + 2 < d.size() ? d[i + 2] : 0;
        out += tbl[b0 >> 2];
        out += tbl[((b0 & 3) << 4) | (b1 >> 4)];
        out += i + 1 < d.size() ? tbl[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        out += i + 2 < d.size() ? tbl[b2 & 63] : '=';
    }
}

void writeValue(std::string& out, const Value& v, int depth) {
    const std::string tabs(static_cast<std::size_t>(depth), '\t');
    out += tabs;
    switch (v.kind()) {
        case Value::Kind::Dict: {
            const auto d = v.dict();
            if (d->empty()) {
                out += "<dict/>\n";
                return;
            }
            out += "<dict>\n";
            for (const auto& [k, item] : *d) {
                out += tabs + "\t<key>";
                escapeXml(out, k);
                out += "</key>\n";
                writeValue(out, item, depth + 1);
            }
            out += tabs + "</dict>\n";
            return;
        }
        case Value::Kind::Array: {
            const auto a = v.array();
            if (a->empty()) {
                out += "<array/>\n";
                return;
            }
            out += "<array>\n";
            for (const auto& item : *a) writeValue(out, item, depth + 1);
            out += tabs + "</array>\n";
            return;
        }
        case Value::Kind::Bool: out += v.boolean() ? "<true/>\n" : "<false/>\n"; return;
        case Value::Kind::Integer: out += "<integer>" + std::to_string(v.integer()) + "</integer>\n"; return;
        case Value::Kind::Real: out += sformat("<real>%.17g</real>\n", v.real()); return;
        case Value::Kind::Data:
            out += "<data>";
            base64(out, v.data());
            out += "</data>\n";
            return;
        case Value::Kind::Date: {
            const std::time_t t = static_cast<std::time_t>(std::floor(v.date().seconds));
            std::tm tm{};
            gmtime_r(&t, &tm);
            char buf[32];
            std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
            out += std::string("<date>") + buf + "</date>\n";
            return;
        }
        case Value::Kind::String:
            out += "<string>";
            escapeXml(out, v.str());
            out += "</string>\n";
            return;
        default:
            // Nulls and opaque objects have no property-list form.
            out += "<string></string>\n";
            return;
    }
}

}  // namespace

std::string xmlPropertyListText(const Value& root) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    writeValue(out, root, 0);
    out += "</plist>\n";
    return out;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string dir = parentDirectory(path);
    std::string tmpl = (dir.empty() ? std::string(".") : dir) + "/." + lastPathComponent(path) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = ::close(fd) == 0 && done == bytes.size();
    if (!ok || ::rename(tmpl.c_str(), path.c_str()) != 0) {
        ::unlink(tmpl.c_str());
        return false;
    }
    return true;
}

bool writeReportFile(const DictRef& root, const std::string& path) {
    if (!root) return false;
    return writeFileAtomically(path, xmlPropertyListText(Value(root)));
}

void exitRunEarly(RunContext& run) {
    if (run.reportRoot) {
        const std::string path = temporaryPath("3");
        if (writeReportFile(run.reportRoot, path) && run.pCenter) run.pCenter->printFileToStdOut(path);
    }
    if (run.pCenter) run.pCenter->flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}

}  // namespace lcv

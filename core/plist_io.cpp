#include "core/plist_io.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include "core/textplist.h"

namespace lcv {

namespace {

// libplist keeps dates as seconds since 2001-01-01 00:00:00 UTC.
constexpr double kSecondsFrom1970To2001 = 978307200.0;
constexpr int kMaxDepth = 512;

struct PlistHolder {
    plist_t node = nullptr;
    ~PlistHolder() {
        if (node) plist_free(node);
    }
};

bool fromPlist(plist_t node, Value& out, int depth, std::string& error) {
    if (depth > kMaxDepth) {
        error = "property list nested too deeply";
        return false;
    }
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t b = 0;
            plist_get_bool_val(node, &b);
            out = Value(b != 0);
            return true;
        }
        case PLIST_UINT: {
            std::uint64_t u = 0;
            plist_get_uint_val(node, &u);
            out = Value(static_cast<long long>(u));
            return true;
        }
        case PLIST_UID: {
            std::uint64_t u = 0;
            plist_get_uid_val(node, &u);
            out = Value(static_cast<long long>(u));
            return true;
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            out = Value(d);
            return true;
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            char* s = nullptr;
            if (plist_get_node_type(node) == PLIST_STRING)
                plist_get_string_val(node, &s);
            else
                plist_get_key_val(node, &s);
            out = Value(std::string(s ? s : ""));
            std::free(s);
            return true;
        }
        case PLIST_DATA: {
            char* d = nullptr;
            std::uint64_t len = 0;
            plist_get_data_val(node, &d, &len);
            Data bytes;
            if (d && len) bytes.assign(reinterpret_cast<std::uint8_t*>(d), reinterpret_cast<std::uint8_t*>(d) + len);
            std::free(d);
            out = Value(std::move(bytes));
            return true;
        }
        case PLIST_DATE: {
            std::int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            out = Value(Date{static_cast<double>(sec) + static_cast<double>(usec) / 1e6 + kSecondsFrom1970To2001});
            return true;
        }
        case PLIST_ARRAY: {
            ArrayRef a = Array::make();
            const std::uint32_t n = plist_array_get_size(node);
            for (std::uint32_t i = 0; i < n; ++i) {
                Value v;
                if (!fromPlist(plist_array_get_item(node, i), v, depth + 1, error)) return false;
                a->push_back(std::move(v));
            }
            out = Value(a);
            return true;
        }
        case PLIST_DICT: {
            DictRef d = Dict::make();
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            bool ok = true;
            for (;;) {
                char* key = nullptr;
                plist_t item = nullptr;
                plist_dict_next_item(node, it, &key, &item);
                if (!item) {
                    std::free(key);
                    break;
                }
                Value v;
                ok = fromPlist(item, v, depth + 1, error);
                if (ok) d->set(key ? key : "", std::move(v));
                std::free(key);
                if (!ok) break;
            }
            std::free(it);
            if (!ok) return false;
            out = Value(d);
            return true;
        }
        default:
            error = "property list holds a value of an unknown type";
            return false;
    }
}

plist_t toPlist(const Value& v, int depth, std::string& error) {
    if (depth > kMaxDepth) {
        error = "value nested too deeply";
        return nullptr;
    }
    switch (v.kind()) {
        case Value::Kind::Bool:
            return plist_new_bool(v.boolean() ? 1 : 0);
        case Value::Kind::Integer:
            return plist_new_uint(static_cast<std::uint64_t>(v.integer()));
        case Value::Kind::Real:
            return plist_new_real(v.real());
        case Value::Kind::String:
            return plist_new_string(v.str().c_str());
        case Value::Kind::Data: {
            const Data& d = v.data();
            return plist_new_data(reinterpret_cast<const char*>(d.data()), d.size());
        }
        case Value::Kind::Date: {
            const double since2001 = v.date().seconds - kSecondsFrom1970To2001;
            double whole = std::floor(since2001);
            if (!std::isfinite(since2001) || whole < std::numeric_limits<std::int32_t>::min() ||
                whole > std::numeric_limits<std::int32_t>::max()) {
                error = "date out of the range of a property list";
                return nullptr;
            }
            auto usec = static_cast<std::int32_t>(std::lround((since2001 - whole) * 1e6));
            if (usec >= 1000000) {
                usec = 0;
                whole += 1;
                if (whole > std::numeric_limits<std::int32_t>::max()) {
                    error = "date out of the range of a property list";
                    return nullptr;
                }
            }
            return plist_new_date(static_cast<std::int32_t>(whole), usec);
        }
        case Value::Kind::Array: {
            plist_t a = plist_new_array();
            for (const Value& item : *v.array()) {
                plist_t p = toPlist(item, depth + 1, error);
                if (!p) {
                    plist_free(a);
                    return nullptr;
                }
                plist_array_append_item(a, p);
            }
            return a;
        }
        case Value::Kind::Dict: {
            plist_t d = plist_new_dict();
            for (const auto& [key, item] : *v.dict()) {
                plist_t p = toPlist(item, depth + 1, error);
                if (!p) {
                    plist_free(d);
                    return nullptr;
                }
                plist_dict_set_item(d, key.c_str(), p);
            }
            return d;
        }
        case Value::Kind::Null:
            error = "a null value has no property-list form";
            return nullptr;
        case Value::Kind::Object:
            error = "an object value has no property-list form";
            return nullptr;
    }
    error = "unknown value kind";
    return nullptr;
}

// Where an XML document starts after a UTF-8 byte-order mark and white space, or
// npos when the bytes are no XML document.
std::size_t xmlStart(std::string_view bytes) {
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    const std::string_view rest = bytes.substr(i);
    if (rest.substr(0, 5) == "<?xml" || rest.substr(0, 9) == "<!DOCTYPE" || rest.substr(0, 6) == "<plist") return i;
    return std::string_view::npos;
}

std::string systemError(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

}  // namespace

bool readPlistBytes(std::string_view bytes, Value& value, std::string& error, PlistFormat* format) {
    value = Value();
    error.clear();
    const bool binary = bytes.substr(0, 6) == "bplist";
    const std::size_t xml = binary ? 0 : xmlStart(bytes);
    if (!binary && xml == std::string_view::npos) {
        if (format) *format = PlistFormat::Text;
        TextPlistError e;
        if (!parseTextPlistBytes(bytes, value, e)) {
            error = e.describe();
            return false;
        }
        return true;
    }
    if (format) *format = binary ? PlistFormat::Binary : PlistFormat::Xml;
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        error = "property list too large";
        return false;
    }
    PlistHolder root;
    bytes = bytes.substr(xml);
    const auto len = static_cast<std::uint32_t>(bytes.size());
    if (binary)
        plist_from_bin(bytes.data(), len, &root.node);
    else
        plist_from_xml(bytes.data(), len, &root.node);
    if (!root.node) {
        error = binary ? "malformed binary property list" : "malformed XML property list";
        return false;
    }
    Value v;
    if (!fromPlist(root.node, v, 0, error)) return false;
    value = std::move(v);
    return true;
}

bool readFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot open", path, errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        error = systemError("cannot read", path, EISDIR);
        return false;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            close(fd);
            bytes.clear();
            error = systemError("cannot read", path, err);
            return false;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

bool readPlistFile(const std::string& path, Value& value, std::string& error, PlistFormat* format) {
    value = Value();
    std::string bytes;
    if (!readFileBytes(path, bytes, error)) return false;
    return readPlistBytes(bytes, value, error, format);
}

bool plistToXml(const Value& value, std::string& xml, std::string& error) {
    xml.clear();
    error.clear();
    PlistHolder root;
    root.node = toPlist(value, 0, error);
    if (!root.node) return false;
    char* out = nullptr;
    std::uint32_t len = 0;
    plist_to_xml(root.node, &out, &len);
    if (!out) {
        error = "cannot write the XML property list";
        return false;
    }
    xml.assign(out, len);
    plist_to_xml_free(out);
    return true;
}

bool writeXmlPlist(const std::string& path, const Value& value, std::string& error) {
    std::string xml;
    if (!plistToXml(value, xml, error)) return false;
    return writeFileAtomically(path, xml, error);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
    error.clear();
    if (path.empty() || path.back() == '/') {
        error = "cannot write to the path \"" + path + "\"";
        return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmp = (dir == "/" ? "" : dir) + "/." + name + ".XXXXXX";
    // mkostemp creates the file exclusively with mode 0600.
    const int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot create a file in", dir, errno);
        return false;
    }
    std::size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!err && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && !err) err = errno;
    if (!err && rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        unlink(tmp.c_str());
        error = systemError("cannot write", path, err);
        return false;
    }
    return true;
}

}  // namespace lcv

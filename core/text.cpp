#include "core/text.h"

#include <algorithm>
#include <cstdio>

namespace lcv {

namespace {

// Decodes the UTF-8 sequence starting at s[i]; malformed bytes decode as themselves
// (0x80..0xFF), which keeps the ordering total on any byte string.
char32_t decodeAt(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return b0;
    int len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) return b0;
    char32_t cp = b0 & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return b0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return cp;
}

// The first UTF-16 code unit of a code point; equal first units are then ordered by
// the code point itself, which orders low surrogates correctly.
unsigned firstUnit(char32_t cp) {
    return cp >= 0x10000 ? 0xD800u + ((cp - 0x10000) >> 10) : static_cast<unsigned>(cp);
}

void appendHex(std::string& out, const Data& d) {
    static const char* hex = "0123456789abcdef";
    out += '<';
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        out += hex[d[i] >> 4];
        out += hex[d[i] & 15];
    }
    out += '>';
}

std::string indent(int level) { return std::string(static_cast<std::size_t>(level) * 4, ' '); }

std::string elementDescription(const Value& v, int level) {
    if (v.isString()) return unicodeQuotedStringRepresentation(v.str());
    if (v.isDict() || v.isArray() || v.isData()) return unicodeDescription(v, level);
    return v.description();
}

}  // namespace

int compareCodeUnits(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    if (i == n) return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
    // Back up to the start of the character that holds the first difference.
    while (i > 0 && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) --i;
    const char32_t ca = decodeAt(a, i), cb = decodeAt(b, i);
    const unsigned ua = firstUnit(ca), ub = firstUnit(cb);
    if (ua != ub) return ua < ub ? -1 : 1;
    if (ca != cb) return ca < cb ? -1 : 1;
    // Same character decoded from different bytes (malformed input): fall back to bytes.
    return a.compare(b) < 0 ? -1 : 1;
}

void sortCodeUnits(std::vector<std::string>& items) {
    std::sort(items.begin(), items.end(), [](const std::string& x, const std::string& y) { return codeUnitLess(x, y); });
}

void sortValues(std::vector<Value>& items) {
    std::stable_sort(items.begin(), items.end(), [](const Value& x, const Value& y) {
        if (x.isString() && y.isString()) return codeUnitLess(x.str(), y.str());
        if (x.isString() != y.isString()) return x.isString();
        if (x.isNumber() && y.isNumber()) return x.real() < y.real();
        return false;
    });
}

std::string vsformat(const char* fmt, va_list ap) {
    char buf[512];
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof buf) return std::string(buf, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, ap);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string sformat(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string s = vsformat(fmt, ap);
    va_end(ap);
    return s;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t min;
        if ((b & 0xE0) == 0xC0) len = 2, min = 0x80;
        else if ((b & 0xF0) == 0xE0) len = 3, min = 0x800;
        else if ((b & 0xF8) == 0xF0) len = 4, min = 0x10000;
        else return false;
        if (i + len > n) return false;
        char32_t cp = b & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

std::string unicodeQuotedStringRepresentation(std::string_view s) {
    if (s.empty()) return {};
    std::string out;
    out.reserve(s.size() + 8);
    out += '"';
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\a': out += "\\a"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\v': out += "\\v"; break;
            default: out += c;
        }
    }
    out += '"';
    return out;
}

std::string escapeReturnChar(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string stringFromUnicodeQuotedStringRepresentation(std::string_view s) {
    if (!s.empty() && s.front() == '"') s.remove_prefix(1);
    if (!s.empty() && s.back() == '"') s.remove_suffix(1);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        switch (c) {
            case 'a': out += '\a'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'v': out += '\v'; break;
            default: out += c;
        }
    }
    return out;
}

std::string unicodeDescription(const Value& v, int level) {
    if (v.isString()) return v.str();
    if (v.isData()) {
        std::string out;
        appendHex(out, v.data());
        return out;
    }
    if (auto d = v.dict()) {
        std::vector<std::string> keys = d->keys();
        sortCodeUnits(keys);
        std::string shortForm = "{";
        bool fits = true;
        for (const auto& k : keys) {
            std::string piece = unicodeQuotedStringRepresentation(k) + " = " + elementDescription(d->get(k), level + 1) + "; ";
            if (shortForm.size() + piece.size() > 79 || piece.find('\n') != std::string::npos) {
                fits = false;
                break;
            }
            shortForm += piece;
        }
        if (fits && shortForm.size() + 1 < 80) return shortForm + "}";
        std::string out = "{\n";
        for (const auto& k : keys) {
            out += indent(level + 1) + unicodeQuotedStringRepresentation(k) + " = " +
                   elementDescription(d->get(k), level + 1) + "; \n";
        }
        return out + indent(level) + "}";
    }
    if (auto a = v.array()) {
        std::string shortForm = "(";
        bool fits = true;
        for (std::size_t i = 0; i < a->size(); ++i) {
            std::string piece = (i ? ", " : "") + elementDescription((*a)[i], level + 1);
            if (shortForm.size() + piece.size() > 79 || piece.find('\n') != std::string::npos) {
                fits = false;
                break;
            }
            shortForm += piece;
        }
        if (fits && shortForm.size() + 1 < 80) return shortForm + ")";
        std::string out = "(\n";
        for (std::size_t i = 0; i < a->size(); ++i) {
            out += indent(level + 1) + elementDescription((*a)[i], level + 1);
            if (i + 1 < a->size()) out += ", ";
            out += "\n";
        }
        return out + indent(level) + ")";
    }
    return v.description();
}

std::string unicodeDescriptionInStringsFileFormat(const Dict& d, const std::vector<std::string>* order) {
    std::vector<std::string> keys = order ? *order : d.keys();
    if (!order) sortCodeUnits(keys);
    std::string out;
    for (const auto& k : keys) {
        const Value v = d.get(k);
        out += unicodeQuotedStringRepresentation(k) + " = " +
               (v.isString() ? unicodeQuotedStringRepresentation(v.str()) : unicodeDescription(v)) + ";\n";
    }
    return out;
}

std::string unicodeDescriptionInTabFileFormat(const Dict& d, const std::vector<std::string>* order) {
    std::vector<std::string> keys = order ? *order : d.keys();
    if (!order) sortCodeUnits(keys);
    std::string out;
    for (const auto& k : keys) out += k + "\t" + unicodeDescription(d.get(k)) + "\n";
    return out;
}

std::vector<std::string> splitString(std::string_view s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string joinStrings(const std::vector<std::string>& parts, std::string_view sep) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += sep;
        out += parts[i];
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool endsWith(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

}  // namespace lcv

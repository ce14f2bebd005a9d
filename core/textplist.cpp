#include "core/textplist.h"

#include <cstdint>
#include <optional>

#include "core/text.h"

namespace lcv {

namespace {

// Upper half (0x80-0xFF) of the legacy Roman code page.
const char16_t kLegacyRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

constexpr int kMaxDepth = 512;

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Offset of the first invalid UTF-8 sequence, or npos.
std::size_t firstInvalidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        std::size_t len;
        std::uint32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return i;
        }
        if (len > n - i) return i;
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) ||
            cp > 0x10FFFF)
            return i;
        i += len;
    }
    return std::string_view::npos;
}

void setError(TextPlistError& error, std::string_view text, std::size_t offset, std::string message) {
    if (offset > text.size()) offset = text.size();
    error.offset = offset;
    error.line = 1;
    error.column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++error.line;
            error.column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++error.column;
        }
    }
    error.message = std::move(message);
}

bool isUnquotedChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    Parser(std::string_view text, TextPlistError& error, DictRef comments)
        : s_(text), error_(error), comments_(std::move(comments)) {}

    bool atEnd() const { return pos_ >= s_.size(); }
    std::size_t pos() const { return pos_; }
    void setPos(std::size_t p) { pos_ = p; }
    char peek() const { return s_[pos_]; }

    bool fail(std::size_t at, std::string message) {
        setError(error_, s_, at, std::move(message));
        return false;
    }

    // Skips white space and comments. At the top level, block comments are kept as
    // the pending comment of the following entries, and a blank line drops it.
    bool skip(bool topLevel) {
        bool sawNewline = false;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '\n') {
                if (sawNewline && topLevel) pending_.reset();
                sawNewline = true;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
                const std::size_t end = s_.find("*/", pos_ + 2);
                if (end == std::string_view::npos) return fail(pos_, "unterminated comment");
                if (topLevel) pending_ = escapeReturnChar(s_.substr(pos_, end + 2 - pos_));
                pos_ = end + 2;
                sawNewline = false;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                while (pos_ < s_.size() && s_[pos_] != '\n' && s_[pos_] != '\r') ++pos_;
                sawNewline = false;
            } else {
                break;
            }
        }
        return true;
    }

    bool startsString() const {
        if (atEnd()) return false;
        const char c = s_[pos_];
        return c == '"' || c == '\'' || isUnquotedChar(c);
    }

    bool parseString(std::string& out) {
        out.clear();
        const char q = s_[pos_];
        if (q != '"' && q != '\'') {
            const std::size_t start = pos_;
            while (pos_ < s_.size() && isUnquotedChar(s_[pos_])) ++pos_;
            out.assign(s_.substr(start, pos_ - start));
            return true;
        }
        const std::size_t open = pos_++;
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == q) return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) break;
            const char e = s_[pos_++];
            switch (e) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'a': out += '\a'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'v': out += '\v'; break;
                case 'U': unicodeEscape(out); break;
                default:
                    if (e >= '0' && e <= '7') {
                        unsigned v = static_cast<unsigned>(e - '0');
                        for (int k = 0; k < 2 && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '7'; ++k)
                            v = v * 8 + static_cast<unsigned>(s_[pos_++] - '0');
                        out += legacyRomanByteToUtf8(static_cast<unsigned char>(v & 0xFF));
                    } else {
                        out += e;  // \\, \", \' and any character that is no escape
                    }
            }
        }
        return fail(open, "unterminated string");
    }

    bool parseValue(Value& out, int depth) {
        if (atEnd()) return fail(pos_, "unexpected end of text, a value was expected");
        if (depth > kMaxDepth) return fail(pos_, "values nested too deeply");
        const char c = s_[pos_];
        if (c == '{') {
            const std::size_t open = pos_++;
            DictRef d = Dict::make();
            if (!parseEntries(*d, depth + 1, true, open, false)) return false;
            out = Value(d);
            return true;
        }
        if (c == '(') return parseArray(out, depth);
        if (c == '<') return parseData(out);
        if (startsString()) {
            std::string str;
            if (!parseString(str)) return false;
            out = Value(std::move(str));
            return true;
        }
        return fail(pos_, describeUnexpected("a value was expected"));
    }

    // Entries "key = value;" or "key;" up to '}' (braced: inside a dictionary whose
    // brace is at open) or to the end of the text. With collect, the entries get
    // their comments.
    bool parseEntries(Dict& dict, int depth, bool braced, std::size_t open, bool collect) {
        for (;;) {
            if (!skip(collect)) return false;
            if (atEnd()) {
                if (!braced) return true;
                return fail(open, "unterminated dictionary");
            }
            if (s_[pos_] == '}') {
                if (!braced) return fail(pos_, "unexpected '}'");
                ++pos_;
                return true;
            }
            if (!startsString()) return fail(pos_, describeUnexpected("a key was expected"));
            std::optional<std::string> comment = collect ? pending_ : std::nullopt;
            std::string key;
            if (!parseString(key)) return false;
            if (!skip(false)) return false;
            Value value;
            if (!atEnd() && s_[pos_] == ';') {
                value = Value(key);
            } else if (!atEnd() && s_[pos_] == '=') {
                ++pos_;
                if (!skip(false)) return false;
                if (!parseValue(value, depth)) return false;
                const std::size_t valueEnd = pos_;
                if (!skip(false)) return false;
                if (atEnd() || s_[pos_] != ';') return fail(valueEnd, "missing ';' after the value");
            } else {
                return fail(pos_, "missing '=' after the key");
            }
            ++pos_;  // the ';'
            dict.set(key, std::move(value));
            if (collect && comments_) {
                if (comment)
                    comments_->set(key, *comment);
                else
                    comments_->remove(key);
            }
        }
    }

private:
    std::string describeUnexpected(const char* expected) const {
        if (atEnd()) return std::string("unexpected end of text, ") + expected;
        const unsigned char c = static_cast<unsigned char>(s_[pos_]);
        if (c >= 0x20 && c < 0x7F) return std::string("unexpected '") + static_cast<char>(c) + "', " + expected;
        return std::string("unexpected character, ") + expected;
    }

    // Reads up to four hex digits after "\U"; returns the count read.
    int readHex4(std::size_t& p, std::uint32_t& unit) const {
        int n = 0;
        unit = 0;
        while (n < 4 && p < s_.size() && hexValue(s_[p]) >= 0) {
            unit = unit * 16 + static_cast<std::uint32_t>(hexValue(s_[p]));
            ++p;
            ++n;
        }
        return n;
    }

    void unicodeEscape(std::string& out) {
        std::uint32_t unit;
        if (readHex4(pos_, unit) == 0) {
            out += 'U';
            return;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::size_t p = pos_;
            std::uint32_t low;
            if (p + 1 < s_.size() && s_[p] == '\\' && s_[p + 1] == 'U') {
                p += 2;
                if (readHex4(p, low) > 0 && low >= 0xDC00 && low <= 0xDFFF) {
                    pos_ = p;
                    appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    return;
                }
            }
            appendUtf8(out, 0xFFFD);
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) unit = 0xFFFD;
        appendUtf8(out, unit);
    }

    bool parseArray(Value& out, int depth) {
        const std::size_t open = pos_++;
        ArrayRef a = Array::make();
        for (;;) {
            if (!skip(false)) return false;
            if (atEnd()) return fail(open, "unterminated array");
            if (s_[pos_] == ')') break;
            Value v;
            if (!parseValue(v, depth + 1)) return false;
            a->push_back(std::move(v));
            if (!skip(false)) return false;
            if (atEnd()) return fail(open, "unterminated array");
            if (s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (s_[pos_] != ')') return fail(pos_, describeUnexpected("',' or ')' was expected"));
            break;
        }
        ++pos_;
        out = Value(a);
        return true;
    }

    bool parseData(Value& out) {
        const std::size_t open = pos_++;
        Data bytes;
        int high = -1;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '>') {
                if (high >= 0) return fail(pos_, "odd number of hex digits in data");
                ++pos_;
                out = Value(std::move(bytes));
                return true;
            }
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
                continue;
            }
            const int v = hexValue(c);
            if (v < 0) return fail(pos_, describeUnexpected("a hex digit or '>' was expected in data"));
            if (high < 0) {
                high = v;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
                high = -1;
            }
            ++pos_;
        }
        return fail(open, "unterminated data");
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    TextPlistError& error_;
    DictRef comments_;
    std::optional<std::string> pending_;
};

bool checkUtf8(std::string_view text, TextPlistError& error) {
    const std::size_t bad = firstInvalidUtf8(text);
    if (bad == std::string_view::npos) return true;
    setError(error, text, bad, "invalid UTF-8");
    return false;
}

}  // namespace

std::string TextPlistError::describe() const {
    if (line == 0) return "byte offset " + std::to_string(offset) + ": " + message;
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

std::string legacyRomanByteToUtf8(unsigned char byte) {
    std::string out;
    appendUtf8(out, byte < 0x80 ? byte : kLegacyRomanHigh[byte - 0x80]);
    return out;
}

bool decodeTextBytes(std::string_view bytes, std::string& utf8, TextPlistError& error, TextEncoding* encoding) {
    utf8.clear();
    error = TextPlistError{};
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    TextEncoding enc = TextEncoding::Utf8;
    std::size_t start = 0;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        start = 3;
    } else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        enc = TextEncoding::Utf16BE;
        start = 2;
    } else if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        enc = TextEncoding::Utf16LE;
        start = 2;
    } else if (n >= 2 && n % 2 == 0 && (b[0] == 0) != (b[1] == 0)) {
        enc = b[0] == 0 ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
    }
    if (encoding) *encoding = enc;

    if (enc == TextEncoding::Utf8) {
        const std::string_view text = bytes.substr(start);
        const std::size_t bad = firstInvalidUtf8(text);
        if (bad != std::string_view::npos) {
            error.offset = start + bad;
            error.message = "invalid UTF-8 at byte offset " + std::to_string(start + bad);
            return false;
        }
        utf8.assign(text);
        return true;
    }

    if ((n - start) % 2 != 0) {
        error.offset = n - 1;
        error.message = "odd number of bytes in UTF-16 text";
        return false;
    }
    const bool big = enc == TextEncoding::Utf16BE;
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        return big ? (static_cast<std::uint32_t>(b[i]) << 8 | b[i + 1])
                   : (static_cast<std::uint32_t>(b[i + 1]) << 8 | b[i]);
    };
    utf8.reserve(n - start);
    for (std::size_t i = start; i < n; i += 2) {
        std::uint32_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 4 <= n) {
                const std::uint32_t low = unitAt(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    appendUtf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                    continue;
                }
            }
            u = 0xDC00;  // unpaired: fall into the error below
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            utf8.clear();
            error.offset = i;
            error.message = "unpaired surrogate in UTF-16 text at byte offset " + std::to_string(i);
            return false;
        }
        appendUtf8(utf8, u);
    }
    return true;
}

bool parseStringsText(std::string_view utf8, StringsTable& table, TextPlistError& error) {
    error = TextPlistError{};
    table.strings = Dict::make();
    table.comments = Dict::make();
    if (!checkUtf8(utf8, error)) return false;
    DictRef strings = Dict::make();
    DictRef comments = Dict::make();
    Parser p(utf8, error, comments);
    bool ok;
    if (!p.skip(true)) {
        ok = false;
    } else if (!p.atEnd() && p.peek() == '{') {
        // The whole text is one dictionary.
        const std::size_t open = p.pos();
        p.setPos(open + 1);
        ok = p.parseEntries(*strings, 1, true, open, true) && p.skip(false);
        if (ok && !p.atEnd()) ok = p.fail(p.pos(), "unexpected text after the dictionary");
    } else {
        ok = p.parseEntries(*strings, 0, false, 0, true);
    }
    if (!ok) return false;
    table.strings = strings;
    table.comments = comments;
    return true;
}

bool parseStringsBytes(std::string_view bytes, StringsTable& table, TextPlistError& error) {
    std::string text;
    if (!decodeTextBytes(bytes, text, error)) {
        table.strings = Dict::make();
        table.comments = Dict::make();
        return false;
    }
    return parseStringsText(text, table, error);
}

bool parseTextPlist(std::string_view utf8, Value& value, TextPlistError& error) {
    error = TextPlistError{};
    value = Value();
    if (!checkUtf8(utf8, error)) return false;
    Parser p(utf8, error, nullptr);
    if (!p.skip(false)) return false;
    if (p.atEnd()) {
        value = Value(Dict::make());
        return true;
    }
    const std::size_t start = p.pos();
    Value v;
    if (!p.parseValue(v, 0)) return false;
    if (v.isString()) {
        if (!p.skip(false)) return false;
        if (!p.atEnd() && (p.peek() == '=' || p.peek() == ';')) {
            // Top-level entries: the strings-file form of a dictionary.
            p.setPos(start);
            DictRef d = Dict::make();
            if (!p.parseEntries(*d, 0, false, 0, false)) return false;
            value = Value(d);
            return true;
        }
    }
    if (!p.skip(false)) return false;
    if (!p.atEnd()) return p.fail(p.pos(), "unexpected text after the value");
    value = std::move(v);
    return true;
}

bool parseTextPlistBytes(std::string_view bytes, Value& value, TextPlistError& error) {
    std::string text;
    value = Value();
    if (!decodeTextBytes(bytes, text, error)) return false;
    return parseTextPlist(text, value, error);
}

}  // namespace lcv

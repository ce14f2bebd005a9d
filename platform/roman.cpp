#include "platform/roman.h"

namespace lcv::platform {

namespace {

const char16_t kHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string romanToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) appendUtf8(out, c < 0x80 ? char32_t(c) : char32_t(kHigh[c - 0x80]));
    return out;
}

std::optional<std::string> utf8ToRoman(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        char32_t cp;
        std::size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            len = 3;
        } else {
            return std::nullopt;  // four-byte sequences lie outside the code page
        }
        if (i + len > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800)) return std::nullopt;
        i += len;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        int found = -1;
        for (int k = 0; k < 128; ++k)
            if (kHigh[k] == cp) found = k;
        if (found < 0) return std::nullopt;
        out += static_cast<char>(0x80 + found);
    }
    return out;
}

std::string fourCharBytes(FourCharCode code) {
    std::string s(4, '\0');
    for (int k = 0; k < 4; ++k) s[static_cast<std::size_t>(k)] = static_cast<char>((code >> (24 - 8 * k)) & 0xFF);
    return s;
}

FourCharCode fourCharCode(std::string_view b) {
    if (b.size() != 4) return 0;
    FourCharCode c = 0;
    for (unsigned char x : b) c = (c << 8) | x;
    return c;
}

std::string fourCharText(FourCharCode code) { return romanToUtf8(fourCharBytes(code)); }

std::optional<FourCharCode> fourCharCodeFromText(std::string_view text) {
    const auto bytes = utf8ToRoman(text);
    if (!bytes || bytes->size() != 4) return std::nullopt;
    return fourCharCode(*bytes);
}

}  // namespace lcv::platform

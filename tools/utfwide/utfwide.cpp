// utfwide: re-encodes a UTF-8 text as big-endian UTF-16 with a byte-order mark.
//
//   utfwide              reads standard input until end of stream
//   utfwide text_file    reads the named file (the path is standardised first)
//
// The whole input is read into memory, decoded and written to standard output in
// one piece. Line ends are kept as they are; characters outside the Basic
// Multilingual Plane become surrogate pairs.
//
// Decisions where the behaviour was open:
// - Empty input gives the byte-order mark alone (FE FF), so every output of the
//   program is recognisable as UTF-16 by its first two bytes.
// - A UTF-8 byte-order mark at the start of the input is an encoding mark, not
//   text: it is dropped, so the output never starts with two byte-order marks.
// - Input that is not valid UTF-8 (bad sequences, overlong forms, encoded
//   surrogates, code points above U+10FFFF) and a path naming a directory end with
//   one error line on standard error and status 1; nothing goes to standard output.
// - Any failure to read the input or to write the output also ends with status 1.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] = "usage: utfwide text_file or utfwide < text_file\nutfwide:version 0.1\n";

void errorLine(const std::string& text) {
    std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// Expands a leading "~", reduces repeated and "." components, resolves ".." in
// absolute paths and drops a trailing slash.
std::string standardize(const std::string& path) {
    if (path.empty()) return path;
    std::string p = path;
    if (p[0] == '~' && (p.size() == 1 || p[1] == '/')) {
        const char* home = std::getenv("HOME");
        if (home && *home) p = std::string(home) + p.substr(1);
    }
    const bool absolute = p[0] == '/';
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= p.size()) {
        std::size_t j = p.find('/', i);
        if (j == std::string::npos) j = p.size();
        std::string part = p.substr(i, j - i);
        if (part.empty() || part == ".") {
            // skipped
        } else if (part == ".." && absolute) {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k) out += '/';
        out += parts[k];
    }
    if (out.empty()) out = absolute ? "/" : ".";
    return out;
}

bool readAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
}

void put16(std::string& out, std::uint32_t unit) {
    out += static_cast<char>((unit >> 8) & 0xFF);
    out += static_cast<char>(unit & 0xFF);
}

// Decodes UTF-8 and appends big-endian UTF-16. Returns false at the first invalid
// sequence, with its byte offset in badOffset.
bool utf8ToUtf16BE(const std::string& in, std::size_t start, std::string& out, std::size_t& badOffset) {
    const auto* s = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    std::size_t i = start;
    while (i < n) {
        const unsigned char b = s[i];
        std::uint32_t cp;
        std::size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            len = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            len = 4;
        } else {
            badOffset = i;
            return false;
        }
        if (len > n - i) {
            badOffset = i;
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                badOffset = i;
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
        if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            badOffset = i;
            return false;
        }
        if (cp >= 0x10000) {
            const std::uint32_t v = cp - 0x10000;
            put16(out, 0xD800 + (v >> 10));
            put16(out, 0xDC00 + (v & 0x3FF));
        } else {
            put16(out, cp);
        }
        i += len;
    }
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    int fd = 0;
    std::string name = "standard input";
    if (argc == 2) {
        const std::string path = standardize(argv[1]);
        struct stat st;
        if (path.empty() || stat(path.c_str(), &st) != 0) {
            errorLine("### " + path + " doesn't exist.");
            return 1;
        }
        if (S_ISDIR(st.st_mode)) {
            errorLine("### " + path + " is a directory.");
            return 1;
        }
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            errorLine("### " + path + " can't be opened: " + std::strerror(errno) + ".");
            return 1;
        }
        name = path;
    }

    std::string input;
    const bool readOk = readAll(fd, input);
    const int readErr = errno;
    if (fd != 0) close(fd);
    if (!readOk) {
        errorLine("### " + name + " can't be read: " + std::strerror(readErr) + ".");
        return 1;
    }

    std::size_t start = 0;
    if (input.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    std::string output;
    output.reserve(2 + 2 * (input.size() - start));
    put16(output, 0xFEFF);
    std::size_t bad = 0;
    if (!utf8ToUtf16BE(input, start, output, bad)) {
        errorLine("### " + name + " is not valid UTF-8 (byte offset " + std::to_string(bad) + ").");
        return 1;
    }

    if (!writeAll(1, output) || close(1) != 0) {
        errorLine("### can't write to standard output.");
        return 1;
    }
    return 0;
}

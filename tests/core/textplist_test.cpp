// Strings files and old-style text property lists: shapes, escapes, comments,
// encodings and the positions of malformed text.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/textplist.h"

using namespace lcv;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The entries of a dictionary of strings, in order.
Pairs entries(const DictRef& d) {
    Pairs out;
    for (const auto& [k, v] : *d) out.emplace_back(k, v.isString() ? v.str() : "<" + v.description() + ">");
    return out;
}

std::string utf16(const std::u16string& text, bool bigEndian, bool bom) {
    std::string out;
    auto put = [&](char16_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    if (bom) put(0xFEFF);
    for (char16_t u : text) put(u);
    return out;
}

TEST(StringsText, ParsesEntries) {
    struct Case {
        const char* what;
        std::string text;
        Pairs expected;
    };
    const Case cases[] = {
        {"quoted entries", "\"a\" = \"1\";\n\"b\"=\"two words\";", {{"a", "1"}, {"b", "two words"}}},
        {"unquoted keys and values", "ZFBundleShortVersionString = \"1.0\";\nK = a_b$c+d/e:f.g-9;",
         {{"ZFBundleShortVersionString", "1.0"}, {"K", "a_b$c+d/e:f.g-9"}}},
        {"bare key is its own value", "\"hello\";\nworld ;", {{"hello", "hello"}, {"world", "world"}}},
        {"single quotes", "'a' = 'say \"hi\"';", {{"a", "say \"hi\""}}},
        {"raw non-ASCII and line breaks kept", "\"\xD0\xBA\" = \"\xE5\x80\xA4\nnext\";",
         {{"\xD0\xBA", "\xE5\x80\xA4\nnext"}}},
        {"duplicate key: first place, last value", "\"a\" = \"1\"; \"b\" = \"2\"; \"a\" = \"3\";",
         {{"a", "3"}, {"b", "2"}}},
        {"whole text one dictionary", " { \"a\" = \"1\"; b = c; }\n", {{"a", "1"}, {"b", "c"}}},
        {"empty text", "", {}},
        {"only comments and space", "/* nothing */\n// here\n\n", {}},
    };
    for (const auto& c : cases) {
        StringsTable t;
        TextPlistError e;
        ASSERT_TRUE(parseStringsText(c.text, t, e)) << c.what << ": " << e.describe();
        EXPECT_EQ(entries(t.strings), c.expected) << c.what;
    }

    // Values may nest dictionaries, arrays and data.
    StringsTable t;
    TextPlistError e;
    ASSERT_TRUE(parseStringsText("\"a\" = { x = (1, \"2\", <0A0b 0c>); };\n\"b\" = ();", t, e)) << e.describe();
    ArrayRef x = Array::make();
    x->push_back("1");
    x->push_back("2");
    x->push_back(Data{0x0A, 0x0B, 0x0C});
    DictRef a = Dict::make();
    a->set("x", x);
    EXPECT_EQ(t.strings->get("a"), Value(a));
    EXPECT_EQ(t.strings->get("b"), Value(Array::make()));
}

TEST(StringsText, ResolvesEscapes) {
    struct Case {
        const char* what;
        std::string quoted;  // between the quotes of a value
        std::string expected;
    };
    const Case cases[] = {
        {"controls", R"(\n\t\r\a\b\f\v)", "\n\t\r\a\b\f\v"},
        {"backslash and quotes", R"(\\ \" \')", "\\ \" '"},
        {"no escape keeps the character", R"(\q\%\ \é)", "q% \xC3\xA9"},
        {"\\U four digits", R"(\U00e9\U2026)", "\xC3\xA9\xE2\x80\xA6"},
        {"\\U fewer digits", R"(\U41-\U7a)", "A-z"},
        {"\\U stops after four digits", R"(\U00411)", "A1"},
        {"\\U without digits is the letter", R"(\Ux)", "Ux"},
        {"surrogate pair becomes one character", R"(\UD83D\UDE00!)", "\xF0\x9F\x98\x80!"},
        {"lone high surrogate", R"(\UD83Dx)", "\xEF\xBF\xBDx"},
        {"lone low surrogate", R"(\UDE00)", "\xEF\xBF\xBD"},
        {"high surrogate before a non-surrogate escape", R"(\UD83D\U0041)", "\xEF\xBF\xBD" "A"},
        {"octal ASCII", R"(\101\60\0331)", "A0\x1B" "1"},
        {"octal legacy Roman upper half", R"(\200\351\333)", "\xC3\x84\xC3\x88\xE2\x82\xAC"},
        {"octal keeps the low byte", R"(\777)", "\xCB\x87"},
    };
    for (const auto& c : cases) {
        StringsTable t;
        TextPlistError e;
        const std::string text = "\"k\" = \"" + c.quoted + "\";";
        ASSERT_TRUE(parseStringsText(text, t, e)) << c.what << ": " << e.describe();
        EXPECT_EQ(t.strings->get("k").str(), c.expected) << c.what;
    }
    // Escapes work in keys too.
    StringsTable t;
    TextPlistError e;
    ASSERT_TRUE(parseStringsText(R"("a\"b\n" = "1";)", t, e));
    EXPECT_TRUE(t.strings->contains("a\"b\n"));
}

TEST(StringsText, CollectsTheCommentBeforeEachEntry) {
    const std::string text =
        "/* Title of the window */\n"
        "\"title\" = \"Fenster\";\n"
        "\n"
        "/* Buttons\n   of the sheet */\n"
        "\"ok\" = \"OK\";\n"
        "\"cancel\" = \"Abbrechen\";\n"
        "\n"
        "// a line comment is never kept\n"
        "\"plain\" = \"1\";\n"
        "\n"
        "/* separated by a blank line */\n"
        "   \t\n"
        "\"loose\" = \"2\";\n"
        "\"inner\" /* not this */ = /* nor this */ \"3\";\n"
        "\n"
        "/* first */ /* second */\n"
        "\"two\" = \"4\"; /* after the entry */\n"
        "\"next\" = \"5\";\n"
        "\"sub\" = { /* nested: not collected */ x = y; };\n";
    StringsTable t;
    TextPlistError e;
    ASSERT_TRUE(parseStringsText(text, t, e)) << e.describe();
    EXPECT_EQ(t.strings->size(), 9u);
    EXPECT_EQ(entries(t.comments), (Pairs{
                                       {"title", "/* Title of the window */"},
                                       {"ok", "/* Buttons\\n   of the sheet */"},
                                       {"cancel", "/* Buttons\\n   of the sheet */"},
                                       {"two", "/* second */"},
                                       {"next", "/* after the entry */"},
                                       {"sub", "/* after the entry */"},
                                   }));

    // A repeated key takes the comment of its last entry, or loses it.
    ASSERT_TRUE(parseStringsText("/* one */\n\"a\" = \"1\";\n\n\"a\" = \"2\";\n\n/* b */\n\"b\" = \"1\";\n"
                                 "\n/* b again */\n\"b\" = \"2\";",
                                 t, e));
    EXPECT_EQ(entries(t.comments), (Pairs{{"b", "/* b again */"}}));

    // Blank lines of CRLF text separate paragraphs as well; a braced text keeps comments.
    ASSERT_TRUE(parseStringsText("{\r\n/* c */\r\n\"a\" = \"1\";\r\n\r\n\"b\" = \"2\";\r\n}", t, e)) << e.describe();
    EXPECT_EQ(entries(t.comments), (Pairs{{"a", "/* c */"}}));
}

TEST(StringsText, MalformedTextFailsWithItsPosition) {
    struct Case {
        const char* what;
        std::string text;
        std::size_t line, column;
        std::string message;
    };
    const Case cases[] = {
        {"unterminated string", "\"a\" = \"1;\n", 1, 7, "unterminated string"},
        {"unterminated key", "\n  \"a = 1;", 2, 3, "unterminated string"},
        {"backslash at the end", "\"a\" = \"1\\", 1, 7, "unterminated string"},
        {"missing semicolon", "\"a\" = \"1\"\n\"b\" = \"2\";", 1, 10, "missing ';' after the value"},
        {"missing semicolon at the end", "\"a\" = \"1\"", 1, 10, "missing ';' after the value"},
        {"missing semicolon in a dictionary", "\"a\" = { b = c };", 1, 14, "missing ';' after the value"},
        {"missing equals sign", "\"a\" \"1\";", 1, 5, "missing '=' after the key"},
        {"unterminated comment", "\"a\" = \"1\";\n/* open", 2, 1, "unterminated comment"},
        {"unterminated comment inside an entry", "\"a\" = /* \"1\";", 1, 7, "unterminated comment"},
        {"stray closing brace", "\"a\" = \"1\";\n }", 2, 2, "unexpected '}'"},
        {"no value", "\"a\" = ;", 1, 7, "unexpected ';', a value was expected"},
        {"no value at the end", "\"a\" =", 1, 6, "unexpected end of text, a value was expected"},
        {"key of another kind", "(a) = b;", 1, 1, "unexpected '(', a key was expected"},
        {"unterminated dictionary", "\"a\" = { b = c;", 1, 7, "unterminated dictionary"},
        {"unterminated array", "\"a\" = (b, c;", 1, 12, "unexpected ';', ',' or ')' was expected"},
        {"unterminated data", "\"a\" = <00 11", 1, 7, "unterminated data"},
        {"odd data", "\"a\" = <abc>;", 1, 11, "odd number of hex digits in data"},
        {"bad data digit", "\"a\" = <0g>;", 1, 9, "unexpected 'g', a hex digit or '>' was expected in data"},
        {"columns count characters", "\"\xC3\xA9\xE2\x80\xA6\" = \"1\" x", 1, 11, "missing ';' after the value"},
        {"text after a braced text", "{ a = b; } c = d;", 1, 12, "unexpected text after the dictionary"},
        {"invalid UTF-8", "\"a\" = \"\xC3(\";", 1, 8, "invalid UTF-8"},
    };
    for (const auto& c : cases) {
        StringsTable t;
        TextPlistError e;
        EXPECT_FALSE(parseStringsText(c.text, t, e)) << c.what;
        EXPECT_EQ(e.line, c.line) << c.what;
        EXPECT_EQ(e.column, c.column) << c.what;
        EXPECT_EQ(e.message, c.message) << c.what;
        ASSERT_TRUE(t.strings && t.comments) << c.what;
        EXPECT_TRUE(t.strings->empty()) << c.what;
    }
    TextPlistError e;
    StringsTable t;
    ASSERT_FALSE(parseStringsText("\"a\" = \"1\";\n\"b\"", t, e));
    EXPECT_EQ(e.offset, 14u);
    EXPECT_EQ(e.describe(), "line 2, column 4: missing '=' after the key");
}

TEST(StringsBytes, DecodesByteOrderMarksAndUtf16) {
    const std::u16string text = u"/* c */\nkey = \"Fen\u00eatre \U0001F600\";\n\"b\" = \"2\";\n";
    const Pairs expected = {{"key", "Fen\xC3\xAAtre \xF0\x9F\x98\x80"}, {"b", "2"}};
    struct Case {
        const char* what;
        std::string bytes;
        TextEncoding encoding;
    };
    std::string utf8 = "/* c */\nkey = \"Fen\xC3\xAAtre \xF0\x9F\x98\x80\";\n\"b\" = \"2\";\n";
    const Case cases[] = {
        {"UTF-8", utf8, TextEncoding::Utf8},
        {"UTF-8 with byte-order mark before an unquoted key", "\xEF\xBB\xBF" + utf8, TextEncoding::Utf8},
        {"UTF-16 big-endian with mark", utf16(text, true, true), TextEncoding::Utf16BE},
        {"UTF-16 little-endian with mark", utf16(text, false, true), TextEncoding::Utf16LE},
        {"UTF-16 big-endian without mark", utf16(text, true, false), TextEncoding::Utf16BE},
        {"UTF-16 little-endian without mark", utf16(text, false, false), TextEncoding::Utf16LE},
    };
    for (const auto& c : cases) {
        std::string decoded;
        TextPlistError e;
        TextEncoding enc{};
        ASSERT_TRUE(decodeTextBytes(c.bytes, decoded, e, &enc)) << c.what << ": " << e.describe();
        EXPECT_EQ(enc, c.encoding) << c.what;
        EXPECT_EQ(decoded, utf8) << c.what;
        StringsTable t;
        ASSERT_TRUE(parseStringsBytes(c.bytes, t, e)) << c.what << ": " << e.describe();
        EXPECT_EQ(entries(t.strings), expected) << c.what;
        EXPECT_EQ(entries(t.comments), (Pairs{{"key", "/* c */"}, {"b", "/* c */"}})) << c.what;
    }

    // A mark with nothing after it is an empty table.
    StringsTable t;
    TextPlistError e;
    EXPECT_TRUE(parseStringsBytes(utf16(u"", false, true), t, e));
    EXPECT_TRUE(t.strings->empty());
}

TEST(StringsBytes, UndecodableBytesFail) {
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t offset;
    };
    const Case cases[] = {
        {"odd number of UTF-16 bytes", utf16(u"\"a\";", true, true) + "x", 10},
        {"unpaired high surrogate", utf16(u"\"\xD83D\";", false, true), 4},
        {"low surrogate first", utf16(u"\"\xDE00\xD83D\";", true, true), 4},
        {"high surrogate at the end", utf16(u"ab\xD83D", true, true), 6},
        {"invalid UTF-8 after the mark", "\xEF\xBB\xBF\"a\" = \"\xFF\";", 10},
    };
    for (const auto& c : cases) {
        StringsTable t;
        TextPlistError e;
        EXPECT_FALSE(parseStringsBytes(c.bytes, t, e)) << c.what;
        EXPECT_EQ(e.offset, c.offset) << c.what;
        EXPECT_EQ(e.line, 0u) << c.what;
        ASSERT_TRUE(t.strings) << c.what;
        EXPECT_TRUE(t.strings->empty()) << c.what;
    }
}

TEST(TextPlist, ParsesEveryTopLevelShape) {
    Value v;
    TextPlistError e;

    ASSERT_TRUE(parseTextPlist("// settings\n{ a = 1; \"b c\" = (x, \"y\", ); d = <00ff>; e = {}; }", v, e))
        << e.describe();
    ASSERT_TRUE(v.isDict());
    DictRef expected = Dict::make();
    ArrayRef arr = Array::make();
    arr->push_back("x");
    arr->push_back("y");
    expected->set("a", "1");
    expected->set("b c", arr);
    expected->set("d", Data{0x00, 0xFF});
    expected->set("e", Dict::make());
    EXPECT_EQ(v, Value(expected));
    EXPECT_EQ(v.dict()->keys(), (std::vector<std::string>{"a", "b c", "d", "e"}));

    ASSERT_TRUE(parseTextPlist("( \"a\", (b), {c = d;} )", v, e)) << e.describe();
    ASSERT_TRUE(v.isArray());
    EXPECT_EQ(v.array()->size(), 3u);

    ASSERT_TRUE(parseTextPlist("  \"just \\\"text\\\"\"  ", v, e));
    EXPECT_EQ(v, Value("just \"text\""));
    ASSERT_TRUE(parseTextPlist("bare", v, e));
    EXPECT_EQ(v, Value("bare"));
    ASSERT_TRUE(parseTextPlist("<0102 03>", v, e));
    EXPECT_EQ(v, Value(Data{1, 2, 3}));

    ASSERT_TRUE(parseTextPlist("a = b;\n\"c\";", v, e)) << e.describe();
    ASSERT_TRUE(v.isDict());
    EXPECT_EQ(entries(v.dict()), (Pairs{{"a", "b"}, {"c", "c"}}));

    ASSERT_TRUE(parseTextPlist(" /* */ ", v, e));
    ASSERT_TRUE(v.isDict());
    EXPECT_TRUE(v.dict()->empty());

    ASSERT_TRUE(parseTextPlistBytes(utf16(u"{ k = \"\u65e5\"; }", false, true), v, e)) << e.describe();
    ASSERT_TRUE(v.isDict());
    EXPECT_EQ(v.dict()->get("k"), Value("\xE6\x97\xA5"));
}

TEST(TextPlist, MalformedTextFails) {
    struct Case {
        const char* what;
        std::string text;
        std::size_t line, column;
        std::string message;
    };
    const Case cases[] = {
        {"unterminated array", "( a, b", 1, 1, "unterminated array"},
        {"two values", "\"a\" \"b\"", 1, 5, "unexpected text after the value"},
        {"brace after a dictionary", "{ a = 1; }\n}", 2, 1, "unexpected text after the value"},
        {"stray brace", "}", 1, 1, "unexpected '}', a value was expected"},
        {"entries then garbage", "a = b; )", 1, 8, "unexpected ')', a key was expected"},
        {"deep nesting stops", std::string(5000, '('), 1, 514, "values nested too deeply"},
    };
    for (const auto& c : cases) {
        Value v;
        TextPlistError e;
        EXPECT_FALSE(parseTextPlist(c.text, v, e)) << c.what;
        EXPECT_EQ(e.line, c.line) << c.what;
        EXPECT_EQ(e.column, c.column) << c.what;
        EXPECT_EQ(e.message, c.message) << c.what;
        EXPECT_TRUE(v.isNull()) << c.what;
    }
}

TEST(TextPlist, LegacyRomanBytes) {
    EXPECT_EQ(legacyRomanByteToUtf8('A'), "A");
    EXPECT_EQ(legacyRomanByteToUtf8(0x80), "\xC3\x84");      // A with diaeresis
    EXPECT_EQ(legacyRomanByteToUtf8(0xA5), "\xE2\x80\xA2");  // bullet
    EXPECT_EQ(legacyRomanByteToUtf8(0xCA), "\xC2\xA0");      // no-break space
    EXPECT_EQ(legacyRomanByteToUtf8(0xFF), "\xCB\x87");      // caron
}

}  // namespace

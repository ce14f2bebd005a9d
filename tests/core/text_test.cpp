#include <gtest/gtest.h>

#include "core/text.h"

using namespace lcv;

TEST(CodeUnitOrder, SortsByUtf16CodeUnits) {
    std::vector<std::string> items = {"a", "B", "\xef\xbd\x81" /* U+FF41 */, "\xf0\x9f\x98\x80" /* U+1F600 */, "", "ab"};
    sortCodeUnits(items);
    // Upper case before lower case; a supplementary character (surrogate pair,
    // high unit 0xD83D) before U+FF41.
    EXPECT_EQ(items, (std::vector<std::string>{"", "B", "a", "ab", "\xf0\x9f\x98\x80", "\xef\xbd\x81"}));
    EXPECT_EQ(compareCodeUnits("abc", "abc"), 0);
    EXPECT_LT(compareCodeUnits("ab", "abc"), 0);
}

TEST(Quoting, QuoteAndUnquote) {
    struct Case {
        std::string in, quoted;
    } cases[] = {
        {"", ""},
        {"\"\t", "\"\\\"\\t\""},
        {"a\\b", "\"a\\\\b\""},
        {"\a\b\f\n\r\v", "\"\\a\\b\\f\\n\\r\\v\""},
        {"\xe6\x97\xa5\xe6\x9c\xac", "\"\xe6\x97\xa5\xe6\x9c\xac\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unicodeQuotedStringRepresentation(c.in), c.quoted) << c.in;
        EXPECT_EQ(stringFromUnicodeQuotedStringRepresentation(c.quoted), c.in) << c.quoted;
    }
    EXPECT_EQ(stringFromUnicodeQuotedStringRepresentation("abc\\"), "abc\\");
    EXPECT_EQ(stringFromUnicodeQuotedStringRepresentation("\\q"), "q");
    EXPECT_EQ(escapeReturnChar("a\nb\t"), "a\\nb\t");
}

TEST(Descriptions, ShortAndLongForms) {
    auto d = Dict::make();
    d->set("b", "x y");
    d->set("a", 1);
    EXPECT_EQ(unicodeDescription(Value(d)), "{\"a\" = 1; \"b\" = \"x y\"; }");
    auto arr = Array::make();
    arr->push_back(std::string(90, 'z'));
    arr->push_back("q");
    EXPECT_EQ(unicodeDescription(Value(arr)), "(\n    \"" + std::string(90, 'z') + "\", \n    \"q\"\n)");
    EXPECT_EQ(Value(Data{1, 2, 3, 4, 5}).description(), "<01020304 05>");
    EXPECT_EQ(unicodeDescriptionInStringsFileFormat(*d), "\"a\" = 1;\n\"b\" = \"x y\";\n");
}

TEST(Utf8, Validation) {
    EXPECT_TRUE(isValidUtf8("plain \xe3\x81\x82"));
    EXPECT_FALSE(isValidUtf8("\xff"));
    EXPECT_FALSE(isValidUtf8("\xc0\x80"));        // overlong
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));    // surrogate
    EXPECT_FALSE(isValidUtf8("\xe3\x81"));        // truncated
}

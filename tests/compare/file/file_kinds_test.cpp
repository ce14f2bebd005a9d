#include <gtest/gtest.h>

#include "compare/file/file_kinds.h"
#include "e2e_util.h"
#include "fixtures.h"

using namespace lcv;

TEST(FileKinds, PairTestsAndTypeCodes) {
    lcvtest::TempDir t;
    const std::string strings = t.write("a/L.strings", ""), plist = t.write("a/I.plist", "");
    const std::string glossary = t.write("a/G.wg", ""), tiff = t.write("a/P.tif", "");
    const std::string typed = t.write("a/README", "text"), untyped = t.write("a/BINARY", "\x01");
    t.write("a/._README", lcvtest::sidecar({{9, lcvtest::browserInfo("ttro", "Edit", 0)}}));
    struct Case {
        const char* label;
        bool result, expected;
    } cases[] = {
        {"strings pair", FileKinds::stringFilePath(strings, strings), true},
        {"strings, one side absent", FileKinds::stringFilePath("", strings), true},
        {"both sides absent", FileKinds::stringFilePath("", ""), false},
        {"strings against plist", FileKinds::stringFilePath(strings, plist), false},
        {"plist synonym", FileKinds::plistSynonymPath(plist, ""), true},
        {"glossary is XML", FileKinds::xmlSynonymPath(glossary, glossary), true},
        {"glossary", FileKinds::glossarySynonymPath(glossary, ""), true},
        {"tiff", FileKinds::tiffFilePath(tiff, tiff), true},
        {"text by extension", FileKinds::textFilePath(plist, glossary), true},
        {"text by type code", FileKinds::textFilePath(typed, ""), true},
        {"not text", FileKinds::textFilePath(untyped, ""), false},
        {"extension", FileKinds::hasExtension("plist", plist, ""), true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, c.expected) << c.label;
}

TEST(FileKinds, EncodingGuesses) {
    lcvtest::TempDir t;
    const std::string le = t.write("le", std::string("\xFF\xFE" "a\0", 4)), be = t.write("be", std::string("\xFE\xFF\0a", 4));
    const std::string one = t.write("one", "\xFE"), utf8 = t.write("utf8", "\xEF\xBB\xBF" "a");
    EXPECT_EQ(FileKinds::guessEncodingFromByteOrderMark(le, nullptr), FileEncoding::UTF16);
    EXPECT_EQ(FileKinds::guessEncodingFromByteOrderMark(be, nullptr), FileEncoding::UTF16);
    EXPECT_EQ(FileKinds::guessEncodingFromByteOrderMark(one, nullptr), FileEncoding::UTF8);
    EXPECT_EQ(FileKinds::guessEncodingFromByteOrderMark(utf8, nullptr), FileEncoding::UTF8);

    struct Case {
        const char* path;
        FileEncoding expected;
    } cases[] = {
        {"/x/Japanese.lproj/a.strings", FileEncoding::LegacyJapanese},
        {"/x/fr.lproj/a.strings", FileEncoding::LegacyRoman},
        {"/x/ru.lproj/a.strings", FileEncoding::LegacyCyrillic},
        {"/x/zh_TW.lproj/a.strings", FileEncoding::LegacyChineseTraditional},
        {"/x/_NewLoc/App/a.txt", FileEncoding::LegacyJapanese},
        {"/x/_NewUS/App/a.txt", FileEncoding::LegacyRoman},            // a marker only sets the fallback
        {"/x/_NewUS/ko.lproj/a.txt", FileEncoding::LegacyKorean},      // the nearer component decides
        {"/x/Korean.lproj/_NewUS/a.txt", FileEncoding::LegacyKorean},  // the search goes on past a marker
        {"/x/App/a.txt", FileEncoding::LegacyJapanese},
    };
    for (const auto& c : cases) EXPECT_EQ(FileKinds::guessEncodingFromPath(c.path), c.expected) << c.path;
}

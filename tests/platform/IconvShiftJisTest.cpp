#include "platform/IconvShiftJis.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zelk {
namespace {

class IconvShiftJisTest : public ::testing::Test {
protected:
    IconvShiftJis sjis;
};

TEST_F(IconvShiftJisTest, CharactersBecomeTheirCodePage932Bytes) {
    struct Case {
        const char* utf8;
        std::string sjis;
    };
    const Case cases[] = {
        {"title", "title"},                     // ASCII stays
        {"ゼルク", "\x83\x5B\x83\x8B\x83\x4E"}, // katakana: two bytes each
        {"ｱﾄﾞ", "\xB1\xC4\xDE"},                // half-width katakana: one byte each
        {"漢字", "\x8A\xBF\x8E\x9A"},           // kanji
        {"～", "\x81\x60"},                     // full-width tilde, Windows' mapping
        {"①", "\x87\x40"},                      // NEC extension
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sjis.encode(c.utf8), c.sjis) << c.utf8;
}

TEST_F(IconvShiftJisTest, CharacterWithoutACodeBecomesAQuestionMark) {
    struct Case {
        const char* utf8;
        const char* sjis;
    };
    const Case cases[] = {
        {"\xC2\xA9 2024", "? 2024"},   // the copyright sign is not in code page 932
        {"a\xF0\x9F\x8E\xB5z", "a?z"}, // a four-byte character
        {"\xC3\xA9t\xC3\xA9", "?t?"},  // accented Latin letters
    };
    for (const auto& c : cases)
        EXPECT_EQ(sjis.encode(c.utf8), c.sjis) << c.utf8;
}

TEST_F(IconvShiftJisTest, BrokenUtf8CostsOneQuestionMarkPerByte) {
    EXPECT_EQ(sjis.encode("a\xFF"
                          "b"),
              "a?b");
    EXPECT_EQ(sjis.encode("ab\xE3\x82"), "ab?"); // cut off at the end
    EXPECT_EQ(sjis.encode("\xE3"
                          "b\x80"),
              "?b?"); // a lead byte without its tail
}

TEST_F(IconvShiftJisTest, LongTextsAreConvertedWhole) {
    std::string utf8;
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        utf8 += "ゼa";
        expected += "\x83\x5B"
                    "a";
    }
    EXPECT_EQ(sjis.encode(utf8), expected);
}

TEST_F(IconvShiftJisTest, ShiftJisBytesReadBackAsTheTextTheyEncode) {
    const char* texts[] = {"title", "ゼルク式ＭＩＤＩシーケンサ", "ｽﾈｱﾄﾞﾗﾑ1", "漢字①～", ""};
    for (const char* t : texts)
        EXPECT_EQ(sjis.decodeShiftJis(sjis.encode(t)), std::optional<std::string>(t)) << t;
}

TEST_F(IconvShiftJisTest, BytesThatAreNoShiftJisReadAsNothing) {
    const char* bytes[] = {
        "caf\xE9",  // Latin-1 e-acute: a lead byte without its trail byte
        "\x83",     // a lead byte at the end
        "a\x80z",   // a byte no character of code page 932 starts with
        "\x81\x20", // a lead byte followed by a blank
    };
    for (const char* b : bytes)
        EXPECT_EQ(sjis.decodeShiftJis(b), std::nullopt) << b;
}

} // namespace
} // namespace zelk

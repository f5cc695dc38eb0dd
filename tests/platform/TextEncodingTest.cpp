#include <gtest/gtest.h>

#include <string>

#include "platform/TextEncoding.h"

TEST(TextEncoding, GameNamesBecomeUtf8AndUtf8StaysAsItIs) {
    // A Half-Life texture name as the model stores it: u-umlaut is the byte 0xFC.
    EXPECT_EQ(GameTextToUtf8("BierB\xFC" "chse1.bmp"), "BierB\xC3\xBC" "chse1.bmp");
    // 0x80-0x9F go through the Windows table, not Latin-1's control codes.
    EXPECT_EQ(GameTextToUtf8("\x80 \x85 \x8A \x99 \x9F"), "\xE2\x82\xAC \xE2\x80\xA6 \xC5\xA0 \xE2\x84\xA2 \xC5\xB8");
    // The five bytes the table leaves open keep their Latin-1 value.
    EXPECT_EQ(GameTextToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(GameTextToUtf8("\xA0\xFF"), "\xC2\xA0\xC3\xBF");

    for (const std::string utf8 : {"", "plain ascii", "B\xC3\xBC" "chse", "\xE2\x82\xAC", "\xF0\x9F\x8E\xAE"}) {
        EXPECT_EQ(GameTextToUtf8(utf8), utf8) << utf8;
    }
    // Anything not well-formed is read as Windows text, byte by byte: an ending
    // cut short, an overlong form, a surrogate, beyond U+10FFFF, a stray byte
    // after good UTF-8.
    EXPECT_EQ(GameTextToUtf8("\xC3"), "\xC3\x83");
    EXPECT_EQ(GameTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(GameTextToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(GameTextToUtf8("\xF4\x90\x80\x80"), "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(GameTextToUtf8("\xC3\xBC\xFC"), "\xC3\x83\xC2\xBC\xC3\xBC");
}

TEST(TextEncoding, JsonStringsEscapeWhatJsonForbids) {
    EXPECT_EQ(JsonEscape("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(JsonEscape("\n\r\t"), "\\n\\r\\t");
    EXPECT_EQ(JsonEscape(std::string("\x01\x1F\x7F", 3)), "\\u0001\\u001f\x7F");
    EXPECT_EQ(JsonEscape("skin\xFC\x80"), "skin\xC3\xBC\xE2\x82\xAC");
}

// SPDX-License-Identifier: MIT
#include <clocale>
#include <cwchar>
#include <ios>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "util/DisplayName.h"
#include "util/DisplayWidth.h"
#include "util/Utf8.h"

namespace trelmark::util {
namespace {

TEST(Utf8, RejectsEveryMalformedSequence) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("日本語 ﾃｽﾄ é 😀"));
    EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    EXPECT_TRUE(isValidUtf8("\xED\x9F\xBF"));      // U+D7FF, just below the surrogates

    EXPECT_FALSE(isValidUtf8("\x80"));              // stray continuation byte
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xF0\x80\x80\xAF"));  // overlong, four bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // U+D800
    EXPECT_FALSE(isValidUtf8("\xED\xBF\xBF"));      // U+DFFF
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // U+110000
    EXPECT_FALSE(isValidUtf8("\xF5\x80\x80\x80"));  // lead byte past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE6\x97"));          // truncated
    EXPECT_FALSE(
        isValidUtf8("\xE6\x97"
                    "a"));  // truncated, then more
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

TEST(DisplayName, EscapesWhatIsNotPrintableUtf8) {
    EXPECT_EQ(displayName("plain.txt"), "plain.txt");
    EXPECT_EQ(displayName("日本語.txt"), "日本語.txt");
    EXPECT_EQ(displayName("a\xFF"
                          "b"),
              "a\\xFFb");
    EXPECT_EQ(displayName("\xC0\xAF"), "\\xC0\\xAF");
    EXPECT_EQ(displayName("\xED\xA0\x80"), "\\xED\\xA0\\x80");
    EXPECT_EQ(displayName("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");
    EXPECT_EQ(displayName("\xE6\x97"), "\\xE6\\x97");
    EXPECT_EQ(displayName("\xE6\x97日"), "\\xE6\\x97日");
    EXPECT_EQ(displayName("line\nbreak\ttab\x7F"), "line\\x0Abreak\\x09tab\\x7F");
    EXPECT_EQ(displayName("csi\xC2\x9B"), "csi\\xC2\\x9B");
    EXPECT_EQ(displayName("\xC2\xA0nbsp"), "\xC2\xA0nbsp");
}

TEST(DisplayName, BackslashIsEscapedOnlyWhereItWouldReadAsAnEscape) {
    EXPECT_EQ(displayName(R"(a\b)"), R"(a\b)");
    EXPECT_EQ(displayName(R"(\x4)"), R"(\x4)");
    EXPECT_EQ(displayName(R"(\xZZ)"), R"(\xZZ)");
    EXPECT_EQ(displayName(R"(\X41)"), R"(\X41)");
    EXPECT_EQ(displayName(R"(\x41)"), R"(\x5Cx41)");
    EXPECT_EQ(displayName(R"(\xab)"), R"(\x5Cxab)");
    EXPECT_EQ(rawName(R"(\x5Cx41)"), R"(\x41)");
    EXPECT_EQ(rawName(R"(\x41\xe6\x97\xA5)"), "A日");
    EXPECT_EQ(rawName(R"(\x4\xZZ\)"), R"(\x4\xZZ\)");
}

TEST(DisplayName, RawNameUndoesDisplayNameForAnyBytes) {
    // Biased towards the bytes that make escapes and sequences, so that they meet each other often.
    const std::string alphabet = "\\xX0aF9Z\n\x7F\x80\xBF\xC2\xE6\x97\xA5\xED\xA0\xF0\xF4\x90\xFF";
    std::mt19937 random(20260101);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<std::size_t> fromAlphabet(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 20000; ++round) {
        std::string raw;
        for (int n = length(random); n > 0; --n) {
            raw += round % 2 == 0 ? static_cast<char>(anyByte(random)) : alphabet[fromAlphabet(random)];
        }
        const std::string shown = displayName(raw);
        ASSERT_EQ(rawName(shown), raw) << shown;
        ASSERT_TRUE(isValidUtf8(shown)) << shown;
        ASSERT_EQ(shown.find('\n'), std::string::npos);
    }
}

TEST(DisplayWidth, CountsTerminalColumns) {
    EXPECT_EQ(displayWidth(""), 0);
    EXPECT_EQ(displayWidth("abc"), 3);
    EXPECT_EQ(displayWidth("日本語"), 6);
    EXPECT_EQ(displayWidth("ﾃｽﾄ"), 3);     // half-width katakana
    EXPECT_EQ(displayWidth("ＡＢ"), 4);    // fullwidth forms
    EXPECT_EQ(displayWidth("한국어"), 6);  // Hangul syllables
    EXPECT_EQ(displayWidth("😀"), 2);
    EXPECT_EQ(displayWidth("e\xCC\x81"), 1);       // e + combining acute
    EXPECT_EQ(displayWidth("か\xE3\x82\x99"), 2);  // kana + combining voiced mark
    EXPECT_EQ(displayWidth("a\xE2\x80\x8B"
                           "b"),
              2);                                    // zero width space
    EXPECT_EQ(displayWidth("\xEF\xBB\xBF"), 0);      // U+FEFF
    EXPECT_EQ(displayWidth("\xF0\xA0\x80\x8B"), 2);  // U+2000B, plane 2
    EXPECT_EQ(displayWidth("é"), 1);
    EXPECT_EQ(displayWidth("\xFF\xFE"), 2);
    EXPECT_EQ(displayWidth("a\tb"), 2);
}

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

// Where glibc's wcwidth and ours part, East Asian Width decides: the Arabic number sign and its kin are
// format characters that draw a sign (N: one column, as glibc has them); circled numbers on black squares
// (A) and Yijing hexagrams (N) are neither W nor F, so one column, where glibc gives two.
TEST(DisplayWidth, FollowsEastAsianWidthWhereGlibcDiffers) {
    for (const char32_t narrow : {0x0600U, 0x06DDU, 0x08E2U, 0x110BDU, 0x3248U, 0x324FU, 0x4DC0U, 0x4DFFU}) {
        EXPECT_EQ(displayWidth(utf8Of(narrow)), 1) << std::hex << static_cast<unsigned>(narrow);
    }
    EXPECT_EQ(displayWidth(utf8Of(0x3250)), 2);  // PARTNERSHIP SIGN, W: where the wide range resumes
    EXPECT_EQ(displayWidth(utf8Of(0x4DBF)), 2);
}

// Everywhere else the two agree, so a name lines up the same in a terminal that uses glibc's widths.
TEST(DisplayWidth, AgreesWithGlibcOnEveryOtherPrintableCodePoint) {
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) {
        GTEST_SKIP() << "no C.UTF-8 locale";
    }
    int differences = 0;
    for (char32_t c = 0xA0; c <= 0x10FFFF; ++c) {
        const int glibc = c >= 0xD800 && c <= 0xDFFF ? -1 : ::wcwidth(static_cast<wchar_t>(c));
        const bool eastAsianNarrow = (c >= 0x3248 && c <= 0x324F) || (c >= 0x4DC0 && c <= 0x4DFF);
        if (glibc >= 0 && !eastAsianNarrow && displayWidth(utf8Of(c)) != glibc) {
            ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c) << ": glibc " << glibc;
            if (++differences > 20) {
                break;
            }
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

}  // namespace
}  // namespace trelmark::util

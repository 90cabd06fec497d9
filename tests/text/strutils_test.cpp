#include "text/core/strutils.h"
#include "tests/text/stepwise_edits.h"

#include "tests/support/cp1252_locale.h"

#include <gtest/gtest.h>

namespace zunda::text {
namespace {

using test::Cp1252Locale;

TEST(Cp1252LocaleTest, ClassesAndUpperCaseFollowTheCodePage) {
    Cp1252Locale loc;
    struct Case {
        unsigned char byte;
        bool alpha, digit;
    } cases[] = {
        {'a', true, false},  {'Z', true, false},  {'7', false, true}, {' ', false, false},
        {0xAA, true, false},  // feminine ordinal
        {0xB2, false, true},  // superscript two
        {0xD7, false, false},  // multiplication sign
        {0x83, true, false},  // f with hook
        {0x80, false, false},  // euro sign
        {0xDF, true, false},  // sharp s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ((loc.ByteClass(c.byte) & kAlpha) != 0, c.alpha);
        EXPECT_EQ((loc.ByteClass(c.byte) & kDigit) != 0, c.digit);
    }
    EXPECT_EQ(loc.UpperCase("abc\xE4\xFF\x9A\xDF\xB5"), "ABC\xC4\x9F\x8A\xDF\xB5");
    EXPECT_EQ(loc.ToByte(u'\u20AC'), 0x80);
    EXPECT_EQ(loc.ToByte(u'\u4E30'), std::nullopt);
    EXPECT_EQ(loc.ToAnsi(u"a\u20AC\u4E30"), "a\x80?");
    EXPECT_EQ(loc.FromAnsi("a\x80\x81"), u"a\u20AC\u0081");
    EXPECT_EQ(loc.CompareNoCase("\xE4pfel", "\xC4PFEL"), 0);
    EXPECT_LT(loc.CompareNoCase("ab", "AC"), 0);
}

TEST(StrToBoolTest, AcceptsTheFourTrueWordsOnly) {
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {" ja ", true}, {"TRUE", true},  {"wahr", true},  {"1", true},     {"\t1\r\n", true},
        {"yes", false}, {"false", false}, {"NEIN", false}, {"", false},     {"j a", false},
        {"01", false},  {"TRUE.", false},
    };
    for (const Case& c : cases) EXPECT_EQ(StrToBool(c.text), c.expected) << c.text;
    EXPECT_EQ(BoolToStr(true), "TRUE");
    EXPECT_EQ(BoolToStr(false), "FALSE");
}

TEST(CharClassTest, ClassesOfSingleCharacters) {
    Cp1252Locale loc;
    loc.decimalSeparator = ";";  // a separator that is no sign of its own shows it counts as a number
    struct Case {
        OptChar c;
        bool alpha, alnum, number, sign;
    } cases[] = {
        {u'a', true, true, false, false},
        {u'\u00E4', true, true, false, false},   // a umlaut
        {u'5', false, true, true, false},
        {u' ', false, false, true, false},
        {u'-', false, false, true, true},
        {u'+', false, false, true, true},
        {u'.', false, false, true, true},
        {u',', false, false, true, true},
        {u';', false, false, true, true},        // the decimal separator
        {u'\u00DF', true, true, false, true},    // sharp s: a letter and a sign
        {u'\u20AC', false, false, false, true},  // euro sign, byte 128
        {u'\u00B0', false, false, false, true},  // degree sign
        {u'\u00B4', false, false, false, true},  // acute accent
        {u'\u00A7', false, false, false, true},  // section sign
        {u'<', false, false, false, false},
        {u'\t', false, false, false, false},
        // Characters outside the code page are in no class, whatever their low byte.
        {u'\u2030', false, false, false, false},  // per mille: byte 0x89 of the code page, no letter
        {u'\u4E30', false, false, false, false},  // low byte '0'
        {u'\u0141', false, false, false, false},  // low byte 'A'
        {u'\u0161', true, true, false, false},    // s caron, byte 0x9A of the code page
        {std::nullopt, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.c ? static_cast<int>(*c.c) : -1);
        EXPECT_EQ(CharIsAlpha(loc, c.c), c.alpha);
        EXPECT_EQ(CharIsAlphaNum(loc, c.c), c.alnum);
        EXPECT_EQ(CharIsNumber(loc, c.c), c.number);
        EXPECT_EQ(CharIsSign(loc, c.c), c.sign);
    }
}

TEST(CharClassTest, ThereAreExactlyThirtyFourSigns) {
    Cp1252Locale loc;
    int signs = 0;
    for (int b = 0; b < 256; ++b)
        if (CharIsSign(loc, loc.FromAnsi(std::string(1, static_cast<char>(b)))[0])) ++signs;
    EXPECT_EQ(signs, 34);
}

TEST(StringTypeTest, WholeStringTestsAndType) {
    Cp1252Locale loc;
    loc.decimalSeparator = ",";
    struct Case {
        const char16_t* text;
        bool alpha, alnum, number;
        StringType type;
    } cases[] = {
        {u"", false, false, false, StringType::Unknown},
        {u"abc", true, false, false, StringType::Alpha},
        {u"abc1", false, true, false, StringType::Alphanum},
        {u"1 234,5", false, false, true, StringType::Number},
        {u"--", true, false, true, StringType::Alpha},        // signs are alphabetic and numeric
        {u"Hallo Welt!", true, false, false, StringType::Alpha},
        {u"a-1", false, true, false, StringType::Alphanum},
        {u"a 1", false, true, false, StringType::Alphanum},
        {u"   ", true, false, true, StringType::Alpha},
        {u"<>", false, false, false, StringType::Unknown},
        {u"12", false, false, true, StringType::Number},
        {u"\u4E30\u4E31", false, false, false, StringType::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.text)));
        EXPECT_EQ(StrIsAlpha(loc, c.text), c.alpha);
        EXPECT_EQ(StrIsAlphaNum(loc, c.text), c.alnum);
        EXPECT_EQ(StrIsNumber(loc, c.text), c.number);
        EXPECT_EQ(StrIsTyp(loc, c.text), c.type);
    }
}

TEST(EditTest, AddReplaceDeleteAndFind) {
    EXPECT_EQ(StrAddChar(u"abc", u'"'), u"\"abc\"");
    EXPECT_EQ(StrAddChar(u"\"abc", u'"'), u"\"abc\"");
    EXPECT_EQ(StrAddChar(u"abc\"", u'"'), u"\"abc\"");
    EXPECT_EQ(StrAddChar(u"\"abc\"", u'"'), u"\"abc\"");
    EXPECT_EQ(StrAddChar(u"\"", u'"'), u"\"");
    EXPECT_EQ(StrAddChar(u" \t ", u'"'), u" \t ");
    EXPECT_EQ(StrAddChar(u"", u'"'), u"");
    EXPECT_EQ(StrAddChar(u"abc", std::nullopt), u"abc");

    EXPECT_EQ(StrReplace(u"a-b-c", u'-', u'+'), u"a+b+c");
    EXPECT_EQ(StrReplace(u"a-b-C", u'c', u'x'), u"a-b-C");
    EXPECT_EQ(StrReplace(u"a-b", u'-', u'-'), u"a-b");
    EXPECT_EQ(StrReplace(u"a-b", std::nullopt, u'+'), u"a-b");
    EXPECT_EQ(StrReplace(u"a-b-c", u'-', std::nullopt), u"abc");

    EXPECT_TRUE(StrContains(u"xyz", u"abcz"));
    EXPECT_FALSE(StrContains(u"xyz", u"abc"));
    EXPECT_FALSE(StrContains(u"", u"abc"));
    EXPECT_FALSE(StrContains(u"a", u""));
    EXPECT_FALSE(StrContains(u"A", u"abc"));

    EXPECT_EQ(StrDeleteChar(u"a-b-c", u'-'), u"abc");
    EXPECT_EQ(StrDeleteChar(u"a-b-c", std::nullopt), u"a-b-c");

    EXPECT_EQ(StrLastPos(u'\\', u"C:\\dir\\file"), 7);
    EXPECT_EQ(StrLastPos(u'x', u"abc"), 0);
    EXPECT_EQ(StrLastPos(u'x', u""), 0);
    EXPECT_EQ(StrLastPos(std::nullopt, u"abc"), 0);
    EXPECT_EQ(StrLastPos(u'a', u"a"), 1);
}

TEST(EditTest, LeftAndRightNeedALengthWithinTheText) {
    struct Case {
        std::int32_t length;
        const char16_t *left, *right;
    } cases[] = {{1, u"a", u"c"}, {2, u"ab", u"bc"}, {3, u"abc", u"abc"}, {4, u"", u""}, {0, u"", u""}, {-1, u"", u""}};
    for (const Case& c : cases) {
        EXPECT_EQ(StrLeft(u"abc", c.length), c.left) << c.length;
        EXPECT_EQ(StrRight(u"abc", c.length), c.right) << c.length;
    }
    EXPECT_EQ(StrLeft(u"", 1), u"");
}

// The trims written out the long way, step by step, to check the short forms against.
std::u16string LiteralTrimRight(std::u16string w, std::u16string_view sep) {
    const std::u16string given = w;
    for (size_t i = w.size(); i >= 1; --i) {
        size_t p = sep.empty() ? std::u16string::npos : w.find(sep);
        if (p != std::u16string::npos && p + 1 == i) w.resize(i - 1);
    }
    return w.empty() ? given : w;
}
std::u16string LiteralTrimLeft(std::u16string w, std::u16string_view sep) {
    const std::u16string given = w;
    for (size_t i = 0; i < given.size(); ++i)
        if (!sep.empty() && w.find(sep) == 0) w.erase(0, 1);
    return w.empty() ? given : w;
}
std::u16string LiteralDelete(std::u16string w, std::u16string_view del) {
    const size_t n = w.size();
    for (size_t i = 0; i < n; ++i) {
        size_t p = del.empty() ? std::u16string::npos : w.find(del);
        if (p != std::u16string::npos) w.erase(p, 1);
    }
    return w;
}

// Every text of up to six characters over a small alphabet.
std::vector<std::u16string> SmallTexts(std::u16string_view alphabet, size_t maxLength) {
    std::vector<std::u16string> out{u""};
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i].size() == maxLength) continue;
        for (char16_t c : alphabet) out.push_back(out[i] + c);
    }
    return out;
}

TEST(TrimTest, ExamplesOfTheTrims) {
    EXPECT_EQ(StrTrimNull(u"  00120 "), u"120");
    EXPECT_EQ(StrTrimNull(u"000"), u"000");
    EXPECT_EQ(StrTrimNull(u"42"), u"42");
    EXPECT_EQ(StrTrimLeftEx(u"xxx", u"x"), u"xxx");
    EXPECT_EQ(StrTrimLeftEx(u"xxab", u"x"), u"ab");
    EXPECT_EQ(StrTrimLeftEx(u"ababX", u"ab"), u"babX");  // one character per step
    EXPECT_EQ(StrTrimLeftEx(u"abc", u""), u"abc");
    EXPECT_EQ(StrTrimRightEx(u"abc  ", u" "), u"abc");
    EXPECT_EQ(StrTrimRightEx(u"a b ", u" "), u"a");  // cut where the separator first occurs
    EXPECT_EQ(StrTrimRightEx(u" abc", u" "), u" abc");
    EXPECT_EQ(StrTrimRightEx(u"abc", u""), u"abc");
    EXPECT_EQ(StrTrimEx(u";;a;;", u";"), u"a");
    EXPECT_EQ(StrTrimEx(u"  ", u" "), u"  ");
}

TEST(TrimTest, ShortFormsAgreeWithTheStepwiseTrims) {
    for (const std::u16string& t : SmallTexts(u"ax ", 6))
        for (std::u16string_view sep : {u"", u"x", u" ", u"xa", u"ax "}) {
            SCOPED_TRACE(testing::PrintToString(t) + " / " + testing::PrintToString(std::u16string(sep)));
            ASSERT_EQ(StrTrimLeftEx(t, sep), LiteralTrimLeft(t, sep));
            ASSERT_EQ(StrTrimRightEx(t, sep), LiteralTrimRight(t, sep));
            ASSERT_EQ(StrDelete(t, sep), LiteralDelete(t, sep));
        }
}

TEST(EditTest, BetweenAndDelete) {
    EXPECT_TRUE(StrBetween(u"b", u"a", u"c"));
    EXPECT_TRUE(StrBetween(u"a", u"a", u"c"));
    EXPECT_TRUE(StrBetween(u"c", u"a", u"c"));
    EXPECT_FALSE(StrBetween(u"d", u"a", u"c"));
    EXPECT_FALSE(StrBetween(u"B", u"a", u"c"));  // ordinal: upper case sorts first
    EXPECT_FALSE(StrBetween(u"b", u"c", u"a"));
    EXPECT_TRUE(StrBetween(u"\u00E4", u"z", u"\u4E00"));

    EXPECT_EQ(StrDelete(u"a-b-c", u"-"), u"abc");
    EXPECT_EQ(StrDelete(u"abab", u"ab"), u"bb");  // one character per match
    EXPECT_EQ(StrDelete(u"aabb", u"ab"), u"bb");  // matches formed by a removal count too
    EXPECT_EQ(StrDelete(u"abc", u""), u"abc");
    EXPECT_EQ(StrDelete(u"", u"a"), u"");
}

TEST(SymbolTest, CopyToAndAfterTheSymbol) {
    Cp1252Locale loc;
    struct Case {
        const char *text, *symbol, *before, *after;
    } cases[] = {
        {"Name=Wert", "=", "Name", "Wert"},
        {" Name=Wert", "=", " Name", "Wert"},     // blanks in front do not shift the cut
        {"  key = value  ", "=", "  key ", " value  "},
        {"Name=Wert", " = ", "Name", "Wert"},     // the symbol's own blanks are ignored
        {"AbcXYdef", "xy", "Abc", "def"},         // letter case is ignored
        {"Stra\xDF" "e\xE4" "Ende", "\xC4", "Stra\xDF" "e", "Ende"},  // and so are umlauts
        {"Name", "=", "Name", "Name"},
        {"Name", "==", "Name", "Name"},           // an absent long symbol keeps the whole text
        {"Name=", "=", "Name", ""},
        {"=Wert", "=", "", "Wert"},
        {"a=b=c", "=", "a", "b=c"},
        {"", "=", "", ""},
        {"Name=Wert", "", "Name=Wert", "Name=Wert"},
        {"Name=Wert", "  ", "Name=Wert", "Name=Wert"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.symbol);
        EXPECT_EQ(Copy2Symb(loc, c.text, c.symbol), c.before);
        EXPECT_EQ(CopyAfterSymb(loc, c.text, c.symbol), c.after);
    }
}

TEST(SymbolTest, ReplaceIgnoringCase) {
    Cp1252Locale loc;
    struct Case {
        const char *text, *from, *to, *expected;
    } cases[] = {
        {"a-b-c", "-", "", "abc"},
        {"a-b-c", "-", "+", "a+b-c"},     // a non-empty replacement is made once
        {" a-b", "-", "+", " a+b"},       // leading blanks cost no characters
        {"Hello World", "WORLD", "Zunda", "Hello Zunda"},
        {"a+b-c", "-", "+", "a+b-c"},     // nothing when the text holds the replacement
        {"abc", "x", "y", "abc"},
        {"abc", "", "y", "abc"},
        {"", "-", "+", ""},
        {"C:\\Programme\\%APP%\\bin", "%app%", "Zunda", "C:\\Programme\\Zunda\\bin"},
        {"xxxx", "x", "", ""},
        {"aXbxc", "x", "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.from + " / " + c.to);
        EXPECT_EQ(StrReplaceEx(loc, c.text, c.from, c.to), c.expected);
    }
}

TEST(SymbolTest, OnePassEditsAgreeWithTheStepwiseOnes) {
    Cp1252Locale loc;
    // Every text of up to five characters over letters of both cases, a
    // separator, a blank and a control character.
    std::vector<std::string> texts;
    for (const std::u16string& t : SmallTexts(u"aA- \t", 5)) texts.emplace_back(t.begin(), t.end());
    const char* froms[] = {"-", "a", " A ", "aa", "a-", "-a-", "a a", "A\t", "", " "};
    const char* tos[] = {"", " ", "\t\t", "  ", "-", "b", "A"};
    for (const std::string& t : texts)
        for (const char* from : froms)
            for (const char* to : tos) {
                SCOPED_TRACE("[" + t + "] [" + from + "] [" + to + "]");
                ASSERT_EQ(StrReplaceEx(loc, t, from, to), stepwise::ReplaceEx(loc, t, from, to));
            }
    for (const std::u16string& t : SmallTexts(u"ab-", 7))
        for (std::u16string_view remove : {u"a", u"ab", u"aab", u"aba", u"-a-", u"abab"})
            ASSERT_EQ(StrDelete(t, remove), stepwise::Delete(t, remove));
    // Long texts and search sets, including one past the small-set path.
    std::u16string search, text;
    for (char16_t c = 0x4e00; c < 0x4e00 + 40; ++c) search.push_back(c);
    for (int i = 0; i < 5000; ++i) text.push_back(static_cast<char16_t>(u'a' + i % 26));
    EXPECT_FALSE(StrContains(search, text));
    text.push_back(0x4e00 + 39);
    EXPECT_TRUE(StrContains(search, text));
    EXPECT_TRUE(StrContains(text, search));
    EXPECT_EQ(StrContains(search.substr(0, 3), text), stepwise::Contains(search.substr(0, 3), text));
}

TEST(SymbolTest, ReplacementLimitAndLongTexts) {
    Cp1252Locale loc;
    // An occurrence that runs through a blank replacement is replaced too.
    EXPECT_EQ(StrReplaceEx(loc, "a a", "A A", " "), stepwise::ReplaceEx(loc, "a a", "A A", " "));
    std::string text;
    for (int i = 0; i < 20000; ++i) text += i % 3 ? "x" : "-";
    std::string expected;
    for (int i = 0; i < 20000; ++i)
        if (i % 3) expected += "x";
    EXPECT_EQ(StrReplaceEx(loc, text, "-", ""), expected);
    EXPECT_EQ(StrReplaceEx(loc, text, "X", ""), std::string(6667, '-'));
    std::u16string wide(text.begin(), text.end());
    EXPECT_EQ(StrDelete(wide, u"-"), std::u16string(expected.begin(), expected.end()));
}

}  // namespace
}  // namespace zunda::text

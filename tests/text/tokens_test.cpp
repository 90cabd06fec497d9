#include "text/core/tokens.h"

#include "tests/text/stepwise_tokens.h"

#include <gtest/gtest.h>

#include <vector>

namespace zunda::text {
namespace {

using namespace stepwise;

TEST(TokenTest, CountAndExistence) {
    EXPECT_EQ(StrHowManyToken(u"a;b;c", u";"), 2);
    EXPECT_EQ(StrHowManyToken(u"a;;b", u";"), 2);
    EXPECT_EQ(StrHowManyToken(u"", u";"), 0);
    EXPECT_EQ(StrHowManyToken(u"a::b", u"::"), 0);
    EXPECT_EQ(StrHowManyToken(u"abc", u""), 0);
    EXPECT_TRUE(StrTokenExists(u"a;b", u";"));
    EXPECT_FALSE(StrTokenExists(u"abc", u";"));
    EXPECT_FALSE(StrTokenExists(u"abc", u""));
    EXPECT_FALSE(StrTokenExists(u"", u";"));
    EXPECT_FALSE(StrTokenExists(u"a::b", u"::"));
}

TEST(TokenTest, GetToken) {
    struct Case {
        const char16_t *text, *sep;
        std::int32_t position;
        const char16_t* expected;
    } cases[] = {
        {u"a;b;c", u";", 1, u"a"},   {u"a;b;c", u";", 2, u"b"},  {u"a;b;c", u";", 3, u"c"},
        {u"a;b;c", u";", 4, u""},    {u"a;b", u";", 0, u""},     {u"a;b", u";", -1, u""},
        {u"a;;b", u";", 2, u""},     {u"a;;b", u";", 3, u"b"},   {u";a", u";", 1, u""},
        {u";a", u";", 2, u"a"},      {u"a;", u";", 2, u""},      {u"a;", u";", 3, u""},
        {u"abc", u";", 1, u"abc"},   {u"abc", u";", 2, u""},     {u"", u";", 1, u""},
        {u"abc", u"", 1, u"abc"},    {u"x::y::z", u"::", 1, u"x"},
        {u"x::y::z", u"::", 2, u":y"},  // the rest of a long separator leads the next token
        {u"x::y::z", u"::", 3, u":z"},
        {u"a;b", u";", 2147483647, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.text)) + " " + std::to_string(c.position));
        EXPECT_EQ(StrGetToken(c.text, c.sep, c.position), c.expected);
    }
}

TEST(TokenTest, DeleteInsertAndSet) {
    struct Case {
        const char16_t* text;
        std::int32_t position;
        const char16_t *deleted, *inserted, *set;
    } cases[] = {
        {u"a;b;c", 1, u"b;c", u"X;a;b;c", u"X;b;c"},
        {u"a;b;c", 2, u"a;c", u"a;X;b;c", u"a;X;c"},
        {u"a;b;c", 3, u"a;b", u"a;b;X;c", u"a;b;X"},
        {u"a;b;c", 4, u"a;b;c", u"a;b;c;X", u"a;b;c;X"},
        {u"a;b;c", 9, u"a;b;c", u"a;b;c;X", u"a;b;c;X"},
        {u"a;b;c", 0, u"", u"", u""},
        {u"a;b;c", -3, u"", u"", u""},
        {u"", 1, u"", u"X;", u"X"},
        {u"abc", 1, u"", u"X;abc", u"X"},
        {u"abc", 2, u"abc", u"abc;X", u"abc;X"},
        {u"a;;b", 2, u"a;b", u"a;X;;b", u"a;X;b"},
        {u";", 2, u"", u";X;", u";X"},
        {u"aa;bbb;cccc", 2, u"aa;cccc", u"aa;X;bbb;cccc", u"aa;X;cccc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.text)) + " " + std::to_string(c.position));
        EXPECT_EQ(StrDeleteToken(c.text, u";", c.position), c.deleted);
        EXPECT_EQ(StrInsertToken(c.text, u";", c.position, u"X"), c.inserted);
        EXPECT_EQ(StrSetToken(c.text, u";", c.position, u"X"), c.set);
    }
}

TEST(TokenTest, OnePassFunctionsAgreeWithTheStepwiseReading) {
    std::vector<std::u16string> texts{u""};
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].size() == 6) continue;
        for (char16_t c : std::u16string_view(u"a;:")) texts.push_back(texts[i] + c);
    }
    for (const std::u16string& s : texts)
        for (std::u16string_view sep : {u";", u"::", u"", u"a;", u";;"})
            for (std::int32_t p = -1; p <= 9; ++p) {
                SCOPED_TRACE(testing::PrintToString(s) + " sep " + testing::PrintToString(std::u16string(sep)) +
                             " p " + std::to_string(p));
                ASSERT_EQ(StrGetToken(s, sep, p), RefGet(s, sep, p));
                ASSERT_EQ(StrDeleteToken(s, sep, p), RefDelete(s, sep, p));
                ASSERT_EQ(StrInsertToken(s, sep, p, u"X"), RefInsert(s, sep, p, u"X"));
                ASSERT_EQ(StrSetToken(s, sep, p, u"X"), RefSet(s, sep, p, u"X"));
                ASSERT_EQ(StrHowManyToken(s, sep), RefCount(s, sep));
            }
}

}  // namespace
}  // namespace zunda::text

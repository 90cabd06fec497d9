// The decision whether a name converted to the 8-bit code page exactly.
#include "server/core/exact_name.h"

#include <gtest/gtest.h>

namespace zunda {
namespace {

TEST(ExactName, OnlyAnUnchangedReadBackWithoutDefaultCharactersOrNulIsExact) {
    using namespace std::string_view_literals;
    struct Case {
        std::u16string_view original, readBack;
        bool usedDefault, exact;
    } cases[] = {
        {u"C:\\t\\a.txt", u"C:\\t\\a.txt", false, true},
        {u"", u"", false, true},
        {u"C:\\t\\\u00e4\u00df.txt", u"C:\\t\\\u00e4\u00df.txt", false, true},  // in the code page
        {u"C:\\t\\a\u4e2d.txt", u"C:\\t\\a?.txt", true, false},                  // no mapping: "?"
        {u"C:\\t\\sub\uff3c..\uff3cv.txt", u"C:\\t\\sub\\..\\v.txt", false, false},  // best-fit look-alike
        {u"C:\\t\\\uff0a.txt", u"C:\\t\\*.txt", false, false},
        {u"\uff23", u"C", false, false},                                         // a fullwidth drive letter
        {u"C:\\t\\a.txt\0evil"sv, u"C:\\t\\a.txt\0evil"sv, false, false},       // a NUL would end the name
        {u"a?.txt", u"a?.txt", true, false},                                     // the flag alone refuses
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.readBack.begin(), c.readBack.end()));
        EXPECT_EQ(ConvertedExactly(c.original, c.readBack, c.usedDefault), c.exact);
    }
}

TEST(ExactName, MessageShowsTheStartOfTheNameWithoutNul) {
    const std::string text = InexactNameMessage(std::string("C:\\t\\a?.txt\0x", 13));
    EXPECT_NE(text.find("\"C:\\t\\a?.txt?x\""), std::string::npos) << text;
    EXPECT_NE(text.find("cannot represent exactly"), std::string::npos);
    EXPECT_LT(InexactNameMessage(std::string(5000, 'x')).size(), 200u);
}

}  // namespace
}  // namespace zunda

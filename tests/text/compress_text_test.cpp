#include "text/core/compress_text.h"

#include "server/core/failure.h"
#include "tests/support/cp1252_locale.h"
#include "text/core/basecrypt.h"
#include "text/core/lh5.h"

#include <gtest/gtest.h>

namespace zunda::text {
namespace {

using test::Cp1252Locale;

std::u16string LongText() {
    std::u16string t;
    for (int i = 0; i < 400; ++i) t += u"Zeile " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u": \u00C4rger \u20AC;";
    return t;
}

TEST(CompressTextTest, RoundTripsRawAndPrintable) {
    Cp1252Locale single, multi;
    multi.singleByte = false;
    const std::u16string texts[] = {u"", u"a", u"Hallo Welt", u"\u00E4\u00F6\u00FC\u00DF \u20AC \u0081", LongText()};
    for (const Locale* loc : {static_cast<const Locale*>(&single), static_cast<const Locale*>(&multi)})
        for (const std::u16string& t : texts)
            for (bool crypt : {false, true}) {
                SCOPED_TRACE(testing::PrintToString(t.substr(0, 20)) + (crypt ? " crypt" : " raw"));
                std::u16string packed = CompressText(*loc, t, crypt);
                EXPECT_EQ(DecompressText(*loc, packed, crypt), t);
            }
}

TEST(CompressTextTest, FormsOfTheCompressedText) {
    Cp1252Locale single, multi;
    multi.singleByte = false;
    const std::string bytes = lh5::Compress("Hallo \xE4");
    // Raw: the code page's characters of the bytes, or U+0000..U+00FF where the code page cannot carry them.
    EXPECT_EQ(CompressText(single, u"Hallo \u00E4", false), single.FromAnsi(bytes));
    std::u16string widened(bytes.begin(), bytes.end());
    for (size_t i = 0; i < bytes.size(); ++i) widened[i] = static_cast<unsigned char>(bytes[i]);
    EXPECT_EQ(CompressText(multi, u"Hallo \u00E4", false), widened);
    // Printable: alphabet characters and one final full stop.
    std::u16string printable = CompressText(single, LongText(), true);
    ASSERT_FALSE(printable.empty());
    EXPECT_EQ(printable.back(), u'.');
    for (size_t i = 0; i + 1 < printable.size(); ++i)
        ASSERT_NE(basecrypt::kAlphabet.find(static_cast<char>(printable[i])), std::string_view::npos) << i;
    // The empty text's compressed string is its length field of four zero bytes.
    EXPECT_EQ(CompressText(single, u"", false), std::u16string(4, u'\0'));
}

TEST(CompressTextTest, DamagedTextsAreFailures) {
    Cp1252Locale single, multi;
    multi.singleByte = false;
    std::u16string packed = CompressText(single, LongText(), false);
    EXPECT_THROW(DecompressText(single, packed.substr(0, packed.size() / 2), false), Failure);
    EXPECT_THROW(DecompressText(single, u"abc", false), Failure);
    std::u16string printable = CompressText(single, LongText(), true);
    EXPECT_THROW(DecompressText(single, printable.substr(0, printable.size() / 2) + u".", true), Failure);
    EXPECT_THROW(DecompressText(multi, u"\u4E00\u4E00\u4E00\u4E00\u4E00", false), Failure);
}

}  // namespace
}  // namespace zunda::text

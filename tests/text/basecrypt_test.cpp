// The printable 3-bytes-to-4-characters form of compressed strings.
#include "text/core/basecrypt.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/core/lh5.h"

namespace zunda::basecrypt {
namespace {

using namespace std::string_literals;

TEST(BaseCrypt, EncodesKnownBytes) {
    // Worked out by hand from the alphabet: header character of the top
    // bits first, then the low six bits of each byte.
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"", "."},
        {"\0\0\0"s, "QQQQ."},
        {"abc", "Basd."},        // header 0b010101 = 21 "B"; 0x21, 0x22, 0x23
        {"\xFF", "2:."},         // header 0b110000 = 48 "2"; 63 ":"
        {"Hi", "VAz."},          // a last group of two bytes
        {"Zunda!", "Be7nVfaa."}, // two full groups
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Encode(c.bytes), c.text);
        EXPECT_EQ(Decode(c.text), c.bytes);
    }
}

TEST(BaseCrypt, RoundTripsAnyBytesWithTheGroupLengthRule) {
    std::mt19937 rng(3);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::vector<std::string> inputs = {all};
    for (std::size_t len = 0; len <= 10; ++len) {
        std::string s;
        for (std::size_t i = 0; i < len; ++i) s += static_cast<char>(rng());
        inputs.push_back(s);
    }
    for (const std::string& bytes : inputs) {
        SCOPED_TRACE(bytes.size());
        const std::string text = Encode(bytes);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '.');
        const std::string body = text.substr(0, text.size() - 1);
        EXPECT_EQ(body.find_first_not_of(kAlphabet), std::string::npos);
        const std::size_t rest = bytes.size() % 3;
        EXPECT_EQ(body.size(), 4 * (bytes.size() / 3) + (rest ? rest + 1 : 0));
        EXPECT_EQ(Decode(text), bytes);
    }
}

TEST(BaseCrypt, DecodingStopsAtTheFullStopOrTheEnd) {
    EXPECT_EQ(Decode("QQQQ.QQQQ"), "\0\0\0"s);
    EXPECT_EQ(Decode("QQQQ"), "\0\0\0"s);
    EXPECT_EQ(Decode("QQ"), "\0"s);
    EXPECT_EQ(Decode("Q."), "");  // a header alone yields nothing
    EXPECT_EQ(Decode(""), "");
    EXPECT_EQ(Decode(".abc"), "");
}

TEST(BaseCrypt, ACharacterOutsideTheAlphabetCountsAs128) {
    // As a byte character: its value 128 is or-ed with the header bits.
    EXPECT_EQ(Decode("Q#"), "\x80");
    EXPECT_EQ(Decode("2#"), "\xC0");  // header 48 gives top bits 11
    // As the header: (128 << s) & 0xC0 is 0 for every s, so no top bits.
    EXPECT_EQ(Decode("#2:W"), "\x30\x3F\x01"s);
    // Whitespace, NUL and bytes above 0x7F are all outside.
    EXPECT_EQ(Decode("Q \n"s), "\x80\x80");
    EXPECT_EQ(Decode("Q\0\xE9"s), "\x80\x80");
    // Any text decodes to at most three bytes per four characters.
    std::string every;
    for (int c = 0; c < 256; ++c)
        if (c != '.') every += static_cast<char>(c);
    EXPECT_EQ(Decode(every).size(), every.size() / 4 * 3 + (every.size() % 4 ? every.size() % 4 - 1 : 0));
}

TEST(BaseCrypt, CarriesCompressedStrings) {
    const std::string text = "Ein kleiner Text, der gepackt und als Text verschickt wird. Ein kleiner Text!";
    const std::string printable = Encode(lh5::Compress(text));
    EXPECT_EQ(printable.find_first_not_of(std::string(kAlphabet) + "."), std::string::npos);
    EXPECT_EQ(lh5::Decompress(Decode(printable)), text);
}

}  // namespace
}  // namespace zunda::basecrypt

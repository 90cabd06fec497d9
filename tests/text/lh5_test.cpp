// The "-lh5-" codec: its streams against an independent decoder (liblhasa),
// streams of an independent encoder (jlha fixtures) against ours, and
// damaged input.
#include "tests/support/lhasa_decode.h"
#include "text/core/lh5.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server/core/failure.h"

namespace zunda::lh5 {
namespace {

using namespace std::string_literals;

std::uint32_t LengthOf(std::string_view compressed) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(compressed[static_cast<std::size_t>(i)]);
    return n;
}

std::string LengthHeader(std::uint32_t n) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
    return s;
}

// What liblhasa's "-lh5-" decoder makes of the stream after the length.
std::string LhasaDecode(std::string_view compressed) {
    const std::optional<std::string> out = test::LhasaDecodeBody(compressed.substr(4), LengthOf(compressed));
    if (!out) ADD_FAILURE() << "liblhasa has no -lh5- decoder";
    return out.value_or(std::string());
}

std::string RandomBytes(std::size_t n, unsigned seed, unsigned alphabet = 256) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() % alphabet);
    return s;
}

std::string WordText(std::size_t n, unsigned seed) {
    static const char* const kWords[] = {"Zunda", "compresses", "the", "text", "of", "a", "string", "into",
                                         "bytes", "and", "back", "again,", "window", "table", "block", "code",
                                         "Huffman", "length", "position", "match", "literal", "8192"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
        s += rng() % 11 == 0 ? ".\r\n" : " ";
    }
    s.resize(n);
    return s;
}

std::string ReadFixture(const std::string& name) {
    std::ifstream f(std::string(ZUNDA_SOURCE_DIR) + "/tests/text/fixtures/" + name, std::ios::binary);
    EXPECT_TRUE(f) << name;
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// MSB-first bit writer for hand-made streams.
class Bits {
public:
    Bits& Put(unsigned nbits, std::uint32_t value) {
        for (unsigned i = nbits; i-- > 0;) {
            acc_ = static_cast<unsigned char>((acc_ << 1) | ((value >> i) & 1));
            if (++count_ == 8) {
                bytes_ += static_cast<char>(acc_);
                acc_ = 0;
                count_ = 0;
            }
        }
        return *this;
    }
    // A code length in the T/P table form: 0..6 in 3 bits, 7 and up in unary.
    Bits& Length(unsigned len) {
        if (len <= 6) return Put(3, len);
        Put(3, 7);
        for (unsigned i = 7; i < len; ++i) Put(1, 1);
        return Put(1, 0);
    }
    std::string Stream(std::uint32_t n) const {
        std::string s = bytes_;
        if (count_) s += static_cast<char>(acc_ << (8 - count_));
        return LengthHeader(n) + s;
    }

private:
    std::string bytes_;
    unsigned char acc_ = 0;
    unsigned count_ = 0;
};

// Block headers for hand-made streams.
Bits& SingleT(Bits& b, unsigned sym) { return b.Put(5, 0).Put(5, sym); }
Bits& SingleC(Bits& b, unsigned sym) { return SingleT(b, 0).Put(9, 0).Put(9, sym); }
Bits& SingleP(Bits& b, unsigned sym) { return b.Put(4, 0).Put(4, sym); }

// A block whose C code gives 1-bit codes to 'A' (0) and the 3-byte match
// (1), through a T table that codes zero runs (T 2, bit 0) and length 1
// (T 3, bit 1); positions are all 0 (distance 1).
Bits& TwoCodeBlock(Bits& b, unsigned codes) {
    b.Put(16, codes);
    b.Put(5, 4).Length(0).Length(0).Length(1).Put(2, 0).Length(1);  // T lengths 0 0 1 1
    b.Put(9, 257);
    b.Put(1, 0).Put(9, 65 - 20);   // 65 zero lengths
    b.Put(1, 1);                   // 'A': 1
    b.Put(1, 0).Put(9, 190 - 20);  // 190 zero lengths
    b.Put(1, 1);                   // code 256 (match of 3): 1
    return SingleP(b, 0);
}

// Decompress must throw a damage failure, naming reason when one is given.
void ExpectDamaged(const std::string& data, const std::string& what, const std::string& reason = "") {
    SCOPED_TRACE(what);
    try {
        const std::string out = Decompress(data);
        ADD_FAILURE() << "decoded " << out.size() << " bytes from damaged data";
    } catch (const Failure& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Compressed data is damaged (", 0), 0u) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

TEST(Lh5, EmptyInputIsFourZeroBytes) {
    EXPECT_EQ(Compress(""), "\0\0\0\0"s);
    EXPECT_EQ(Decompress("\0\0\0\0"s), "");
    EXPECT_EQ(LhasaDecode("\0\0\0\0"s), "");
}

TEST(Lh5, EveryStreamDecodesWithAnIndependentDecoder) {
    std::string allBytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(round == 1 ? 255 - b : b);
    const std::string window = RandomBytes(8192, 5);
    const struct {
        const char* name;
        std::string input;
    } cases[] = {
        {"one byte", "x"},
        {"one literal twice (one-code table)", "aa"},
        {"short text", "Hello, Hello!"},
        {"run of one byte value", std::string(300000, 'a')},
        {"all 256 byte values", allBytes},
        {"incompressible random bytes, more than 65535 codes", RandomBytes(100000, 1)},
        {"matches across the whole 8 KiB window", window + "middle" + window.substr(6)},
        {"text past the window, several blocks", WordText(300000, 2)},
        {"four-letter random text", RandomBytes(200000, 3, 4)},
        {"text of 65535, 65536 and 65537 bytes (block boundaries)", WordText(65535, 7) + "|" + WordText(65536, 8) + "|" + WordText(65537, 9)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string packed = Compress(c.input);
        ASSERT_GE(packed.size(), 5u);
        EXPECT_EQ(LengthOf(packed), c.input.size());
        EXPECT_EQ(Decompress(packed), c.input);
        EXPECT_EQ(LhasaDecode(packed), c.input);
    }
}

TEST(Lh5, CopiesMatchesThatOverlapTheirOwnOutput) {
    // Each period p repeats p random bytes, so matches copy from p bytes
    // back, overlapping what they write; lengths vary with the breaks.
    std::string input;
    for (unsigned period = 1; period <= 20; ++period) {
        const std::string unit = RandomBytes(period, 100 + period);
        for (unsigned len = 3; len < 300; len += 1 + len / 4) {
            for (unsigned k = 0; k < len; ++k) input += unit[k % period];
            input += RandomBytes(2, period * 1000 + len);  // a break: the next run starts a new match
        }
    }
    const std::string packed = Compress(input);
    EXPECT_EQ(Decompress(packed), input);
    EXPECT_EQ(LhasaDecode(packed), input);
}

TEST(Lh5, ShortInputGrowsButTheStreamIsComplete) {
    for (const std::string& input : {"a"s, "ab"s, "abc"s, "abcabc"s}) {
        const std::string packed = Compress(input);
        EXPECT_GT(packed.size(), input.size() + 4);
        EXPECT_EQ(LhasaDecode(packed), input);
    }
}

TEST(Lh5, CompressesText) {
    const std::string text = WordText(100000, 4);
    EXPECT_LT(Compress(text).size(), text.size() / 3);
    const std::string run(1 << 20, ' ');
    EXPECT_LT(Compress(run).size(), 1000u);
}

TEST(Lh5, ReadsStreamsOfAnotherEncoder) {
    // Written by jlha (see fixtures/make-lh5-fixtures.sh).
    for (const char* name : {"text", "run", "bytes", "far"}) {
        SCOPED_TRACE(name);
        const std::string packed = ReadFixture(std::string(name) + ".lh5");
        const std::string input = ReadFixture(std::string(name) + ".in");
        ASSERT_FALSE(input.empty());
        EXPECT_EQ(LengthOf(packed), input.size());
        EXPECT_EQ(Decompress(packed), input);
        EXPECT_EQ(LhasaDecode(packed), input);
    }
}

TEST(Lh5, ParsesSmallerThanAnotherEncoder) {
    // The same inputs as jlha's fixtures: our streams must not be larger.
    for (const char* name : {"text", "run", "bytes", "far"}) {
        SCOPED_TRACE(name);
        const std::string input = ReadFixture(std::string(name) + ".in");
        const std::string theirs = ReadFixture(std::string(name) + ".lh5");
        EXPECT_LE(Compress(input).size(), theirs.size());
    }
}

TEST(Lh5, ReadsHandMadeStreamsThatLhasaReadsToo) {
    Bits literals;
    TwoCodeBlock(literals, 4).Put(1, 0).Put(1, 1).Put(1, 0).Put(1, 0);  // A, match of 3, A, A
    Bits zeroBitCodes;  // codes that take no bits: 1 + 65535 * 256 bytes from a dozen
    SingleP(SingleC(zeroBitCodes.Put(16, 1), 'q'), 0);
    SingleP(SingleC(zeroBitCodes.Put(16, 65535), 509), 0);
    const struct {
        const char* name;
        std::string stream;
        std::string expected;
    } cases[] = {
        {"two-code block", literals.Stream(6), "AAAAAA"},
        {"zero-bit codes", zeroBitCodes.Stream(1 + 65535 * 256), std::string(1 + 65535 * 256, 'q')},
        {"trailing zero bytes", literals.Stream(6) + "\0\0"s, "AAAAAA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decompress(c.stream), c.expected);
        EXPECT_EQ(LhasaDecode(c.stream), c.expected);
    }
}

TEST(Lh5, RejectsDamagedTablesAndCodes) {
    struct Case {
        const char* name;
        std::string stream;
        const char* reason;
    };
    std::vector<Case> cases;
    // Zero bytes after each stream keep the length within what the data
    // could hold, so the damage itself is what gets reported.
    const std::string pad(16, '\0');
    auto add = [&](const char* name, const Bits& b, std::uint32_t n, const char* reason) {
        cases.push_back({name, b.Stream(n) + pad, reason});
    };
    {
        Bits b;
        SingleP(SingleC(b.Put(16, 0), 'A'), 0).Put(1, 0);
        add("block of no codes", b, 1, "holds no codes");
    }
    {
        Bits b;
        b.Put(16, 1).Put(5, 20);
        add("T count above 19", b, 1, "bad code-length table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleT(b, 19);
        add("T single symbol out of range", b, 1, "bad code-length table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleP(SingleT(b, 0).Put(9, 0).Put(9, 510), 0);
        add("C single symbol out of range", b, 1, "bad character table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleT(b, 3).Put(9, 511);
        add("C count above 510", b, 1, "bad character table");
    }
    {
        Bits b;
        b.Put(16, 1).Put(5, 3).Length(1).Length(1).Length(1).Put(2, 0);
        add("over-subscribed T table", b, 1, "bad Huffman table");
    }
    {
        Bits b;
        b.Put(16, 1).Put(5, 2).Length(1).Length(2);
        add("incomplete T table", b, 1, "bad Huffman table");
    }
    {
        Bits b;
        b.Put(16, 1).Put(5, 2).Length(17).Length(1);
        add("code length above 16", b, 1, "bad code-length table");
    }
    {
        Bits b;  // three lengths and a run of three zeros: one code of length 1
        b.Put(16, 1).Put(5, 3).Length(0).Length(0).Length(1).Put(2, 3);
        add("T table of one code", b, 1, "bad Huffman table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleT(b, 2).Put(9, 300).Put(9, 511);
        add("C zero run past 510", b, 1, "bad character table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleT(b, 3).Put(9, 1);
        add("incomplete C table", b, 1, "bad Huffman table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleC(b, 'A').Put(4, 15);
        add("P count above 14", b, 1, "bad code-length table");
    }
    {
        Bits b;
        b.Put(16, 1);
        SingleP(SingleC(b, 'A'), 14);
        add("P single symbol out of range", b, 1, "bad code-length table");
    }
    {
        Bits b;
        SingleP(SingleC(b.Put(16, 1), 256), 0);
        add("match before the start", b, 3, "before the start");
    }
    {
        Bits b;
        SingleP(SingleC(b.Put(16, 1), 'A'), 0);
        SingleP(SingleC(b.Put(16, 1), 256), 1);
        add("match reaching two bytes back after one", b, 4, "before the start");
    }
    {
        Bits b;
        TwoCodeBlock(b, 2).Put(1, 0).Put(1, 1);
        add("match past the announced length", b, 3, "past the announced length");
    }
    {
        Bits b;
        TwoCodeBlock(b, 3).Put(1, 0).Put(1, 0).Put(1, 0);
        add("block holds more codes than the length", b, 2, "more codes than");
    }
    {
        Bits b;
        TwoCodeBlock(b, 1).Put(1, 0).Put(8, 0x5A);
        add("data after the end", b, 1, "data follows");
    }
    {
        Bits b;
        TwoCodeBlock(b, 1).Put(1, 0);
        cases.push_back({"stream ends before the announced length", b.Stream(2), "ends early"});
    }
    {
        Bits b;
        SingleP(SingleC(b.Put(16, 65535), 509), 0);
        add("length beyond what the stream can hold", b, 0xFFFFFFFFu, "announces more");
    }
    for (const Case& c : cases) ExpectDamaged(c.stream, c.name, c.reason);
}

TEST(Lh5, RejectsDamagedStreams) {
    const std::string text = WordText(20000, 6);
    const std::string packed = Compress(text);
    const std::uint32_t n = LengthOf(packed);
    const std::string body = packed.substr(4);

    for (const std::string& s : {""s, "\x01"s, "\0\0\0"s}) ExpectDamaged(s, "shorter than the length header");
    ExpectDamaged(LengthHeader(1), "length without a stream");
    ExpectDamaged(LengthHeader(0xFFFFFFFFu) + body, "length of 4 GiB");
    ExpectDamaged(LengthHeader(n + 1) + body, "length one byte too long");
    ExpectDamaged(LengthHeader(n - 1) + body, "length one byte too short");
    ExpectDamaged(packed + "\x01", "extra byte after the stream");
    ExpectDamaged(LengthHeader(0) + "\x80", "empty text with a stream");
    for (std::size_t keep = 0; keep < body.size(); keep += keep < 64 ? 1 : 97)
        ExpectDamaged(packed.substr(0, 4 + keep), "truncated to " + std::to_string(keep));
    ExpectDamaged(packed.substr(0, packed.size() - 1), "last byte missing");
}

TEST(Lh5, RejectsGarbage) {
    std::mt19937 rng(9);
    for (int i = 0; i < 2000; ++i) {
        const std::string body = RandomBytes(rng() % 600, static_cast<unsigned>(i));
        const std::uint32_t n = i % 2 ? static_cast<std::uint32_t>(rng()) : rng() % 5000 + 1;
        ExpectDamaged(LengthHeader(n) + body, "garbage " + std::to_string(i));
    }
}

TEST(Lh5, ThreadsCompressAtTheSameTime) {
    std::vector<std::string> inputs;
    for (unsigned i = 0; i < 4; ++i) inputs.push_back(WordText(60000 + 1000 * i, 10 + i));
    std::vector<std::string> expected;
    for (const std::string& in : inputs) expected.push_back(Compress(in));
    std::vector<int> good(inputs.size(), 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < inputs.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                const std::string packed = Compress(inputs[t]);
                good[t] += packed == expected[t] && Decompress(packed) == inputs[t];
            }
        });
    }
    for (std::thread& th : threads) th.join();
    for (int g : good) EXPECT_EQ(g, 5);
}

}  // namespace
}  // namespace zunda::lh5

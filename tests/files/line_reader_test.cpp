// Reading lines through a byte source: every line of a file comes back once,
// whichever line ends it uses, with the position left behind each line end.
#include "files/core/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zunda::core {
namespace {

// Bytes in memory, handed out in blocks no larger than `block`, so line ends
// can fall on block boundaries.
class MemorySource : public ByteSource {
public:
    MemorySource(std::string bytes, size_t block) : bytes_(std::move(bytes)), block_(block) {}
    size_t Read(char* buffer, size_t size) override {
        if (pos_ >= bytes_.size()) return 0;
        size_t n = std::min({size, block_, bytes_.size() - static_cast<size_t>(pos_)});
        std::copy_n(bytes_.data() + pos_, n, buffer);
        pos_ += n;
        return n;
    }
    std::uint64_t Position() override { return pos_; }
    void SetPosition(std::uint64_t p) override { pos_ = p; }

private:
    std::string bytes_;
    size_t block_;
    std::uint64_t pos_ = 0;
};

std::vector<std::string> ReadAll(const std::string& bytes, size_t block) {
    MemorySource src(bytes, block);
    std::vector<std::string> lines;
    while (src.Position() < bytes.size()) lines.push_back(ReadLine(src));
    EXPECT_EQ(src.Position(), bytes.size());
    EXPECT_EQ(ReadLine(src), "");  // at the end: empty, and the position stays
    EXPECT_EQ(src.Position(), bytes.size());
    return lines;
}

TEST(LineReader, EveryLineOnceWhateverTheLineEnds) {
    const std::vector<std::string> three = {"first", "", "third line"};
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "first\r\n\r\nthird line\r\n", three},
        {"LF", "first\n\nthird line\n", three},
        {"CR", "first\r\rthird line\r", three},
        {"no end on the last line", "first\r\n\r\nthird line", three},
        {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"one empty line", "\r\n", {""}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        for (size_t block : {1u, 2u, 6u, 4096u}) {
            SCOPED_TRACE(std::string(c.what) + ", block " + std::to_string(block));
            EXPECT_EQ(ReadAll(c.bytes, block), c.lines);
        }
    }
}

TEST(LineReader, ReadsOnFromWhereThePositionStands) {
    MemorySource src("abc\r\ndef\r\n", 4096);
    src.SetPosition(1);
    EXPECT_EQ(ReadLine(src), "bc");
    EXPECT_EQ(src.Position(), 5u);
    std::string big(10000, 'x');
    MemorySource longLine(big + "\r\nend", 4096);
    EXPECT_EQ(ReadLine(longLine), big);
    EXPECT_EQ(ReadLine(longLine), "end");
}

}  // namespace
}  // namespace zunda::core

// libFuzzer target for the text form of lines, which is what a client's byte
// array or a file becomes: SplitLines on the whole input, JoinLines as its
// writer, the list operations (sort, find, name=value) on the lines, and
// ReadLine over the same bytes as a file read a byte at a time and in blocks,
// which must find the same lines.
#include "collections/core/stringlist.h"
#include "files/core/line_reader.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/cp1252_locale.h"

#include <algorithm>
#include <cstring>

namespace {

using zunda::fuzz::Check;
using namespace zunda::core;

class Locale final : public ListLocale {
public:
    int CompareNoCase(std::string_view a, std::string_view b) const override { return cp.CompareNoCase(a, b); }
    std::string FromUtf16(std::u16string_view text) const override { return cp.ToAnsi(text); }
    zunda::test::Cp1252Locale cp;
};

// The input as a file that hands out at most `block` bytes per read.
class BlockSource final : public ByteSource {
public:
    BlockSource(std::string_view bytes, std::size_t block) : bytes_(bytes), block_(block) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        Check(pos_ <= bytes_.size(), "read past the end of the file");
        const std::size_t n = std::min({size, block_, bytes_.size() - static_cast<std::size_t>(pos_)});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::uint64_t Position() override { return pos_; }
    void SetPosition(std::uint64_t p) override {
        Check(p <= bytes_.size(), "position set past the end of the file");
        pos_ = p;
    }

private:
    std::string_view bytes_;
    std::size_t block_;
    std::uint64_t pos_ = 0;
};

void ReadLines(std::string_view text, const std::vector<std::string>& expected) {
    for (std::size_t block : {std::size_t(1), std::size_t(4096)}) {
        BlockSource source(text, block);
        std::vector<std::string> lines;
        while (source.Position() < text.size()) {
            const std::uint64_t before = source.Position();
            lines.push_back(ReadLine(source));
            Check(source.Position() > before, "ReadLine does not move on");
        }
        Check(lines == expected, "ReadLine finds other lines than SplitLines");
        Check(ReadLine(source).empty() && source.Position() == text.size(), "ReadLine at the end");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t bytes = 0;
    for (const std::string& l : lines) {
        Check(l.find_first_of("\r\n") == std::string::npos, "line end inside a line");
        bytes += l.size();
    }
    Check(bytes <= size && size <= bytes + 2 * lines.size(), "lines do not cover the text");
    Check(lines.size() <= size, "more lines than bytes");

    // Written back with CR LF line ends, the lines read the same, and the text
    // is the input with every line end made CR LF (and one added at the end).
    const std::string joined = JoinLines(lines);
    Check(SplitLines(joined) == lines, "joined lines read differently");
    Check(JoinLines(SplitLines(joined)) == joined, "joined text is not stable");
    // Each line read costs the reader a fresh block of 4 KiB: a prefix keeps this fast.
    constexpr std::size_t kReadPrefix = 256;
    if (size <= kReadPrefix) ReadLines(text, lines);
    else ReadLines(text.substr(0, kReadPrefix), SplitLines(text.substr(0, kReadPrefix)));

    if (lines.size() > 500) return 0;  // the list operations below are quadratic in places
    static const Locale locale;
    StringList list(locale);
    list.Assign(lines);
    Check(list.Count() == static_cast<long>(lines.size()) && list.Text() == joined, "list text");
    // IndexOf searches from the start: the first 64 entries are enough to check it.
    for (long i = 0; i < list.Count() && i < 64; ++i) {
        const std::string name = list.Name(i);
        Check(name.size() <= list.Get(i).size(), "name longer than its entry");
        const long at = list.IndexOf(list.Get(i));
        Check(at >= 0 && at <= i && locale.CompareNoCase(list.Get(at), list.Get(i)) == 0, "IndexOf misses an entry");
    }
    list.Sort();
    for (long i = 1; i < list.Count(); ++i)
        Check(locale.CompareNoCase(list.Get(i - 1), list.Get(i)) <= 0, "sorted list out of order");
    for (long i = 0; i < list.Count(); ++i) {
        long at = -1;
        Check(list.Find(list.Get(i), at) && at <= i && locale.CompareNoCase(list.Get(at), list.Get(i)) == 0,
              "Find misses an entry of a sorted list");
    }
    if (!lines.empty()) {
        const std::string name = list.Name(0);
        if (!name.empty() && list.SetValue(name, "v")) Check(list.Value(name) == "v", "SetValue does not read back");
    }
    return 0;
}

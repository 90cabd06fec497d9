// The portable string list: index errors, name=value entries, the shared
// case-insensitive order of Sort, Find and IndexOf, and the line form.
#include "collections/core/stringlist.h"

#include <gtest/gtest.h>

namespace zunda::core {
namespace {

// Latin-1 stand-in for the system locale: case folding of ASCII and of the
// accented letters, byte order otherwise.
class Latin1Locale final : public ListLocale {
public:
    static unsigned char Fold(unsigned char c) {
        if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
        return c;
    }
    int CompareNoCase(std::string_view a, std::string_view b) const override {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            unsigned char x = Fold(static_cast<unsigned char>(a[i]));
            unsigned char y = Fold(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    }
    std::string FromUtf16(std::u16string_view text) const override {
        std::string out;
        for (char16_t c : text) out += c < 256 ? static_cast<char>(c) : '?';
        return out;
    }
};

const Latin1Locale kLocale;

StringList Make(std::vector<std::string> items) {
    StringList l(kLocale);
    l.Assign(std::move(items));
    return l;
}

TEST(StringList, IndexOutsideTheListFailsWithTheIndexMessage) {
    StringList l = Make({"a", "b"});
    for (long bad : {-1L, 2L, 100L}) {
        SCOPED_TRACE(bad);
        try {
            l.Get(bad);
            FAIL() << "no failure";
        } catch (const ListIndexError& e) {
            EXPECT_EQ(e.Index(), bad);
            EXPECT_EQ(std::string(e.what()), "Listenindex \xFC" "berschreitet das Maximum (" + std::to_string(bad) + ")");
        }
        EXPECT_THROW(l.Set(bad, "x"), ListIndexError);
        EXPECT_THROW(l.Name(bad), ListIndexError);
        EXPECT_THROW(l.Delete(bad), ListIndexError);
    }
    EXPECT_EQ(l.Count(), 2);
    l.Set(1, "B");
    EXPECT_EQ(l.Get(1), "B");
}

TEST(StringList, AddAppendsAndReturnsTheNewIndex) {
    StringList l(kLocale);
    EXPECT_EQ(l.Add("z"), 0);
    EXPECT_EQ(l.Add("a"), 1);  // never kept sorted
    EXPECT_EQ(l.Add("z"), 2);  // duplicates allowed
    l.Delete(0);
    EXPECT_EQ(l.Items(), (std::vector<std::string>{"a", "z"}));
    EXPECT_TRUE(l.Clear());
    EXPECT_FALSE(l.Clear());
}

TEST(StringList, NamesAndValues) {
    StringList l = Make({"plain", "Key=one=two", "=empty name", "other=x"});
    EXPECT_EQ(l.Name(0), "");
    EXPECT_EQ(l.Name(1), "Key");
    EXPECT_EQ(l.Name(2), "");
    EXPECT_EQ(l.Value("key"), "one=two");  // name without case, value after the first "="
    EXPECT_EQ(l.Value(""), "empty name");
    EXPECT_EQ(l.Value("plain"), "");       // an entry without "=" has no name
    EXPECT_EQ(l.Value("missing"), "");

    EXPECT_TRUE(l.SetValue("KEY", "3"));
    EXPECT_EQ(l.Get(1), "KEY=3");
    EXPECT_TRUE(l.SetValue("new", "v"));
    EXPECT_EQ(l.Get(4), "new=v");
    EXPECT_TRUE(l.SetValue("other", ""));  // an empty value deletes the entry
    EXPECT_FALSE(l.SetValue("absent", ""));
    EXPECT_EQ(l.Items(), (std::vector<std::string>{"plain", "KEY=3", "=empty name", "new=v"}));
}

TEST(StringList, SortFindAndIndexOfShareTheCaseInsensitiveOrder) {
    StringList l = Make({"pear", "Apple", "\xC4pfel", "banana", "apple", "Cherry"});
    EXPECT_EQ(l.IndexOf("APPLE"), 1);
    EXPECT_EQ(l.IndexOf("\xE4PFEL"), 2);
    EXPECT_EQ(l.IndexOf("kiwi"), -1);

    EXPECT_TRUE(l.Sort());
    ASSERT_EQ(l.Count(), 6);
    for (long i = 1; i < l.Count(); ++i) EXPECT_LE(kLocale.CompareNoCase(l.Get(i - 1), l.Get(i)), 0);

    struct Case {
        const char* text;
        bool found;
        long index;
    } cases[] = {
        {"APPLE", true, 0},     // the first of two equal entries
        {"banana", true, 2},
        {"cherry", true, 3},
        {"aardvark", false, 0},
        {"blueberry", false, 3},
        {"zucchini", false, 5},  // before the accented letter
        {"\xFF", false, 6},
        {"\xE4pfel", true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        long index = -5;
        EXPECT_EQ(l.Find(c.text, index), c.found);
        EXPECT_EQ(index, c.index);
    }
    long index = -5;
    EXPECT_FALSE(Make({}).Find("x", index));
    EXPECT_EQ(index, 0);
}

TEST(StringList, FindOnAnUnsortedListMayMissAPresentText) {
    StringList l = Make({"m", "z", "a"});
    long index = 0;
    EXPECT_FALSE(l.Find("a", index));
    EXPECT_EQ(l.IndexOf("a"), 2);
}

TEST(StringList, LinesEndAtCrLfOrCrLf) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\n\r", {"", ""}},       // LF then a lone CR: two empty lines
        {"\r\n", {""}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},  // a NUL is kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(SplitLines(c.text), c.lines);
    }
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
    // An entry holding a line break comes back as two entries.
    EXPECT_EQ(SplitLines(JoinLines({"one\rtwo", "three"})), (std::vector<std::string>{"one", "two", "three"}));
}

}  // namespace
}  // namespace zunda::core

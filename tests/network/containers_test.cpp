// The internal record containers: counts and zero-filled items, the index
// error with the array's class name, owned entries and their objects,
// pointer-sized values, and the case-insensitive look-up.
#include "network/core/containers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace zunda::net {
namespace {

class AsciiLocale final : public core::ListLocale {
public:
    int CompareNoCase(std::string_view a, std::string_view b) const override {
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const int x = Fold(a[i]), y = Fold(b[i]);
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    }
    std::string FromUtf16(std::u16string_view) const override { return {}; }

private:
    static int Fold(char c) { return (c >= 'a' && c <= 'z') ? c - 32 : static_cast<unsigned char>(c); }
};

// An int array that counts its Changed calls.
class CountingArray final : public XArray {
public:
    CountingArray() : XArray(sizeof(std::int32_t)) {}
    void Changed() override { ++changes; }
    std::int32_t At(long i) const {
        std::int32_t v;
        GetItem(i, &v);
        return v;
    }
    void AddValue(std::int32_t v) { AddItem(&v); }
    int changes = 0;
};

std::vector<std::int32_t> Values(const CountingArray& a) {
    std::vector<std::int32_t> out;
    for (long i = 0; i < a.Count(); ++i) out.push_back(a.At(i));
    return out;
}

std::string IndexMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const ArrayIndexError& e) {
        return e.what();
    }
    return "no failure";
}

TEST(XArray, CountsAndZeroFilledItems) {
    CountingArray a;
    EXPECT_FALSE(a.HasStorage());
    a.SetCount(3);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 0, 0}));
    const std::int32_t seven = 7;
    a.PutItem(1, &seven);
    a.Grow(2);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 7, 0, 0, 0}));
    a.Shrink(3);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 7}));
    a.SetCount(2);  // the same count changes nothing
    EXPECT_EQ(a.changes, 3);
    for (long n : {0L, -3L}) {
        a.SetCount(4);
        a.SetCount(n);
        EXPECT_EQ(a.Count(), 0);
        EXPECT_FALSE(a.HasStorage()) << n;
    }
    a.AddValue(5);
    a.Delete(0);
    EXPECT_FALSE(a.HasStorage());
}

TEST(XArray, InsertDeleteExchangeAndExtractKeepTheOrder) {
    CountingArray a;
    for (std::int32_t v : {1, 2, 3}) a.AddValue(v);
    a.Insert(3);  // at the count: appends
    a.Insert(0);
    const std::int32_t nine = 9;
    a.InsertItem(2, &nine);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 1, 9, 2, 3, 0}));
    a.Delete(0);
    a.Exchange(0, 4);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 9, 2, 3, 1}));
    std::int32_t out = 0;
    a.Extract(1, &out);
    EXPECT_EQ(out, 9);
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{0, 2, 3, 1}));
    EXPECT_EQ(a.Item(4), nullptr);
    EXPECT_EQ(a.Item(-1), nullptr);
    EXPECT_NE(a.Item(3), nullptr);
}

TEST(XArray, IndexOutsideTheRangeFailsAndLeavesTheArrayAlone) {
    CountingArray a;
    for (std::int32_t v : {1, 2}) a.AddValue(v);
    const int changes = a.changes;
    std::int32_t item = 0;
    const struct {
        const char* what;
        std::function<void()> call;
        long index;
    } cases[] = {
        {"Insert(count + 1)", [&] { a.Insert(3); }, 3},
        {"Insert(-1)", [&] { a.Insert(-1); }, -1},
        {"Delete(count)", [&] { a.Delete(2); }, 2},
        {"GetItem(-2)", [&] { a.GetItem(-2, &item); }, -2},
        {"PutItem(5)", [&] { a.PutItem(5, &item); }, 5},
        {"Extract(2)", [&] { a.Extract(2, &item); }, 2},
        {"Exchange(0, 7)", [&] { a.Exchange(0, 7); }, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IndexMessage(c.call), "[TXArray]: Index Error (" + std::to_string(c.index) + ")") << c.what;
    }
    EXPECT_EQ(Values(a), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(a.changes, changes);
    CountingArray empty;
    EXPECT_EQ(IndexMessage([&] { empty.Delete(0); }), "[TXArray]: Index Error (0)");
}

TEST(XArray, ForEachStopsAtTheFirstNonZeroAnswer) {
    CountingArray a;
    int calls = 0;
    EXPECT_EQ(a.ForEach([&](long, void*) { return ++calls; }), 0);
    EXPECT_EQ(calls, 0);
    for (std::int32_t v : {4, 5, 6}) a.AddValue(v);
    std::vector<long> seen;
    EXPECT_EQ(a.ForEach([&](long i, void* item) {
                  seen.push_back(i);
                  std::int32_t v;
                  std::memcpy(&v, item, sizeof(v));
                  return v == 5 ? 42 : 0;
              }),
              42);
    EXPECT_EQ(seen, (std::vector<long>{0, 1}));
    EXPECT_EQ(a.ForEach([](long, void*) { return 0; }), 0);
}

// An entry object that tells when it is freed.
struct Tracked final : EntryObject {
    explicit Tracked(int& freed) : freed_(freed) {}
    ~Tracked() override { ++freed_; }
    int& freed_;
};

TEST(StrObjArray, SlotsOwnTheirEntries) {
    int freed = 0;
    {
        StrObjArray a;
        a.SetCount(3);
        for (long i = 0; i < 3; ++i) {
            EXPECT_EQ(a.Entry(i).text, "");
            EXPECT_EQ(a.Entry(i).value, 0);
            EXPECT_EQ(a.Entry(i).object, nullptr);
            a.Entry(i).text = "e" + std::to_string(i);
            a.Entry(i).object = std::make_unique<Tracked>(freed);
        }
        a.SetCount(1);  // frees the two removed entries
        EXPECT_EQ(freed, 2);
        a.Insert(0);
        EXPECT_EQ(a.Entry(0).text, "");
        EXPECT_EQ(a.Entry(1).text, "e0");
        a.Entry(0).object = std::make_unique<Tracked>(freed);
        a.Delete(1);
        EXPECT_EQ(freed, 3);
        a.Add();
        a.Exchange(0, 1);
        EXPECT_EQ(a.Entry(0).object, nullptr);
        EXPECT_EQ(IndexMessage([&] { a.Entry(2); }), "[TXStrObjArray]: Index Error (2)");
        EXPECT_EQ(IndexMessage([&] { a.Insert(3); }), "[TXStrObjArray]: Index Error (3)");
        EXPECT_EQ(IndexMessage([&] { a.Delete(-1); }), "[TXStrObjArray]: Index Error (-1)");
        EXPECT_EQ(a.Count(), 2);
    }
    EXPECT_EQ(freed, 4);  // the last one with the array
}

TEST(StrObjList, EntriesTextsValuesAndObjects) {
    int freed = 0;
    AsciiLocale locale;
    StrObjList l;
    EXPECT_EQ(l.Add("Alpha"), 0);
    EXPECT_EQ(l.Add("beta"), 1);
    l.Insert(1, "Gamma");
    EXPECT_EQ(l.Get(1), "Gamma");
    EXPECT_EQ(l.IndexOf("BETA", locale), 2);
    EXPECT_EQ(l.IndexOf("alpha", locale), 0);
    EXPECT_EQ(l.IndexOf("delta", locale), -1);

    // The value holds an address of any width.
    const std::intptr_t address = reinterpret_cast<std::intptr_t>(&locale);
    l.SetValue(2, address);
    l.SetValue(0, INTPTR_MAX);
    EXPECT_EQ(l.Value(2), address);
    EXPECT_EQ(l.Value(0), INTPTR_MAX);
    l.SetObject(0, std::make_unique<Tracked>(freed));
    l.SetObject(2, std::make_unique<Tracked>(freed));
    l.Exchange(0, 2);
    EXPECT_EQ(l.Get(0), "beta");
    EXPECT_EQ(l.Value(0), address);
    l.Put(0, "Beta");
    l.Delete(2);
    EXPECT_EQ(freed, 1);
    EXPECT_THROW(l.Get(2), ArrayIndexError);
    EXPECT_THROW(l.Insert(3, "x"), ArrayIndexError);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(freed, 2);
}

}  // namespace
}  // namespace zunda::net

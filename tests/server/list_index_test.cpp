// The list index check and its message, shared by the string list and the
// record lists.
#include "server/core/list_index.h"

#include <gtest/gtest.h>

#include <climits>

namespace zunda {
namespace {

TEST(ListIndex, MessageIsUtf16WithTheIndexFilledIn) {
    EXPECT_EQ(ListIndexMessage(3), u"Listenindex \u00fcberschreitet das Maximum (3)");
    EXPECT_EQ(ListIndexMessage(-1), u"Listenindex \u00fcberschreitet das Maximum (-1)");
    EXPECT_EQ(ListIndexMessage(-2147483647L - 1), u"Listenindex \u00fcberschreitet das Maximum (-2147483648)");
}

TEST(ListIndex, ValidOnlyInsideTheList) {
    struct Case {
        long index;
        size_t count;
        bool valid;
    };
    const Case cases[] = {{0, 0, false}, {0, 1, true},       {-1, 5, false},     {4, 5, true},
                          {5, 5, false}, {LONG_MIN, 5, false}, {LONG_MAX, 5, false}};
    for (const Case& c : cases) EXPECT_EQ(ListIndexValid(c.index, c.count), c.valid) << c.index << " of " << c.count;
}

}  // namespace
}  // namespace zunda

// The capability records' masks and the all-bits rule.
#include "system/core/capabilities.h"

#include <gtest/gtest.h>

namespace zunda::utils {
namespace {

TEST(Capabilities, EachFieldTestsItsOwnMaskOnItsIndex) {
    struct Case {
        CapRecord record;
        int index;
        std::vector<std::uint32_t> masks;
    } cases[] = {
        {CapRecord::Curve, 28, {1, 2, 4, 8, 16, 32, 64, 128, 256}},
        {CapRecord::Line, 30, {2, 4, 8, 16, 32, 64, 128}},
        {CapRecord::Polygon, 32, {1, 2, 4, 8, 16, 32, 64, 128}},
        {CapRecord::Raster, 38, {2, 1, 8, 128, 512, 4096, 16, 256, 4, 2048, 8192}},
        {CapRecord::Text, 34, {1, 2, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 65536, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(CapsOf(c.record).index, c.index);
        ASSERT_EQ(CapsOf(c.record).masks.size(), c.masks.size());
        // One bit set lights exactly its field.
        for (size_t f = 0; f < c.masks.size(); ++f) {
            std::vector<bool> fields = FillCaps(c.record, c.masks[f]);
            for (size_t g = 0; g < fields.size(); ++g) EXPECT_EQ(fields[g], g == f) << "field " << g;
        }
        EXPECT_EQ(FillCaps(c.record, 0), std::vector<bool>(c.masks.size(), false));
        EXPECT_EQ(FillCaps(c.record, 0xFFFFFFFFu), std::vector<bool>(c.masks.size(), true));
    }
}

TEST(Capabilities, AMaskOfSeveralBitsNeedsAllOfThem) {
    EXPECT_TRUE(HasAllBits(0x06, 0x06));
    EXPECT_TRUE(HasAllBits(0x0F, 0x06));
    EXPECT_FALSE(HasAllBits(0x02, 0x06));
    EXPECT_FALSE(HasAllBits(0x04, 0x06));
    EXPECT_TRUE(HasAllBits(0x00, 0x00));
}

}  // namespace
}  // namespace zunda::utils

#include "system/core/capabilities.h"

namespace zunda::utils {
namespace {

constexpr std::uint32_t kCurve[] = {1, 2, 4, 8, 16, 32, 64, 128, 256};
constexpr std::uint32_t kLine[] = {2, 4, 8, 16, 32, 64, 128};
constexpr std::uint32_t kPolygon[] = {1, 2, 4, 8, 16, 32, 64, 128};
constexpr std::uint32_t kRaster[] = {2, 1, 8, 128, 512, 4096, 16, 256, 4, 2048, 8192};
constexpr std::uint32_t kText[] = {1, 2, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 65536, 4};

const CapTable kTables[] = {
    {28, kCurve},    // CURVECAPS
    {30, kLine},     // LINECAPS
    {32, kPolygon},  // POLYGONALCAPS
    {38, kRaster},   // RASTERCAPS
    {34, kText},     // TEXTCAPS
};

}  // namespace

const CapTable& CapsOf(CapRecord record) { return kTables[static_cast<int>(record)]; }

std::vector<bool> FillCaps(CapRecord record, std::uint32_t value) {
    std::vector<bool> out;
    for (std::uint32_t mask : CapsOf(record).masks) out.push_back(HasAllBits(value, mask));
    return out;
}

}  // namespace zunda::utils

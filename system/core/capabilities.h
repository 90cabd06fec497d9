// The device-capability records: each field is one bit test on one
// GetDeviceCaps index, true when every bit of its mask is set.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zunda::utils {

enum class CapRecord { Curve, Line, Polygon, Raster, Text };

struct CapTable {
    int index;                            // the GetDeviceCaps index
    std::span<const std::uint32_t> masks;  // one per record field, in field order
};

const CapTable& CapsOf(CapRecord record);

// True when all bits of mask are set in value (an empty mask is always true).
constexpr bool HasAllBits(std::uint32_t value, std::uint32_t mask) { return (value & mask) == mask; }

// The record's fields for a GetDeviceCaps answer.
std::vector<bool> FillCaps(CapRecord record, std::uint32_t value);

}  // namespace zunda::utils

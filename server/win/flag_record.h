// Records of flags (Rec_CPU_Features, the device-capability records, ...):
// structures of nothing but VARIANT_BOOL fields, filled from the flags the
// core computed, in field order.
//
//   return FlagRecord<Rec_LineCap>(utils::FillCaps(utils::CapRecord::Line, value));
#pragma once

#include "server/core/failure.h"
#include "server/win/com_util.h"

#include <cstring>
#include <iterator>
#include <tuple>
#include <type_traits>

namespace zunda {

// A record whose fields are the flags, true as VARIANT_TRUE. The number of
// flags must be the record's number of fields: checked when the program is
// built for fixed-size flags (std::array), when the record is filled
// otherwise (a Failure).
template <class Rec, class Flags>
Rec FlagRecord(const Flags& flags) {
    static_assert(std::is_trivially_copyable_v<Rec> && sizeof(Rec) % sizeof(VARIANT_BOOL) == 0,
                  "a record of VARIANT_BOOL fields");
    constexpr size_t kFields = sizeof(Rec) / sizeof(VARIANT_BOOL);
    if constexpr (requires { std::tuple_size<Flags>::value; }) {
        static_assert(std::tuple_size<Flags>::value == kFields, "one flag per record field");
    } else {
        if (std::size(flags) != kFields) throw Failure("The flags do not match the record's fields.");
    }
    VARIANT_BOOL fields[kFields] = {};
    size_t i = 0;
    for (bool flag : flags) fields[i++] = ToVariantBool(flag);
    Rec out;
    std::memcpy(&out, fields, sizeof(out));
    return out;
}

}  // namespace zunda

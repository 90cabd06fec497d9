// Time zones of MxTimeZone: the registry's zone-information record, the
// recurring transition rule ("n-th or last weekday of a month at a time") as
// an automation date, the comparison of a registry zone with the current one,
// and the gathering of everything GetInfos reports.
#pragma once

#include "system/core/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zunda::machine {

// The fields of a SYSTEMTIME, in their order.
struct ZoneTime {
    std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool operator==(const ZoneTime&) const = default;
};

// A zone as TIME_ZONE_INFORMATION describes it; names in the system code page.
struct ZoneInfo {
    std::int32_t bias = 0, standardBias = 0, daylightBias = 0;
    ZoneTime standardDate, daylightDate;
    std::string standardName, daylightName;
};

// The "TZI" record: Bias, StandardBias, DaylightBias (32-bit signed), then
// StandardDate and DaylightDate (16 bytes each), little-endian.
constexpr std::size_t kTziSize = 44;
// Names taken from the registry are cut to this many characters.
constexpr std::size_t kZoneNameLimit = 31;

// The record's five fields (names empty); nullopt unless it has exactly 44 bytes.
std::optional<ZoneInfo> ParseTzi(std::string_view bytes);

// Same biases, same dates field by field, same names (case-sensitive).
bool SameZone(const ZoneInfo& a, const ZoneInfo& b);

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// The weekday of an automation date: 1 = Sunday ... 7 = Saturday.
int DayOfWeek(double date);

// The date in `year` on which a zone's rule takes effect, as an automation
// date with its time of day; 0 when there is none (month 0) or the rule's
// fields are out of range. A rule with a year is an absolute date and stands
// for itself.
double TransitionDate(const ZoneTime& rule, int year);

// Where the zone list lives in each family.
constexpr const char* kNtZoneList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
constexpr const char* k9xZoneList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Time Zones";

// What GetInfos reports; every field is reset by each gathering.
struct TimeZoneReport {
    std::string displayName, mapId, standardName, daylightName;
    std::int32_t bias = 0, daylightBias = 0, standardBias = 0;
    double daylightStart = 0, standardStart = 0;
};

// Gathers the report for the current zone and the local year. `out` is reset
// first, then filled from the current zone, then the registry's zone list is
// searched for the matching entry (display name and map id). Zones whose key
// or record cannot be read are skipped; a failed enumeration of the list
// throws Failure after the entries it did list were searched, leaving in
// `out` what was found so far.
void GatherTimeZone(reg::Registry& registry, bool isNT, const ZoneInfo& current, int year, TimeZoneReport& out);

}  // namespace zunda::machine

#include "machine/core/timezone.h"

#include "machine/core/os_version.h"
#include "machine/core/subkeys.h"
#include "server/core/failure.h"

#include <cmath>

namespace zunda::machine {
namespace {

std::uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::int32_t I32(std::string_view b, std::size_t at) {
    const std::uint32_t v = static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
    return static_cast<std::int32_t>(v);
}

ZoneTime TimeAt(std::string_view b, std::size_t at) {
    return ZoneTime{U16(b, at),      U16(b, at + 2),  U16(b, at + 4),  U16(b, at + 6),
                    U16(b, at + 8),  U16(b, at + 10), U16(b, at + 12), U16(b, at + 14)};
}

// a + b as 32-bit arithmetic wraps: biases read from a damaged record may
// hold any value, and their sum must not be undefined.
std::int32_t WrappingSum(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

bool TimeOfDayValid(const ZoneTime& t) {
    return t.hour < 24 && t.minute < 60 && t.second < 60 && t.milliseconds < 1000;
}

double DateOf(int year, int month, int day, const ZoneTime& t) {
    return AutomationDate(year, month, day, t.hour, t.minute, t.second, t.milliseconds);
}

// A string value's text, empty when the value is missing or not a string.
std::string TextValue(reg::Key& key, const char* name) {
    reg::Data data;
    if (key.Query(name, data) != reg::kOk) return std::string();
    if (data.type != reg::kString && data.type != reg::kExpandString) return std::string();
    return reg::StringOf(data);
}

std::string Cut(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

// The zone an entry of the list describes; nullopt when its record is
// missing, not binary or not 44 bytes long.
std::optional<ZoneInfo> EntryZone(reg::Key& key) {
    reg::Data data;
    if (key.Query("TZI", data) != reg::kOk) return std::nullopt;
    if (data.type != reg::kBinary && data.type != reg::kNone) return std::nullopt;
    std::optional<ZoneInfo> zone = ParseTzi(data.bytes);
    if (!zone) return std::nullopt;
    zone->standardName = Cut(TextValue(key, "Std"), kZoneNameLimit);
    zone->daylightName = Cut(TextValue(key, "Dlt"), kZoneNameLimit);
    return zone;
}

}  // namespace

std::optional<ZoneInfo> ParseTzi(std::string_view bytes) {
    if (bytes.size() != kTziSize) return std::nullopt;
    ZoneInfo z;
    z.bias = I32(bytes, 0);
    z.standardBias = I32(bytes, 4);
    z.daylightBias = I32(bytes, 8);
    z.standardDate = TimeAt(bytes, 12);
    z.daylightDate = TimeAt(bytes, 28);
    return z;
}

bool SameZone(const ZoneInfo& a, const ZoneInfo& b) {
    return a.bias == b.bias && a.standardBias == b.standardBias && a.daylightBias == b.daylightBias &&
           a.standardDate == b.standardDate && a.daylightDate == b.daylightDate &&
           a.standardName == b.standardName && a.daylightName == b.daylightName;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int DayOfWeek(double date) {
    // Day 0 (1899-12-30) was a Saturday.
    const long long day = static_cast<long long>(std::floor(date));
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

double TransitionDate(const ZoneTime& rule, int year) {
    const int month = rule.month;
    if (month == 0 || month > 12 || !TimeOfDayValid(rule)) return 0;
    if (rule.year != 0) {
        if (rule.day < 1 || rule.day > DaysInMonth(rule.year, month)) return 0;
        return DateOf(rule.year, month, rule.day, rule);
    }
    if (rule.dayOfWeek > 6) return 0;
    const int weekday = rule.dayOfWeek + 1;
    const int n = rule.day;
    if (n >= 1 && n <= 4) {
        int d = weekday + 1 - DayOfWeek(AutomationDate(year, month, 1, 0, 0, 0, 0));
        if (d < 1) d += 7;
        return DateOf(year, month, d + (n - 1) * 7, rule);
    }
    if (n == 5) {
        const int last = DaysInMonth(year, month);
        int d = weekday - DayOfWeek(AutomationDate(year, month, last, 0, 0, 0, 0)) + last;
        if (d > last) d -= 7;
        return DateOf(year, month, d, rule);
    }
    return 0;
}

void GatherTimeZone(reg::Registry& registry, bool isNT, const ZoneInfo& current, int year, TimeZoneReport& out) {
    out = TimeZoneReport{};

    // The current zone first: it cannot fail, so a registry failure later
    // never costs these values.
    out.bias = current.bias;
    out.standardName = current.standardName;
    out.daylightName = current.daylightName;
    if (current.daylightDate.month != 0 && current.standardDate.month != 0) {
        out.daylightStart = TransitionDate(current.daylightDate, year);
        out.standardStart = TransitionDate(current.standardDate, year);
        out.daylightBias = WrappingSum(current.bias, current.daylightBias);
        out.standardBias = WrappingSum(current.bias, current.standardBias);
    }

    bool matched = false;
    const long listed = VisitSubkeys(registry, isNT ? kNtZoneList : k9xZoneList, [&](reg::Key& entry) {
        const std::optional<ZoneInfo> zone = EntryZone(entry);
        if (!zone || !SameZone(*zone, current)) return true;
        out.displayName = TextValue(entry, "Display");
        out.mapId = TextValue(entry, "MapID");
        matched = true;
        return false;
    });
    if (!matched) reg::Check(registry, listed);
}

}  // namespace zunda::machine

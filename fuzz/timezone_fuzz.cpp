// libFuzzer target for the time-zone record: ParseTzi on a record of any
// length (only 44 bytes parse, and those write back byte for byte), the
// transition rule of each of its dates in a year taken from the input, and
// the gathering of the report from a registry whose zone list holds the
// record with names from the input.
//
// Input: flags, year (2 bytes), record length, record, then the raw "Std",
// "Dlt" and "Display" values separated by '|'.
#include "fuzz/fuzz_support.h"
#include "machine/core/timezone.h"
#include "tests/system/memory_registry.h"
#include "text/core/dates.h"

#include <cmath>

namespace {

using namespace zunda::machine;
using zunda::fuzz::Check;
namespace reg = zunda::reg;

std::string Tzi(const ZoneInfo& z) {
    std::string out;
    auto put16 = [&](std::uint32_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::int32_t v) {
        put16(static_cast<std::uint32_t>(v) & 0xFFFF);
        put16(static_cast<std::uint32_t>(v) >> 16);
    };
    auto putTime = [&](const ZoneTime& t) {
        for (std::uint16_t v : {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds}) put16(v);
    };
    put32(z.bias);
    put32(z.standardBias);
    put32(z.daylightBias);
    putTime(z.standardDate);
    putTime(z.daylightDate);
    return out;
}

// A rule's date must lie in the month it names, on its weekday, in its week,
// at its time of day.
void CheckTransition(const ZoneTime& rule, int year) {
    const double date = TransitionDate(rule, year);
    Check(std::isfinite(date), "transition date not finite");
    if (date == 0) return;
    Check(rule.month >= 1 && rule.month <= 12, "transition for a month outside the year");
    const int ruleYear = rule.year != 0 ? rule.year : year;
    if (ruleYear < 1900 || ruleYear > 9999) return;  // outside the range of whole-day dates checked here
    const zunda::text::CivilDate civil = zunda::text::CivilFromDay(zunda::text::WholeDay(date));
    Check(civil.year == ruleYear && civil.month == rule.month, "transition in another month");
    const double seconds = (date - std::floor(date)) * 86400.0;
    const double wanted = rule.hour * 3600.0 + rule.minute * 60.0 + rule.second + rule.milliseconds / 1000.0;
    Check(std::fabs(seconds - wanted) < 0.01, "transition at another time of day");
    if (rule.year != 0) {
        Check(civil.day == rule.day, "absolute transition on another day");
        return;
    }
    Check(DayOfWeek(date) == rule.dayOfWeek + 1, "transition on another weekday");
    if (rule.day < 5) Check((civil.day - 1) / 7 == rule.day - 1, "transition in another week");
    else Check(civil.day + 7 > DaysInMonth(year, civil.month), "last-weekday transition not in the last week");
}

std::string UpToZero(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zunda::fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const int year = 1601 + in.Word() % (30827 - 1601 + 1);
    const std::string record = in.Bytes(in.Byte() % 64);
    const std::string stdName = in.Until('|'), dltName = in.Until('|'), display = in.Rest();

    const std::optional<ZoneInfo> zone = ParseTzi(record);
    Check(zone.has_value() == (record.size() == kTziSize), "ParseTzi takes exactly 44 bytes");
    if (zone) {
        Check(Tzi(*zone) == record, "record does not write back to its bytes");
        Check(zone->standardName.empty() && zone->daylightName.empty(), "names from a bare record");
        CheckTransition(zone->standardDate, year);
        CheckTransition(zone->daylightDate, year);
    }

    // The registry's zone list holds the record (binary, untyped or a string).
    const bool isNT = flags & 1;
    static const std::uint32_t kTypes[] = {reg::kBinary, reg::kNone, reg::kString, reg::kMultiString};
    const std::uint32_t type = kTypes[(flags >> 1) & 3];
    zunda::test::MemoryRegistry registry;
    const std::string entry = std::string(isNT ? kNtZoneList : k9xZoneList) + "\\Fuzz Zone";
    registry.Set(reg::kLocalMachine, entry, "TZI", type, record);
    registry.Set(reg::kLocalMachine, entry, "Std", reg::kString, stdName);
    registry.Set(reg::kLocalMachine, entry, "Dlt", (flags & 8) ? reg::kBinary : reg::kString, dltName);
    registry.Set(reg::kLocalMachine, entry, "Display", reg::kString, display);

    // The current zone is the record itself (a match) or another one.
    ZoneInfo current = zone.value_or(ZoneInfo{});
    if (zone) {
        current.standardName = UpToZero(stdName).substr(0, kZoneNameLimit);
        if (!(flags & 8)) current.daylightName = UpToZero(dltName).substr(0, kZoneNameLimit);
    }
    if (flags & 16) current.bias ^= 1;

    TimeZoneReport report;
    GatherTimeZone(registry, isNT, current, year, report);
    Check(report.standardName == current.standardName && report.daylightName == current.daylightName,
          "names of the current zone changed");
    Check(report.bias == current.bias, "bias of the current zone changed");
    const bool match = zone && (type == reg::kBinary || type == reg::kNone) && !(flags & 16);
    Check(report.displayName == (match ? UpToZero(display) : std::string()), "display name of the wrong zone");
    return 0;
}

// Time zone rules: the transition date of a recurring rule across leap years,
// every weekday and the last-week case; the record parser; and the matching of
// the current zone against the registry's zone list.
#include "machine/core/os_version.h"
#include "machine/core/timezone.h"
#include "server/core/failure.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zunda::machine {
namespace {

// Zeller's congruence, independent of the automation-date arithmetic:
// 1 = Sunday ... 7 = Saturday.
int Weekday(int y, int m, int d) {
    if (m < 3) {
        m += 12;
        y -= 1;
    }
    const int k = y % 100, j = y / 100;
    const int h = (d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;  // 0 = Saturday
    return (h + 6) % 7 + 1;
}

ZoneTime Rule(int month, int dayOfWeek, int n, int hour = 2, int minute = 0) {
    ZoneTime t;
    t.month = static_cast<std::uint16_t>(month);
    t.dayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
    t.day = static_cast<std::uint16_t>(n);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    return t;
}

// Splits an automation date into its calendar day (time of day dropped).
void CivilOf(double date, int& y, int& m, int& d) {
    const long long days = static_cast<long long>(std::floor(date));
    for (y = 1899; AutomationDate(y + 1, 1, 1, 0, 0, 0, 0) <= static_cast<double>(days); ++y) {
    }
    for (m = 1; m < 12 && AutomationDate(y, m + 1, 1, 0, 0, 0, 0) <= static_cast<double>(days); ++m) {
    }
    d = static_cast<int>(days - static_cast<long long>(AutomationDate(y, m, 1, 0, 0, 0, 0))) + 1;
}

TEST(TimeZoneRule, CalendarBasics) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_FALSE(IsLeapYear(2026));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
    EXPECT_EQ(DaysInMonth(2026, 13), 0);
    EXPECT_EQ(DaysInMonth(2026, 0), 0);
    EXPECT_EQ(DayOfWeek(0), 7);      // 1899-12-30, a Saturday
    EXPECT_EQ(DayOfWeek(46367.75), 6);  // 2026-12-11, a Friday, in the evening
    EXPECT_EQ(DayOfWeek(-1), 6);
}

TEST(TimeZoneRule, KnownTransitions) {
    // The last Sunday of March 2021 (March 31 is a Wednesday) at 02:00.
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(3, 0, 5), 2021), 44283 + 2.0 / 24);
    // Berlin 2026: March 29 at 02:00, October 25 at 03:00.
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(3, 0, 5), 2026), 46110 + 2.0 / 24);
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(10, 0, 5, 3), 2026), AutomationDate(2026, 10, 25, 3, 0, 0, 0));
    // The last Thursday of February in a leap year is the 29th; the last
    // Tuesday of February 2023 its 28th; the last Sunday of February 2024 the 25th.
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(2, 4, 5, 0), 2024), 45351);
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(2, 2, 5, 0), 2023), AutomationDate(2023, 2, 28, 0, 0, 0, 0));
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(2, 0, 5, 0), 2024), AutomationDate(2024, 2, 25, 0, 0, 0, 0));
    // The second Sunday of March (New York) and the first Sunday of April (Sydney).
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(3, 0, 2), 2027), AutomationDate(2027, 3, 14, 2, 0, 0, 0));
    EXPECT_DOUBLE_EQ(TransitionDate(Rule(4, 0, 1, 3), 2027), AutomationDate(2027, 4, 4, 3, 0, 0, 0));
    // The whole time of day counts.
    ZoneTime late = Rule(12, 5, 5, 23, 59);
    late.second = 59;
    late.milliseconds = 500;
    EXPECT_DOUBLE_EQ(TransitionDate(late, 2026), AutomationDate(2026, 12, 25, 23, 59, 59, 500));
}

// Every month of years around leap years and century years, every weekday,
// every week number: the date is the n-th such weekday (or the last one).
TEST(TimeZoneRule, EveryWeekdayAndWeekAcrossLeapYears) {
    for (int year : {1900, 2000, 2023, 2024, 2025, 2026, 2027, 2028, 2100}) {
        for (int month = 1; month <= 12; ++month) {
            const int length = DaysInMonth(year, month);
            for (int dow = 0; dow <= 6; ++dow) {
                std::vector<int> days;  // the days of the month with this weekday
                for (int d = 1; d <= length; ++d)
                    if (Weekday(year, month, d) == dow + 1) days.push_back(d);
                for (int n = 1; n <= 5; ++n) {
                    const double date = TransitionDate(Rule(month, dow, n, 1, 30), year);
                    const int expected = n == 5 ? days.back() : days[n - 1];
                    int y = 0, m = 0, d = 0;
                    CivilOf(date, y, m, d);
                    ASSERT_EQ(y, year) << month << "/" << dow << "/" << n;
                    ASSERT_EQ(m, month) << year << "/" << dow << "/" << n;
                    ASSERT_EQ(d, expected) << year << "-" << month << " weekday " << dow << " week " << n;
                    ASSERT_DOUBLE_EQ(date - std::floor(date), 1.5 / 24);
                }
            }
        }
    }
}

TEST(TimeZoneRule, AbsoluteDatesStandForThemselves) {
    ZoneTime t = Rule(3, 0, 14);
    t.year = 2027;
    EXPECT_DOUBLE_EQ(TransitionDate(t, 2026), AutomationDate(2027, 3, 14, 2, 0, 0, 0));
    t.month = 2;
    t.day = 29;  // 2027 has no February 29
    EXPECT_EQ(TransitionDate(t, 2026), 0);
}

TEST(TimeZoneRule, NoRuleOrFieldsOutOfRangeGiveZero) {
    EXPECT_EQ(TransitionDate(Rule(0, 0, 5), 2026), 0);   // no transition
    EXPECT_EQ(TransitionDate(Rule(13, 0, 5), 2026), 0);  // month 13
    EXPECT_EQ(TransitionDate(Rule(3, 0, 6), 2026), 0);   // week 6
    EXPECT_EQ(TransitionDate(Rule(3, 0, 0), 2026), 0);   // week 0
    EXPECT_EQ(TransitionDate(Rule(3, 7, 1), 2026), 0);   // weekday 7
    EXPECT_EQ(TransitionDate(Rule(3, 0, 1, 24), 2026), 0);
    EXPECT_EQ(TransitionDate(Rule(3, 0, 1, 2, 60), 2026), 0);
    EXPECT_EQ(TransitionDate(Rule(3, 0xFFFF, 0xFFFF, 0xFFFF), 2026), 0);
}

// ------------------------------------------------------------ the record and the matching

std::string Tzi(std::int32_t bias, std::int32_t standardBias, std::int32_t daylightBias, const ZoneTime& std_,
                const ZoneTime& dlt) {
    std::string b;
    auto put16 = [&](std::uint16_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>(v >> 8));
    };
    auto put32 = [&](std::int32_t v) {
        put16(static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) & 0xFFFF));
        put16(static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) >> 16));
    };
    auto putTime = [&](const ZoneTime& t) {
        for (std::uint16_t v : {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds})
            put16(v);
    };
    put32(bias);
    put32(standardBias);
    put32(daylightBias);
    putTime(std_);
    putTime(dlt);
    return b;
}

ZoneInfo Berlin() {
    ZoneInfo z;
    z.bias = -60;
    z.daylightBias = -60;
    z.standardDate = Rule(10, 0, 5, 3);
    z.daylightDate = Rule(3, 0, 5, 2);
    z.standardName = "W. Europe Standard Time";
    z.daylightName = "W. Europe Daylight Time";
    return z;
}

ZoneInfo Kolkata() {
    ZoneInfo z;
    z.bias = -330;
    z.standardName = "India Standard Time";
    z.daylightName = "India Daylight Time";
    return z;
}

std::string TziOf(const ZoneInfo& z) {
    return Tzi(z.bias, z.standardBias, z.daylightBias, z.standardDate, z.daylightDate);
}

TEST(TimeZoneRecord, ParsesExactly44Bytes) {
    const ZoneTime s = Rule(10, 0, 5, 3), d = Rule(3, 0, 5, 2);
    const std::optional<ZoneInfo> z = ParseTzi(Tzi(-570, 1, -60, s, d));
    ASSERT_TRUE(z);
    EXPECT_EQ(z->bias, -570);
    EXPECT_EQ(z->standardBias, 1);
    EXPECT_EQ(z->daylightBias, -60);
    EXPECT_EQ(z->standardDate, s);
    EXPECT_EQ(z->daylightDate, d);
    const std::string full = Tzi(0, 0, 0, s, d);
    EXPECT_FALSE(ParseTzi(full.substr(0, 43)));
    EXPECT_FALSE(ParseTzi(full + '\0'));
    EXPECT_FALSE(ParseTzi(""));
}

class TimeZoneMatch : public ::testing::Test {
protected:
    static constexpr reg::Root HKLM = reg::kLocalMachine;
    std::string Key(const std::string& name, bool nt = true) {
        return std::string(nt ? kNtZoneList : k9xZoneList) + "\\" + name;
    }
    void AddZone(const std::string& name, const ZoneInfo& z, const std::string& display, const std::string& mapId,
                 bool nt = true) {
        r.Set(HKLM, Key(name, nt), "TZI", reg::kBinary, TziOf(z));
        r.SetString(HKLM, Key(name, nt), "Std", z.standardName);
        r.SetString(HKLM, Key(name, nt), "Dlt", z.daylightName);
        r.SetString(HKLM, Key(name, nt), "Display", display);
        if (!mapId.empty()) r.SetString(HKLM, Key(name, nt), "MapID", mapId);
    }
    test::MemoryRegistry r;
    TimeZoneReport out;
};

TEST_F(TimeZoneMatch, FindsTheEntryAndReportsTheCurrentZone) {
    AddZone("A Zone", Kolkata(), "(UTC+05:30) Kolkata", "");
    AddZone("W. Europe Standard Time", Berlin(), "(UTC+01:00) Berlin", "4,9");
    GatherTimeZone(r, true, Berlin(), 2026, out);
    EXPECT_EQ(out.displayName, "(UTC+01:00) Berlin");
    EXPECT_EQ(out.mapId, "4,9");
    EXPECT_EQ(out.standardName, "W. Europe Standard Time");
    EXPECT_EQ(out.daylightName, "W. Europe Daylight Time");
    EXPECT_EQ(out.bias, -60);
    EXPECT_EQ(out.daylightBias, -120);
    EXPECT_EQ(out.standardBias, -60);
    EXPECT_DOUBLE_EQ(out.daylightStart, AutomationDate(2026, 3, 29, 2, 0, 0, 0));
    EXPECT_DOUBLE_EQ(out.standardStart, AutomationDate(2026, 10, 25, 3, 0, 0, 0));

    // Windows 9x reads its own list.
    GatherTimeZone(r, false, Berlin(), 2026, out);
    EXPECT_EQ(out.displayName, "");
    AddZone("Berlin", Berlin(), "Berlin (9x)", "", false);
    GatherTimeZone(r, false, Berlin(), 2026, out);
    EXPECT_EQ(out.displayName, "Berlin (9x)");
}

TEST_F(TimeZoneMatch, EveryFieldTakesPartInTheComparison) {
    struct Case {
        const char* what;
        void (*change)(ZoneInfo&);
    } cases[] = {
        {"bias", [](ZoneInfo& z) { z.bias = -30; }},
        {"standard bias", [](ZoneInfo& z) { z.standardBias = 1; }},
        {"daylight bias", [](ZoneInfo& z) { z.daylightBias = -30; }},
        {"standard date", [](ZoneInfo& z) { z.standardDate.hour = 2; }},
        {"daylight date", [](ZoneInfo& z) { z.daylightDate.milliseconds = 1; }},
        {"daylight date year", [](ZoneInfo& z) { z.daylightDate.year = 2026; }},
        {"standard name, case", [](ZoneInfo& z) { z.standardName = "w. europe standard time"; }},
        {"daylight name", [](ZoneInfo& z) { z.daylightName = "Other"; }},
    };
    for (const Case& c : cases) {
        ZoneInfo entry = Berlin();
        c.change(entry);
        AddZone("Z", entry, "Changed", "1");  // replaces the previous case's values
        GatherTimeZone(r, true, Berlin(), 2026, out);
        EXPECT_EQ(out.displayName, "") << c.what;
        EXPECT_EQ(out.mapId, "") << c.what;
        EXPECT_EQ(out.bias, -60) << c.what;  // the current zone is still reported
    }
}

TEST_F(TimeZoneMatch, DamagedEntriesAreSkippedAndTheFirstMatchWins) {
    ZoneInfo z = Berlin();
    r.SetString(HKLM, Key("0 no record"), "Display", "no record at all");
    AddZone("1 short", z, "short record", "");
    r.Set(HKLM, Key("1 short"), "TZI", reg::kBinary, TziOf(z).substr(0, 43));
    AddZone("2 long", z, "long record", "");
    r.Set(HKLM, Key("2 long"), "TZI", reg::kBinary, TziOf(z) + "x");
    AddZone("3 text", z, "record as text", "");
    r.Set(HKLM, Key("3 text"), "TZI", reg::kString, TziOf(z));
    AddZone("4 none", z, "no record", "");
    r.Set(HKLM, Key("4 none"), "TZI", reg::kBinary, "");
    r.AddKey(HKLM, Key("5 denied")).denyRead = true;
    AddZone("6 names as numbers", z, "names of the wrong type", "");
    r.SetDword(HKLM, Key("6 names as numbers"), "Std", 7);
    AddZone("7 good", z, "first good", "");
    r.SetDword(HKLM, Key("7 good"), "MapID", 12);  // wrong type: empty
    AddZone("8 good", z, "second good", "2");
    GatherTimeZone(r, true, z, 2026, out);
    EXPECT_EQ(out.displayName, "first good");
    EXPECT_EQ(out.mapId, "");
}

TEST_F(TimeZoneMatch, RegistryNamesAreCutTo31Characters) {
    ZoneInfo z = Berlin();
    z.standardName = "An exceptionally long zone name!!";  // 33 characters
    AddZone("Long", z, "long names", "");
    ZoneInfo current = z;
    current.standardName = z.standardName.substr(0, 31);
    GatherTimeZone(r, true, current, 2026, out);
    EXPECT_EQ(out.displayName, "long names");
}

// After a zone with daylight time, a zone without it (and without an entry)
// must not keep any of the previous zone's values.
TEST_F(TimeZoneMatch, EachGatheringStartsFromNothing) {
    AddZone("W. Europe Standard Time", Berlin(), "(UTC+01:00) Berlin", "4,9");
    GatherTimeZone(r, true, Berlin(), 2026, out);
    ASSERT_EQ(out.mapId, "4,9");
    GatherTimeZone(r, true, Kolkata(), 2026, out);
    EXPECT_EQ(out.displayName, "");
    EXPECT_EQ(out.mapId, "");
    EXPECT_EQ(out.bias, -330);
    EXPECT_EQ(out.daylightBias, 0);
    EXPECT_EQ(out.standardBias, 0);
    EXPECT_EQ(out.daylightStart, 0);
    EXPECT_EQ(out.standardStart, 0);
    EXPECT_EQ(out.standardName, "India Standard Time");

    // One month set is not daylight time either.
    ZoneInfo half = Kolkata();
    half.daylightDate = Rule(3, 0, 5);
    GatherTimeZone(r, true, half, 2026, out);
    EXPECT_EQ(out.daylightStart, 0);
    EXPECT_EQ(out.daylightBias, 0);

    // Invalid rule fields give no date but keep the biases.
    ZoneInfo odd = Berlin();
    odd.daylightDate.day = 6;
    GatherTimeZone(r, true, odd, 2026, out);
    EXPECT_EQ(out.daylightStart, 0);
    EXPECT_DOUBLE_EQ(out.standardStart, AutomationDate(2026, 10, 25, 3, 0, 0, 0));
    EXPECT_EQ(out.daylightBias, -120);
}

// A damaged record may hold any biases: their sums wrap as 32-bit numbers.
TEST_F(TimeZoneMatch, BiasSumsWrapForExtremeBiases) {
    ZoneInfo z = Berlin();
    z.bias = -1212696649;
    z.daylightBias = -1212696649;
    z.standardBias = -2147483647 - 1;
    GatherTimeZone(r, true, z, 2026, out);
    EXPECT_EQ(out.bias, -1212696649);
    EXPECT_EQ(out.daylightBias, 1869573998);  // -2425393298 + 2^32
    EXPECT_EQ(out.standardBias, 934786999);   // -3360180297 + 2^32
}

TEST_F(TimeZoneMatch, MissingListAndFailedEnumeration) {
    GatherTimeZone(r, true, Berlin(), 2026, out);  // no list at all
    EXPECT_EQ(out.displayName, "");
    EXPECT_EQ(out.bias, -60);

    AddZone("A", Kolkata(), "Kolkata", "");
    AddZone("B", Berlin(), "Berlin", "");
    r.AddKey(HKLM, kNtZoneList).enumFailure = 1359;
    // The listed entries are searched; the failure is reported when none matched.
    EXPECT_THROW(GatherTimeZone(r, true, Berlin(), 2026, out), Failure);
    EXPECT_EQ(out.bias, -60);
    EXPECT_EQ(out.displayName, "");
    GatherTimeZone(r, true, Kolkata(), 2026, out);
    EXPECT_EQ(out.displayName, "Kolkata");
}

}  // namespace
}  // namespace zunda::machine

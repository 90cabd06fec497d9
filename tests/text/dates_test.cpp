#include "text/core/dates.h"

#include "server/core/failure.h"
#include "tests/support/cp1252_locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zunda::text {
namespace {

using test::Cp1252Locale;

Cp1252Locale German() {
    Cp1252Locale loc;
    loc.shortDate = "dd.MM.yyyy";
    loc.dateSeparator = ".";
    return loc;
}
Cp1252Locale English() {
    Cp1252Locale loc;
    loc.shortDate = "M/d/yyyy";
    loc.dateSeparator = "/";
    return loc;
}

TEST(CalendarTest, DayNumbersRoundTripAndMatchKnownDates) {
    EXPECT_EQ(DayFromCivil({1899, 12, 30}), 0);
    EXPECT_EQ(DayFromCivil({1900, 1, 1}), 2);
    EXPECT_EQ(DayFromCivil({2005, 1, 1}), 38353);
    EXPECT_EQ(DayFromCivil({100, 1, 1}), -657434);
    EXPECT_EQ(DayFromCivil({9999, 12, 31}), 2958465);
    for (std::int64_t d = -657434; d <= 2958465; d += 997) ASSERT_EQ(DayFromCivil(CivilFromDay(d)), d);
    EXPECT_EQ(CivilFromDay(-1), (CivilDate{1899, 12, 29}));
}

TEST(CalendarTest, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2004));
    EXPECT_FALSE(IsLeapYear(2005));
    EXPECT_EQ(DaysPerMonth(2004, 2), 29);
    EXPECT_EQ(DaysPerMonth(2005, 2), 28);
    EXPECT_EQ(DaysPerMonth(1900, 2), 28);
    EXPECT_EQ(DaysPerMonth(2005, 12), 31);
    EXPECT_EQ(DaysPerMonth(2005, 4), 30);
    EXPECT_EQ(DaysPerMonth(2005, 0), 0);
    EXPECT_EQ(DaysPerMonth(2005, 13), 0);
    EXPECT_EQ(DaysPerMonth(2005, -1), 0);
    EXPECT_TRUE(IsLeapYearOf(DayFromCivil({2004, 7, 1}) + 0.75));
    EXPECT_FALSE(IsLeapYearOf(DayFromCivil({1900, 7, 1})));
}

TEST(CalendarTest, DatesOutsideTheRangeAreFailures) {
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 2958466.0, -657435.0, 1e300};
    for (double d : bad) {
        SCOPED_TRACE(d);
        EXPECT_THROW(WholeDay(d), Failure);
        EXPECT_THROW(WeekNumber(d), Failure);
        EXPECT_THROW(DaysBetween(d, 0), Failure);
        EXPECT_THROW(Higher(0, d), Failure);
        EXPECT_THROW(Between(0, d, 1), Failure);
        EXPECT_THROW(IsLeapYearOf(d), Failure);
    }
    EXPECT_EQ(WholeDay(2958465.999), 2958465);
    EXPECT_EQ(WholeDay(-657434.5), -657434);
    try {
        WholeDay(std::nan(""));
    } catch (const Failure& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid date value"), std::string::npos);
    }
}

TEST(WeekNumberTest, IsoWeeks) {
    struct Case {
        double date;
        std::int32_t week;
    } cases[] = {
        {38353, 53},      // 2005-01-01, a Saturday
        {38355, 1},       // 2005-01-03
        {39447, 1},       // 2007-12-31
        {39811, 1},       // 2008-12-29
        {40178, 53},      // 2009-12-31
        {40181, 53},      // 2010-01-03, a Sunday
        {38352.99, 53},   // 2004-12-31 late in the evening
        {43997.5, 25},    // 2020-06-15
        {2, 1},           // 1900-01-01
        {0, 52},          // 1899-12-30
        {-1.25, 52},      // 1899-12-29 06:00
        {-36522, 1},      // 1800-01-01
        // Negative dates with a time of day: the week is the whole day's.
        {-7233.5, 11},    // 1880-03-11 12:00, a Thursday 70 days after 1 January
        {-7236.25, 11},   // 1880-03-08 06:00, the Monday of that week
        {-7237.75, 10},   // 1880-03-07 18:00, the Sunday before
        {-657434, 53},    // 0100-01-01
        {2958465.5, 52},  // 9999-12-31
    };
    for (const Case& c : cases) EXPECT_EQ(WeekNumber(c.date), c.week) << c.date;
}

TEST(DayComparisonTest, WholeDaysDecide) {
    EXPECT_EQ(DaysBetween(38354 + 0.5 / 24, 38353 + 23.98 / 24), 1);  // 2 Jan 00:30 - 1 Jan 23:59
    EXPECT_EQ(DaysBetween(38353, 38363), -10);
    EXPECT_EQ(DaysBetween(-1.75, -1.25), 0);
    EXPECT_EQ(DaysBetween(2958465, -657434), 3615899);

    EXPECT_EQ(Higher(38353 + 10.0 / 24, 38353 + 8.0 / 24), 3);
    EXPECT_EQ(Higher(38354, 38353.9), 1);
    EXPECT_EQ(Higher(38353.9, 38354), 2);
    // 1920 and 2020 are different days whatever the date format shows.
    EXPECT_EQ(Higher(DayFromCivil({1920, 5, 1}), DayFromCivil({2020, 5, 1})), 2);

    const double from = 38353, to = 38363;
    EXPECT_TRUE(Between(38358.5, from, to));
    EXPECT_TRUE(Between(from + 0.9, from, to));
    EXPECT_TRUE(Between(to + 0.9, from, to));
    EXPECT_FALSE(Between(to + 1, from, to));
    EXPECT_FALSE(Between(38358, to, from));  // inverted range
    EXPECT_TRUE(Between(to, to, from));      // except for its ends
    EXPECT_FALSE(Between(DayFromCivil({1920, 1, 5}), DayFromCivil({2020, 1, 1}), DayFromCivil({2020, 1, 10})));
}

TEST(DateTextTest, ParsesInTheOrderOfTheShortDateFormat) {
    Cp1252Locale de = German(), en = English();
    Cp1252Locale iso;
    iso.shortDate = "yyyy-MM-dd";
    iso.dateSeparator = "-";
    struct Case {
        const Locale* locale;
        const char* text;
        CivilDate expected;
    } cases[] = {
        {&de, "31.12.2007", {2007, 12, 31}},
        {&de, "1.2.2005", {2005, 2, 1}},
        {&de, " 01 . 02 . 2005 ", {2005, 2, 1}},
        {&de, "29.2.2004", {2004, 2, 29}},
        {&de, "3.4.05", {2005, 4, 3}},      // a two-digit year: the current century
        {&de, "3.4", {2024, 4, 3}},         // two fields: the current year
        {&en, "12/31/2007", {2007, 12, 31}},
        {&en, "2/1/2005", {2005, 2, 1}},
        {&en, "2/1", {2024, 2, 1}},
        {&iso, "2005-02-01", {2005, 2, 1}},
        {&iso, "02-01", {2024, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDate(*c.locale, c.text, 2024), c.expected);
    }
}

TEST(DateTextTest, RejectsWhatIsNoDate) {
    Cp1252Locale de = German();
    const char* bad[] = {"",          "   ",        "xyz",       "31.2.2005", "29.2.2005", "0.1.2005",  "1.0.2005",
                         "1.13.2005", "32.1.2005", "1.1.10000", "1/1/2005", "1.1.2005.1", "-1.1.2005", "1.+1.2005",
                         "1..2005",   "1.1.2005 10:00", "12",     "1.1.99999999999", "3.4."};
    for (const char* t : bad) {
        SCOPED_TRACE(t);
        EXPECT_FALSE(IsDate(de, t, 2024));
        try {
            ParseDate(de, t, 2024);
            ADD_FAILURE() << "parsed";
        } catch (const Failure& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(t) + "' is not a valid date");
        }
    }
    EXPECT_TRUE(IsDate(de, "1.1.0099", 2024));  // a year below 100 is taken into the current century
    EXPECT_EQ(ParseDate(de, "1.1.0099", 2024).year, 2099);
}

TEST(DateTextTest, HigherEx) {
    Cp1252Locale de = German();
    struct Case {
        const char *first, *second;
        std::int32_t expected;
    } cases[] = {
        {"", "1.1.2005", 2},          {"1.1.2005", "", 1},         {"", "", 0},
        {"xyz", "1.1.2005", 0},       {"1.1.2005", "30.2.2005", 0}, {"1.1.2005", "01.01.2005", 3},
        {"2.1.2005", "1.1.2005", 1},  {"1.1.2005", "2.1.2005", 2},  {"1.1.2006", "31.12.2005", 1},
        {"1.2.2005", "31.1.2005", 1}, {"1.1.20", "1.1.1920", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(HigherEx(de, c.first, c.second, 2024), c.expected) << c.first << " / " << c.second;
}

TEST(DateTextTest, BetweenEx) {
    Cp1252Locale de = German();
    EXPECT_TRUE(BetweenEx(de, "5.1.2005", "1.1.2005", "10.1.2005", 2024));
    EXPECT_TRUE(BetweenEx(de, "1.1.2005", "1.1.2005", "10.1.2005", 2024));
    EXPECT_TRUE(BetweenEx(de, "10.1.2005", "1.1.2005", "10.1.2005", 2024));
    EXPECT_FALSE(BetweenEx(de, "11.1.2005", "1.1.2005", "10.1.2005", 2024));
    EXPECT_FALSE(BetweenEx(de, "31.12.2004", "1.1.2005", "10.1.2005", 2024));
    EXPECT_TRUE(BetweenEx(de, "10.1.2005", "10.1.2005", "1.1.2005", 2024));  // equal to `from` after `to`
    EXPECT_FALSE(BetweenEx(de, "5.1.2005", "10.1.2005", "1.1.2005", 2024));
    try {
        BetweenEx(de, "5.1.2005", "kein Datum", "10.1.2005", 2024);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()), "Convert Error. 'kein Datum' is not a valid date");
    }
    EXPECT_THROW(BetweenEx(de, "", "1.1.2005", "2.1.2005", 2024), Failure);
}

}  // namespace
}  // namespace zunda::text

// Date utilities behind MxDateUtils. Dates are automation dates (days since
// 1899-12-30, the fraction being the time of day) or texts in the locale's
// short date format. Comparisons work on whole day numbers.
#pragma once

#include "text/core/locale.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda::text {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The whole day of an automation date (its integer part); throws Failure for
// NaN, infinities and values outside 0100-01-01 .. 9999-12-31.
std::int64_t WholeDay(double date);
CivilDate CivilFromDay(std::int64_t day);
std::int64_t DayFromCivil(const CivilDate& date);

bool IsLeapYear(std::int64_t year);
// 0 for a month outside 1..12.
int DaysPerMonth(std::int64_t year, std::int64_t month);

// Parses a date text: two or three unsigned fields split by the locale's date
// separator, in the order the short date format gives day, month and year;
// two fields mean `currentYear`, a year below 100 belongs to the current
// century. Throws Failure("'<text>' is not a valid date").
CivilDate ParseDate(const Locale& locale, std::string_view text, int currentYear);
bool IsDate(const Locale& locale, std::string_view text, int currentYear);

// Signed difference of the whole days, first minus second.
std::int64_t DaysBetween(double first, double second);
// 0 for an empty second and empty first, 1/2 when only the second/first is
// empty, 0 when either is no date, else 1 (first later), 2 (second later), 3 (same day).
std::int32_t HigherEx(const Locale& locale, std::string_view first, std::string_view second, int currentYear);
std::int32_t Higher(double first, double second);
// The same day as `from` or `to`, or strictly between them.
bool BetweenDays(std::int64_t day, std::int64_t from, std::int64_t to);
bool Between(double date, double from, double to);
// Throws Failure("Convert Error. " + the parse message) for a text that is no date.
bool BetweenEx(const Locale& locale, std::string_view date, std::string_view from, std::string_view to,
               int currentYear);
bool IsLeapYearOf(double date);
// ISO 8601 week number.
std::int32_t WeekNumber(double date);

}  // namespace zunda::text

#include "text/core/dates.h"

#include "server/core/failure.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace zunda::text {
namespace {

// Whole days of the automation date range: 0100-01-01 and 9999-12-31.
constexpr std::int64_t kFirstDay = -657434;
constexpr std::int64_t kLastDay = 2958465;
// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kEpochShift = 25569;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

[[noreturn]] void NotADate(std::string_view text) {
    std::string message;
    message.reserve(text.size() + 24);
    message.append("'").append(text).append("' is not a valid date");
    throw Failure(message);
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

// Order of day, month and year in the short date format: "DMY", "MDY", "YMD" ...
std::string FieldOrder(std::string_view format) {
    std::string order;
    for (char c : format) {
        char f = c == 'd' ? 'D' : c == 'M' ? 'M' : c == 'y' ? 'Y' : 0;
        if (f && order.find(f) == std::string::npos) order.push_back(f);
    }
    if (order.size() != 3) return "MDY";
    return order;
}

}  // namespace

std::int64_t WholeDay(double date) {
    if (!std::isfinite(date) || date <= static_cast<double>(kFirstDay - 1) || date >= static_cast<double>(kLastDay + 1)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", date);
        std::string message("Invalid date value ");
        message.append(buf).append(": dates run from 0100-01-01 to 9999-12-31.");
        throw Failure(message);
    }
    return static_cast<std::int64_t>(std::trunc(date));
}

CivilDate CivilFromDay(std::int64_t serial) {
    // Civil calendar from a day count (proleptic Gregorian, era-based).
    std::int64_t z = serial - kEpochShift + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::int64_t DayFromCivil(const CivilDate& date) {
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = date.month > 2 ? date.month - 3 : date.month + 9;
    const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + kEpochShift;
}

bool IsLeapYear(std::int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysPerMonth(std::int64_t year, std::int64_t month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

CivilDate ParseDate(const Locale& locale, std::string_view text, int currentYear) {
    std::string separator = locale.DateSeparator();
    if (separator.empty()) separator.push_back('/');
    std::string_view t = TrimBlanks(text);
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        size_t p = t.find(separator, start);
        fields.push_back(TrimBlanks(t.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start)));
        if (p == std::string_view::npos) break;
        start = p + separator.size();
    }
    if (fields.size() < 2 || fields.size() > 3) NotADate(text);
    std::vector<std::int64_t> values;
    for (std::string_view f : fields) {
        if (f.empty() || f.size() > 9) NotADate(text);
        std::int64_t v = 0;
        for (char c : f) {
            if (c < '0' || c > '9') NotADate(text);
            v = v * 10 + (c - '0');
        }
        values.push_back(v);
    }
    std::string order = FieldOrder(locale.ShortDateFormat());
    if (values.size() == 2) order.erase(order.find('Y'), 1);
    std::int64_t day = 0, month = 0, year = currentYear;
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == 'D') day = values[i];
        if (order[i] == 'M') month = values[i];
        if (order[i] == 'Y') {
            year = values[i];
            if (year < 100) year += (currentYear / 100) * 100L;
        }
    }
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysPerMonth(year, month))
        NotADate(text);
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

bool IsDate(const Locale& locale, std::string_view text, int currentYear) {
    try {
        ParseDate(locale, text, currentYear);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

std::int64_t DaysBetween(double first, double second) { return WholeDay(first) - WholeDay(second); }

namespace {
std::int32_t Compare(std::int64_t first, std::int64_t second) { return first > second ? 1 : first < second ? 2 : 3; }
}  // namespace

std::int32_t HigherEx(const Locale& locale, std::string_view first, std::string_view second, int currentYear) {
    if (first.empty() && !second.empty()) return 2;
    if (second.empty() && !first.empty()) return 1;
    if (first.empty()) return 0;
    if (!IsDate(locale, first, currentYear) || !IsDate(locale, second, currentYear)) return 0;
    return Compare(DayFromCivil(ParseDate(locale, first, currentYear)),
                   DayFromCivil(ParseDate(locale, second, currentYear)));
}

std::int32_t Higher(double first, double second) { return Compare(WholeDay(first), WholeDay(second)); }

bool BetweenDays(std::int64_t day, std::int64_t from, std::int64_t to) {
    if (day == from || day == to) return true;
    return day - from > 0 && to - day > 0;
}

bool Between(double date, double from, double to) { return BetweenDays(WholeDay(date), WholeDay(from), WholeDay(to)); }

bool BetweenEx(const Locale& locale, std::string_view date, std::string_view from, std::string_view to,
               int currentYear) {
    std::int64_t days[3];
    const std::string_view texts[3] = {date, from, to};
    for (int i = 0; i < 3; ++i) {
        try {
            days[i] = DayFromCivil(ParseDate(locale, texts[i], currentYear));
        } catch (const Failure& e) {
            std::string message("Convert Error. ");
            message.append(e.what());
            throw Failure(message);
        }
    }
    return BetweenDays(days[0], days[1], days[2]);
}

bool IsLeapYearOf(double date) { return IsLeapYear(CivilFromDay(WholeDay(date)).year); }

std::int32_t WeekNumber(double date) {
    const std::int64_t day = WholeDay(date);
    // 1899-12-30, day 0, was a Saturday; Monday = 1 .. Sunday = 7.
    std::int64_t offset = (day + 5) % 7;
    if (offset < 0) offset += 7;
    const std::int64_t weekday = offset + 1;
    const std::int64_t thursday = day - weekday + 4;
    const std::int64_t january1 = DayFromCivil({CivilFromDay(thursday).year, 1, 1});
    return static_cast<std::int32_t>((thursday - january1) / 7 + 1);
}

}  // namespace zunda::text

// MxDateUtils: date tests and comparisons on automation dates and on date
// texts in the user's short date format.
#include "server/win/frame.h"
#include "text/core/dates.h"
#include "text/win/locale_win32.h"

namespace zunda {
namespace {

int CurrentYear() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

}  // namespace

class TMxDateUtils final : public Object<TMxDateUtils, IMxDateUtils> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDateUtils, &IID_IMxDateUtils, &DIID_IMxEvents, L"Zunda.MxDateUtils",
                                     "MxDateUtils", ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP StrIsDate(BSTR wstrString, VARIANT_BOOL* Value) override {
        return Get(Value, [&] { return ToVariantBool(text::IsDate(SystemLocale(), ToAnsi(wstrString), CurrentYear())); });
    }
    STDMETHODIMP DateBetweenDays(DATE dtDate1, DATE dtDate2, UINT64* Value) override {
        // The signed difference travels in the declared unsigned type.
        return Get(Value, [&] { return static_cast<UINT64>(text::DaysBetween(dtDate1, dtDate2)); });
    }
    STDMETHODIMP DateHigherEx(BSTR wstrDate1, BSTR wstrDate2, LONG* Value) override {
        return Guarded("DateHigherEx", Value, -1L, [&] {
            return static_cast<LONG>(
                text::HigherEx(SystemLocale(), ToAnsi(wstrDate1), ToAnsi(wstrDate2), CurrentYear()));
        });
    }
    STDMETHODIMP DateHigher(DATE dtDate1, DATE dtDate2, LONG* Value) override {
        return Get(Value, [&] { return static_cast<LONG>(text::Higher(dtDate1, dtDate2)); });
    }
    STDMETHODIMP DateWeekNumber(DATE dtDate, LONG* Value) override {
        return Guarded("DateWeekNumber", Value, -1L, [&] { return static_cast<LONG>(text::WeekNumber(dtDate)); });
    }
    STDMETHODIMP DateBetween(DATE dtDate, DATE dtDatefrom, DATE dtDateto, VARIANT_BOOL* Value) override {
        return Get(Value, [&] { return ToVariantBool(text::Between(dtDate, dtDatefrom, dtDateto)); });
    }
    STDMETHODIMP DateBetweenEx(BSTR wstrDate, BSTR wstrDatefrom, BSTR wstrDateto, VARIANT_BOOL* Value) override {
        return Guarded("DateBetweenEx", Value, VARIANT_FALSE, [&] {
            return ToVariantBool(text::BetweenEx(SystemLocale(), ToAnsi(wstrDate), ToAnsi(wstrDatefrom),
                                                 ToAnsi(wstrDateto), CurrentYear()));
        });
    }
    STDMETHODIMP DateIsLeapYear(LONG iYear, VARIANT_BOOL* Value) override {
        return Get(Value, [&] { return ToVariantBool(text::IsLeapYear(iYear)); });
    }
    STDMETHODIMP DateIsLeapYearEx(DATE dtDate, VARIANT_BOOL* Value) override {
        return Guarded("DateIsLeapYearEx", Value, VARIANT_FALSE,
                       [&] { return ToVariantBool(text::IsLeapYearOf(dtDate)); });
    }
    STDMETHODIMP DateDaysPerMonth(LONG iYear, LONG iMonth, LONG* Value) override {
        return Get(Value, [&] { return static_cast<LONG>(text::DaysPerMonth(iYear, iMonth)); });
    }
};

ZUNDA_CLASS(TMxDateUtils);

}  // namespace zunda

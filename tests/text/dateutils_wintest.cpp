// MxDateUtils through the real library: its members early- and late-bound,
// date texts in the user's short date format, and the full error convention
// (failure value, raised errors, event sink, connection rules).
#include "tests/support/win/catalogue.h"
#include "tests/text/text_wintest.h"

#include <cmath>
#include <cstdlib>
#include <limits>

ZUNDA_TEST_IMPLEMENTED(MxDateUtils);

namespace zunda::test {
namespace {

const wchar_t kConvertError[] = L"[DateBetweenEx]: Convert Error. 'x' is not a valid date";

std::wstring LocaleText(LCTYPE type) {
    wchar_t buf[100] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 100);
    return buf;
}

// A date text in the user's short date format: day, month and (unless left
// out) year in the format's order, split by its date separator.
std::wstring DateText(int y, int m, int d, bool withYear = true) {
    const std::wstring format = LocaleText(LOCALE_SSHORTDATE), sep = LocaleText(LOCALE_SDATE);
    std::wstring order;
    for (wchar_t c : format)
        if ((c == L'd' || c == L'M' || c == L'y') && order.find(c) == std::wstring::npos) order += c;
    std::wstring out;
    for (wchar_t c : order) {
        if (c == L'y' && !withYear) continue;
        if (!out.empty()) out += sep;
        out += std::to_wstring(c == L'd' ? d : c == L'M' ? m : y);
    }
    return out;
}

class DateUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        u = Create<IMxDateUtils>(CLSID_MxDateUtils);
        ASSERT_TRUE(u);
        d = u.As<IDispatch>();
        ASSERT_TRUE(d);
        SetErrorInfo(0, nullptr);
    }
    std::wstring Message() {
        BSTR m = nullptr;
        EXPECT_EQ(u->get_wstrLastErrorMessage(&m), S_OK);
        return Take(m);
    }
    // A member that really fails: no text here is a date.
    HRESULT FailBetweenEx(VARIANT_BOOL* value) { return u->DateBetweenEx(Bstr(L"x"), Bstr(L"y"), Bstr(L"z"), value); }

    ComPtr<IMxDateUtils> u;
    ComPtr<IDispatch> d;
};

TEST_F(DateUtilsTest, CalendarMembers) {
    VARIANT_BOOL b = VARIANT_TRUE;
    LONG l = 0;
    EXPECT_EQ(u->DateIsLeapYear(1900, &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(u->DateIsLeapYear(2000, &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->DateIsLeapYearEx(38353.5, &b), S_OK);  // 2005-01-01
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(u->DateDaysPerMonth(2004, 2, &l), S_OK);
    EXPECT_EQ(l, 29);
    EXPECT_EQ(u->DateDaysPerMonth(2004, 13, &l), S_OK);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(u->DateWeekNumber(38353, &l), S_OK);
    EXPECT_EQ(l, 53);
    EXPECT_EQ(u->DateWeekNumber(39447, &l), S_OK);  // 2007-12-31
    EXPECT_EQ(l, 1);
    EXPECT_EQ(u->DateWeekNumber(-7233.5, &l), S_OK);  // 1880-03-11 12:00
    EXPECT_EQ(l, 11);
    EXPECT_EQ(u->DateHigher(38353 + 10.0 / 24, 38353 + 8.0 / 24, &l), S_OK);
    EXPECT_EQ(l, 3);
    EXPECT_EQ(u->DateHigher(7426, 43952, &l), S_OK);  // 1920-05-01 before 2020-05-01
    EXPECT_EQ(l, 2);
    EXPECT_EQ(u->DateBetween(38358.5, 38353, 38363, &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->DateBetween(38358, 38363, 38353, &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    UINT64 days = 0;
    EXPECT_EQ(u->DateBetweenDays(38354 + 0.5 / 24, 38353 + 23.98 / 24, &days), S_OK);
    EXPECT_EQ(days, 1u);
    EXPECT_EQ(u->DateBetweenDays(38353, 38363, &days), S_OK);
    EXPECT_EQ(static_cast<INT64>(days), -10);  // the signed difference in the unsigned type
    EXPECT_EQ(Message(), L"");
}

TEST_F(DateUtilsTest, DateTextsFollowTheShortDateFormat) {
    // The locale runs name the format they set up; make sure it took effect.
    if (const char* want = std::getenv("ZUNDA_EXPECT_SHORTDATE")) {
        ASSERT_EQ(LocaleText(LOCALE_SSHORTDATE), std::wstring(want, want + strlen(want)));
    }
    const std::wstring d1 = DateText(2005, 1, 1), d2 = DateText(2005, 1, 2), d10 = DateText(2005, 1, 10);
    SCOPED_TRACE(d1);
    VARIANT_BOOL b = VARIANT_FALSE;
    EXPECT_EQ(u->StrIsDate(Bstr(d1), &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->StrIsDate(Bstr(DateText(2005, 2, 29)), &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(u->StrIsDate(Bstr(DateText(2004, 2, 29)), &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->StrIsDate(Bstr(L"no date"), &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(u->StrIsDate(nullptr, &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    // 13 January is a date only when day and month are read in the format's order.
    EXPECT_EQ(u->StrIsDate(Bstr(DateText(2005, 1, 13)), &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE) << "13 January";
    // Two fields are day and month of the current year; a two-digit year is of the current century.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring full = DateText(now.wYear, 3, 4);
    const std::wstring shortYear = DateText(now.wYear % 100, 3, 4), noYear = DateText(0, 3, 4, false);
    LONG l = 0;
    EXPECT_EQ(u->DateHigherEx(Bstr(noYear), Bstr(full), &l), S_OK);
    EXPECT_EQ(l, 3) << noYear;
    EXPECT_EQ(u->DateHigherEx(Bstr(shortYear), Bstr(full), &l), S_OK);
    EXPECT_EQ(l, 3) << shortYear;

    EXPECT_EQ(u->DateHigherEx(Bstr(d1), Bstr(d1), &l), S_OK);
    EXPECT_EQ(l, 3);
    EXPECT_EQ(u->DateHigherEx(Bstr(d2), Bstr(d1), &l), S_OK);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(u->DateHigherEx(Bstr(d1), Bstr(d2), &l), S_OK);
    EXPECT_EQ(l, 2);
    EXPECT_EQ(u->DateHigherEx(Bstr(L""), Bstr(L""), &l), S_OK);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(u->DateHigherEx(Bstr(L""), Bstr(d1), &l), S_OK);
    EXPECT_EQ(l, 2);
    EXPECT_EQ(u->DateHigherEx(Bstr(L"x"), Bstr(d1), &l), S_OK);
    EXPECT_EQ(l, 0);

    EXPECT_EQ(u->DateBetweenEx(Bstr(d2), Bstr(d1), Bstr(d10), &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->DateBetweenEx(Bstr(d10), Bstr(d10), Bstr(d1), &b), S_OK);  // equal to `from` after `to`
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(u->DateBetweenEx(Bstr(d2), Bstr(d10), Bstr(d1), &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(Message(), L"");

    // Late-bound, as a script would call them.
    CallResult r = Method(d.Get(), L"DateHigherEx", {Var(d2.c_str()), Var(d1.c_str())});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.lVal, 1);
    r = Method(d.Get(), L"StrIsDate", {Var(d10.c_str())});
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
}

TEST_F(DateUtilsTest, FailureWithoutSinkReturnsTheFailureValueAndKeepsTheText) {
    VARIANT_BOOL b = VARIANT_TRUE;
    EXPECT_EQ(FailBetweenEx(&b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(Message(), kConvertError);
    LONG week = 0;
    EXPECT_EQ(u->DateWeekNumber(std::nan(""), &week), S_OK);
    EXPECT_EQ(week, -1);
    const std::wstring second = Message();
    EXPECT_EQ(second.rfind(L"[DateWeekNumber]: Invalid date value", 0), 0u) << second;  // only the second text
    EXPECT_EQ(u->DateIsLeapYearEx(1e12, &b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    EXPECT_EQ(Message().rfind(L"[DateIsLeapYearEx]: Invalid date value", 0), 0u);
    // A successful call leaves the text in place; the client can clear it.
    EXPECT_EQ(u->DateWeekNumber(38355, &week), S_OK);
    EXPECT_EQ(week, 1);
    EXPECT_EQ(Message().rfind(L"[DateIsLeapYearEx]", 0), 0u);
    EXPECT_EQ(u->put_wstrLastErrorMessage(Bstr(L"")), S_OK);
    EXPECT_EQ(Message(), L"");
    // Late-bound: no exception, the failure value.
    CallResult r = Method(d.Get(), L"DateBetweenEx", {Var(L"x"), Var(L"y"), Var(L"z")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.boolVal, VARIANT_FALSE);
    EXPECT_EQ(LastError(d.Get()), kConvertError);
}

TEST_F(DateUtilsTest, FailureIsRaisedWhenAskedForAndNoSinkIsConnected) {
    ASSERT_EQ(u->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    VARIANT_BOOL b = VARIANT_TRUE;
    EXPECT_EQ(FailBetweenEx(&b), E_UNEXPECTED);
    ErrorInfoText info = TakeErrorInfo();
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.description, kConvertError);
    EXPECT_EQ(info.source, L"Zunda.MxDateUtils");
    EXPECT_TRUE(IsEqualGUID(info.guid, IID_IMxDateUtils));
    EXPECT_EQ(Message(), kConvertError);

    CallResult r = Method(d.Get(), L"DateBetweenEx", {Var(L"x"), Var(L"y"), Var(L"z")});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, E_UNEXPECTED);
    EXPECT_EQ(r.description, kConvertError);
    EXPECT_EQ(r.source, L"Zunda.MxDateUtils");
}

TEST_F(DateUtilsTest, ConnectedSinkGetsOneEventAndNothingIsRaised) {
    ASSERT_EQ(u->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    auto* sink = new RecordingSink(DIID_IMxEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(u.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
    VARIANT_BOOL b = VARIANT_TRUE;
    EXPECT_EQ(FailBetweenEx(&b), S_OK);
    EXPECT_EQ(b, VARIANT_FALSE);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].id, 1);
    EXPECT_EQ(sink->calls[0].args,
              (std::vector<std::wstring>{L"MxDateUtils", L"DateBetweenEx", L"Convert Error. 'x' is not a valid date"}));
    EXPECT_EQ(Message(), kConvertError);

    // One sink only; after Unadvise another may connect and raising is back without one.
    auto* second = new RecordingSink(DIID_IMxEvents);
    DWORD cookie2 = 0;
    EXPECT_EQ(Advise(u.Get(), DIID_IMxEvents, second, &cookie2), CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(Unadvise(u.Get(), DIID_IMxEvents, cookie), S_OK);
    EXPECT_EQ(FailBetweenEx(&b), E_UNEXPECTED);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(sink->calls.size(), 1u);
    ASSERT_EQ(Advise(u.Get(), DIID_IMxEvents, second, &cookie2), S_OK);
    LONG week = 0;
    EXPECT_EQ(u->DateWeekNumber(1e300, &week), S_OK);
    EXPECT_EQ(week, -1);
    ASSERT_EQ(second->calls.size(), 1u);
    EXPECT_EQ(second->calls[0].args[1], L"DateWeekNumber");
    EXPECT_EQ(Unadvise(u.Get(), DIID_IMxEvents, cookie2), S_OK);
    sink->Release();
    second->Release();
}

TEST_F(DateUtilsTest, FailingOrIncompleteSinksDoNotChangeTheOutcome) {
    ASSERT_EQ(u->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    for (RecordingSink::Mode mode : {RecordingSink::Mode::Fail, RecordingSink::Mode::NoMembers}) {
        auto* sink = new RecordingSink(DIID_IMxEvents, mode);
        DWORD cookie = 0;
        ASSERT_EQ(Advise(u.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
        VARIANT_BOOL b = VARIANT_TRUE;
        EXPECT_EQ(FailBetweenEx(&b), S_OK);
        EXPECT_EQ(b, VARIANT_FALSE);
        EXPECT_EQ(Message(), kConvertError);
        CallResult r = Method(d.Get(), L"DateBetweenEx", {Var(L"x"), Var(L"y"), Var(L"z")});
        EXPECT_EQ(r.hr, S_OK);
        EXPECT_EQ(Unadvise(u.Get(), DIID_IMxEvents, cookie), S_OK);
        sink->Release();
    }
    // A sink without the events interface is refused.
    auto* other = new RecordingSink(IID_IMxStrUtils);
    DWORD cookie = 0;
    EXPECT_EQ(Advise(u.Get(), DIID_IMxEvents, other, &cookie), E_NOINTERFACE);
    other->Release();
}

TEST_F(DateUtilsTest, UnguardedMembersFailWithErrorInformationAndLeaveTheText) {
    ASSERT_EQ(u->put_wstrLastErrorMessage(Bstr(L"earlier")), S_OK);
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), 2958466.0, -657435.0};
    for (double x : bad) {
        SCOPED_TRACE(x);
        UINT64 days = 7;
        EXPECT_EQ(u->DateBetweenDays(x, 0, &days), E_UNEXPECTED);
        EXPECT_EQ(days, 0u);
        ErrorInfoText info = TakeErrorInfo();
        EXPECT_TRUE(info.present);
        EXPECT_EQ(info.source, L"Zunda.MxDateUtils");
        EXPECT_EQ(info.description.rfind(L"Invalid date value", 0), 0u) << info.description;
        LONG l = 0;
        EXPECT_EQ(u->DateHigher(0, x, &l), E_UNEXPECTED);
        VARIANT_BOOL b = VARIANT_TRUE;
        EXPECT_EQ(u->DateBetween(x, 0, 1, &b), E_UNEXPECTED);
        EXPECT_EQ(b, VARIANT_FALSE);
        SetErrorInfo(0, nullptr);
    }
    EXPECT_EQ(Message(), L"earlier");
    CallResult r = Method(d.Get(), L"DateHigher", {Var(2958470.0, VT_DATE), Var(0.0, VT_DATE)});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.source, L"Zunda.MxDateUtils");
}

}  // namespace
}  // namespace zunda::test

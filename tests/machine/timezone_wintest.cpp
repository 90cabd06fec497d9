// MxTimeZone from a client. The zone of the process comes from TZ=, set by
// tests/machine/wine-timezone.sh for six zones together with the values
// Python's zoneinfo gives for this year and the next (ZUNDA_TZ_*); without
// them only the zone-independent checks run.
#include "machine/core/timezone.h"
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

ZUNDA_TEST_IMPLEMENTED(MxTimeZone);

namespace zunda::test {
namespace {

bool EnvText(const char* name, std::string& out) {
    char buf[1024];
    const DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
    if (n == 0 || n >= sizeof(buf)) return false;
    out.assign(buf, n);
    return true;
}

// What zoneinfo says for one year: "daylightStart standardStart bias daylightBias standardBias".
struct Expected {
    double daylightStart = 0, standardStart = 0;
    long bias = 0, daylightBias = 0, standardBias = 0;
};
bool ExpectedFor(const char* var, Expected& e) {
    std::string text;
    if (!EnvText(var, text)) return false;
    std::istringstream in(text);
    in >> e.daylightStart >> e.standardStart >> e.bias >> e.daylightBias >> e.standardBias;
    return !in.fail();
}

// The "Display" of the registry entry whose "Std" is the given name.
std::wstring DisplayOfEntry(const std::wstring& standardName) {
    HKEY list = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, machine::kNtZoneList, 0, KEY_READ, &list) != ERROR_SUCCESS) return L"";
    std::wstring found;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(list, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY k = nullptr;
        if (RegOpenKeyExA(list, name, 0, KEY_READ, &k) != ERROR_SUCCESS) continue;
        WCHAR std_[64] = {}, display[256] = {};
        DWORD size = sizeof(std_) - sizeof(WCHAR);
        const bool match = RegQueryValueExW(k, L"Std", nullptr, nullptr, reinterpret_cast<BYTE*>(std_), &size) ==
                               ERROR_SUCCESS &&
                           standardName == std_;
        size = sizeof(display) - sizeof(WCHAR);
        if (match && RegQueryValueExW(k, L"Display", nullptr, nullptr, reinterpret_cast<BYTE*>(display), &size) ==
                         ERROR_SUCCESS)
            found = display;
        RegCloseKey(k);
        if (match) break;
    }
    RegCloseKey(list);
    return found;
}

// One second, in days: the comparison allows for the text round trip of the expectation.
constexpr double kSecond = 1.0 / 86400;

TEST(MxTimeZoneTest, EmptyBeforeGetInfosThenTheProcessZone) {
    ComPtr<IMxTimeZone> tz = Create<IMxTimeZone>(CLSID_MxTimeZone);
    ASSERT_TRUE(tz);
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrDisplayname), L"");
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrStandard), L"");
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrMapID), L"");
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_dtDaylightStart), 0);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iBias), 0);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iDaylightBias), 0);

    ASSERT_EQ(tz->GetInfos(), S_OK);
    EXPECT_EQ(ReadText<IMxBaseInterface>(tz.Get(), &IMxBaseInterface::get_wstrLastErrorMessage), L"");
    TIME_ZONE_INFORMATION info = {};
    GetTimeZoneInformation(&info);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iBias), info.Bias);
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrStandard), std::wstring(info.StandardName));
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrDaylightname), std::wstring(info.DaylightName));
    // Wine's zone list matches its current zone, but has no map ids.
    const std::wstring display = DisplayOfEntry(info.StandardName);
    EXPECT_FALSE(display.empty());
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrDisplayname), display);
    EXPECT_EQ(ReadText(tz.Get(), &IMxTimeZone::get_wstrMapID), L"");

    // Late-bound, as scripts call it.
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxTimeZone");
    ASSERT_TRUE(d);
    EXPECT_EQ(Method(d.Get(), L"GetInfos").hr, S_OK);
    CallResult bias = PropGet(d.Get(), L"iBias");
    EXPECT_EQ(bias.value.vt, VT_I4);
    EXPECT_EQ(bias.value.lVal, info.Bias);
    CallResult start = PropGet(d.Get(), L"dtDaylightStart");
    EXPECT_EQ(start.value.vt, VT_DATE);
}

TEST(MxTimeZoneZone, ThisYearAgainstZoneinfo) {
    Expected e;
    if (!ExpectedFor("ZUNDA_TZ_THIS_YEAR", e)) GTEST_SKIP() << "run by tests/machine/wine-timezone.sh";
    ComPtr<IMxTimeZone> tz = Create<IMxTimeZone>(CLSID_MxTimeZone);
    ASSERT_TRUE(tz);
    ASSERT_EQ(tz->GetInfos(), S_OK);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iBias), e.bias);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iDaylightBias), e.daylightBias);
    EXPECT_EQ(Read(tz.Get(), &IMxTimeZone::get_iStandardBias), e.standardBias);
    EXPECT_NEAR(Read(tz.Get(), &IMxTimeZone::get_dtDaylightStart), e.daylightStart, kSecond);
    EXPECT_NEAR(Read(tz.Get(), &IMxTimeZone::get_dtStandardStart), e.standardStart, kSecond);
    EXPECT_NE(ReadText(tz.Get(), &IMxTimeZone::get_wstrDisplayname), L"");
    EXPECT_EQ(ReadText<IMxBaseInterface>(tz.Get(), &IMxBaseInterface::get_wstrLastErrorMessage), L"");
}

// The object only reports the current year; the rule it applies is checked
// for the next year on the zone record the system reports.
TEST(MxTimeZoneZone, NextYearFromTheSystemsRule) {
    Expected e;
    if (!ExpectedFor("ZUNDA_TZ_NEXT_YEAR", e)) GTEST_SKIP() << "run by tests/machine/wine-timezone.sh";
    TIME_ZONE_INFORMATION info = {};
    GetTimeZoneInformation(&info);
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto rule = [](const SYSTEMTIME& t) {
        return machine::ZoneTime{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    };
    const bool daylight = info.DaylightDate.wMonth != 0 && info.StandardDate.wMonth != 0;
    EXPECT_EQ(info.Bias, e.bias);
    EXPECT_EQ(daylight ? info.Bias + info.DaylightBias : 0, e.daylightBias);
    EXPECT_EQ(daylight ? info.Bias + info.StandardBias : 0, e.standardBias);
    const double dstart = daylight ? machine::TransitionDate(rule(info.DaylightDate), now.wYear + 1) : 0;
    const double sstart = daylight ? machine::TransitionDate(rule(info.StandardDate), now.wYear + 1) : 0;
    EXPECT_NEAR(dstart, e.daylightStart, kSecond);
    EXPECT_NEAR(sstart, e.standardStart, kSecond);
}

}  // namespace
}  // namespace zunda::test

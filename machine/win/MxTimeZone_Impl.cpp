// MxTimeZone: the current time zone with its registry entry, names, biases
// and this year's transition dates.
#include "machine/core/timezone.h"
#include "server/win/frame.h"
#include "system/win/registry_win32.h"

#include <cwchar>

namespace zunda {
namespace {

machine::ZoneTime ZoneTimeOf(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// A name field of TIME_ZONE_INFORMATION: up to its first zero, within its 32 characters.
std::string ZoneName(const WCHAR (&name)[32]) { return ToAnsi(name, wcsnlen(name, 32)); }

machine::ZoneInfo CurrentZone() {
    TIME_ZONE_INFORMATION tz = {};
    GetTimeZoneInformation(&tz);
    machine::ZoneInfo z;
    z.bias = tz.Bias;
    z.standardBias = tz.StandardBias;
    z.daylightBias = tz.DaylightBias;
    z.standardDate = ZoneTimeOf(tz.StandardDate);
    z.daylightDate = ZoneTimeOf(tz.DaylightDate);
    z.standardName = ZoneName(tz.StandardName);
    z.daylightName = ZoneName(tz.DaylightName);
    return z;
}

}  // namespace

class TMxTimeZone final : public Object<TMxTimeZone, IMxTimeZone> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxTimeZone, &IID_IMxTimeZone, &DIID_IMxEvents, L"Zunda.MxTimeZone",
                                     "MxTimezone", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        // Without it GetInfos tries again and reports the failure.
        try {
            machine_ = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
        } catch (const std::exception&) {
        }
    }

    STDMETHODIMP get_wstrDisplayname(BSTR* out) override { return Text(out, report_.displayName); }
    STDMETHODIMP get_wstrStandard(BSTR* out) override { return Text(out, report_.standardName); }
    STDMETHODIMP get_wstrDaylightname(BSTR* out) override { return Text(out, report_.daylightName); }
    STDMETHODIMP get_wstrMapID(BSTR* out) override { return Text(out, report_.mapId); }
    STDMETHODIMP get_dtDaylightStart(DATE* out) override { return Get(out, [&] { return report_.daylightStart; }); }
    STDMETHODIMP get_dtStandardStart(DATE* out) override { return Get(out, [&] { return report_.standardStart; }); }
    STDMETHODIMP get_iBias(long* out) override { return Get(out, [&] { return long{report_.bias}; }); }
    STDMETHODIMP get_iDaylightBias(long* out) override { return Get(out, [&] { return long{report_.daylightBias}; }); }
    STDMETHODIMP get_iStandardBias(long* out) override { return Get(out, [&] { return long{report_.standardBias}; }); }

    STDMETHODIMP GetInfos() override {
        return GuardedVoid("GetInfos", [&] {
            // Nothing of a previous call may describe the zone of this one.
            report_ = machine::TimeZoneReport{};
            if (!machine_) machine_ = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
            VARIANT_BOOL nt = VARIANT_FALSE;
            Check(machine_->get_boIsNT(&nt));
            SYSTEMTIME now;
            GetLocalTime(&now);
            machine::GatherTimeZone(SystemRegistry(), nt != VARIANT_FALSE, CurrentZone(), now.wYear, report_);
        });
    }

private:
    HRESULT Text(BSTR* out, const std::string& text) {
        return Get(out, [&] { return Bstr::FromAnsi(text); });
    }

    ComPtr<IMxMachine> machine_;
    machine::TimeZoneReport report_;
};

ZUNDA_CLASS(TMxTimeZone);

}  // namespace zunda

// MxMachine: the operating system, its product data, names, times, BIOS
// strings, lock keys, administrator test, power state and three name lists.
#include <winsock2.h>

#include "machine/core/machine_lists.h"
#include "machine/core/os_version.h"
#include "machine/win/machine_platform_win32.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "system/win/registry_win32.h"

namespace zunda {
namespace {

std::string DateTimeText(const SYSTEMTIME& st) {
    char date[128] = {}, time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof(date));
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof(time));
    return std::string(date) + " " + time;
}

double LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return machine::AutomationDate(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                                   st.wMilliseconds);
}

bool KeyToggled(int key) {
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return false;
    return machine::LockKeyOn(state[key]);
}

SYSTEM_POWER_STATUS PowerStatus() {
    SYSTEM_POWER_STATUS s;
    if (!GetSystemPowerStatus(&s)) {
        // Nothing known: the system's own "unknown" values.
        s.ACLineStatus = 255;
        s.BatteryFlag = 255;
        s.BatteryLifePercent = 255;
        s.BatteryLifeTime = static_cast<DWORD>(-1);
        s.BatteryFullLifeTime = static_cast<DWORD>(-1);
    }
    return s;
}

// Whether the token of the calling thread (or of the process, when the
// thread has none) carries the built-in Administrators group.
bool UserIsAdministrator() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        if (GetLastError() != ERROR_NO_TOKEN) return false;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    }
    bool found = false;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenGroups, nullptr, 0, &size) && GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
        size > 0) {
        std::string buffer(size, '\0');
        if (GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
            SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
            PSID admins = nullptr;
            if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                         0, &admins)) {
                const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
                for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
                    found = EqualSid(admins, groups->Groups[i].Sid) != FALSE;
                FreeSid(admins);
            }
        }
    }
    CloseHandle(token);
    return found;
}

std::string HostName() {
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0) return std::string();
    std::string out;
    char name[260] = {};
    if (gethostname(name, sizeof(name) - 1) == 0) {
        if (const hostent* host = gethostbyname(name)) out = host->h_name ? host->h_name : "";
    }
    WSACleanup();
    return out;
}

}  // namespace

class TMxMachine final : public Object<TMxMachine, IMxMachine> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxMachine, &IID_IMxMachine, &DIID_IMxEvents, L"Zunda.MxMachine",
                                     "MxMachine", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        // Failures leave the object usable: the members that need what is
        // missing try again and fail through the error convention.
        try {
            utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
            environment_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            software_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            fonts_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
        } catch (const std::exception&) {
        }
    }

    STDMETHODIMP get_tyOperatingSystem(TYP_OS* out) override {
        return Get(out, [&] { return static_cast<TYP_OS>(machine::ClassifyOs(platform_.Version())); });
    }
    STDMETHODIMP get_boIsNT(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(machine::IsNT(platform_.Version())); });
    }
    STDMETHODIMP get_wstrOperatingSystem(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(machine::OsText(machine::ClassifyOs(platform_.Version()))); });
    }
    STDMETHODIMP get_iMajorVersion(long* out) override {
        return Get(out, [&] { return static_cast<long>(RawVersion().dwMajorVersion); });
    }
    STDMETHODIMP get_iMinorVersion(long* out) override {
        return Get(out, [&] { return static_cast<long>(RawVersion().dwMinorVersion); });
    }
    STDMETHODIMP get_iBuildNumber(long* out) override {
        return Get(out, [&] { return static_cast<long>(RawVersion().dwBuildNumber); });
    }
    STDMETHODIMP get_wstrCSD(BSTR* out) override {
        return Get(out, [&] {
            const OSVERSIONINFOA v = RawVersion();
            return Bstr::FromAnsi(std::string(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof(v.szCSDVersion))));
        });
    }
    STDMETHODIMP get_tyNTProductType(TYP_NTProduct* out) override {
        return Guarded("tyNTProductType", out, tptUnknown,
                       [&] { return static_cast<TYP_NTProduct>(machine::NtProductType(platform_)); });
    }
    STDMETHODIMP get_wstrNTProductType(BSTR* out) override {
        return Get(out, [&] {
            machine::NtProduct type = machine::tptUnknown;
            try {
                type = machine::NtProductType(platform_);
            } catch (const Failure&) {
            }
            return Bstr::FromAnsi(machine::ProductTypeText(type));
        });
    }

    STDMETHODIMP get_wstrProductID(BSTR* out) override { return Product(out, "ProductID"); }
    STDMETHODIMP get_wstrProductName(BSTR* out) override { return Product(out, "ProductName"); }
    STDMETHODIMP get_wstrRegOrganization(BSTR* out) override { return Product(out, "RegisteredOrganization"); }
    STDMETHODIMP get_wstrRegOwner(BSTR* out) override { return Product(out, "RegisteredOwner"); }
    STDMETHODIMP get_wstrDVDRegion(BSTR* out) override { return Product(out, "DVD_Region"); }

    STDMETHODIMP get_wstrComputername(BSTR* out) override {
        return Guarded("wstrComputerName", out, BSTR{nullptr}, [&] {
            char name[260] = {};
            DWORD size = sizeof(name);
            if (!GetComputerNameA(name, &size)) ThrowLastError();
            return Bstr::FromAnsi(std::string(name, size < sizeof(name) ? size : 0));
        });
    }
    STDMETHODIMP get_wstrUsername(BSTR* out) override {
        return Guarded("wstrUsername", out, BSTR{nullptr}, [&] {
            char name[260] = {};
            DWORD size = sizeof(name);
            if (!GetUserNameA(name, &size)) ThrowLastError();
            return Bstr::FromAnsi(name);
        });
    }
    STDMETHODIMP get_wstrFullyQualifiedDomainName(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(HostName()); });
    }
    STDMETHODIMP get_wstrSystemTime(BSTR* out) override {
        return Get(out, [&] {
            SYSTEMTIME st;
            GetSystemTime(&st);
            return Bstr::FromAnsi(DateTimeText(st));
        });
    }
    STDMETHODIMP get_wstrLocalTime(BSTR* out) override {
        return Get(out, [&] {
            SYSTEMTIME st;
            GetLocalTime(&st);
            return Bstr::FromAnsi(DateTimeText(st));
        });
    }
    STDMETHODIMP get_doSystemUpTime(double* out) override {
        return Get(out, [&] { return machine::UpTimeDays(GetTickCount()); });
    }
    STDMETHODIMP get_tdLastBoot(DATE* out) override {
        return Get(out, [&] { return LocalNow() - machine::UpTimeDays(GetTickCount()); });
    }

    STDMETHODIMP get_wstrBIOSCopyright(BSTR* out) override { return Bios(out, machine::BiosField::Copyright); }
    STDMETHODIMP get_wstrBIOSDate(BSTR* out) override { return Bios(out, machine::BiosField::Date); }
    STDMETHODIMP get_wstrBIOSExtendedInfo(BSTR* out) override { return Bios(out, machine::BiosField::ExtendedInfo); }
    STDMETHODIMP get_wstrBIOSName(BSTR* out) override { return Bios(out, machine::BiosField::Name); }

    STDMETHODIMP get_boCapsLock(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(KeyToggled(VK_CAPITAL)); });
    }
    STDMETHODIMP get_boNumLock(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(KeyToggled(VK_NUMLOCK)); });
    }
    STDMETHODIMP get_boScrollLock(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(KeyToggled(VK_SCROLL)); });
    }
    STDMETHODIMP get_boIsUserAdministrator(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(machine::IsNT(platform_.Version()) && UserIsAdministrator()); });
    }

    STDMETHODIMP get_tyACPowerStatus(TYP_APM_PowerStatus* out) override {
        return Get(out, [&] { return static_cast<TYP_APM_PowerStatus>(machine::AcPowerStatus(PowerStatus().ACLineStatus)); });
    }
    STDMETHODIMP get_tyBatteryChargeStatus(TYP_APM_BatteryStatus* out) override {
        return Get(out, [&] {
            return static_cast<TYP_APM_BatteryStatus>(machine::BatteryChargeStatus(PowerStatus().BatteryFlag));
        });
    }
    STDMETHODIMP get_byBatteryLifePrecent(unsigned char* out) override {
        return Get(out, [&] { return static_cast<unsigned char>(PowerStatus().BatteryLifePercent); });
    }
    STDMETHODIMP get_iBatteryLifeTime(long* out) override {
        return Get(out, [&] { return static_cast<long>(PowerStatus().BatteryLifeTime); });
    }
    STDMETHODIMP get_iBatteryLifeFulltime(long* out) override {
        return Get(out, [&] { return static_cast<long>(PowerStatus().BatteryFullLifeTime); });
    }

    STDMETHODIMP get_strlEnvironment(IMxStringlist** out) override {
        return OwnedList(nullptr, environment_, out, [&](const machine::AddLine& add) {
            char* block = GetEnvironmentStringsA();
            if (!block) ThrowLastError();
            std::vector<std::string> lines;
            try {
                // The walk ends at the block's final empty entry, within the limit.
                lines = machine::ParseEnvironment(block, machine::kEnvironmentLimit);
            } catch (...) {
                FreeEnvironmentStringsA(block);
                throw;
            }
            FreeEnvironmentStringsA(block);
            for (const std::string& line : lines) add(line);
        });
    }
    STDMETHODIMP get_strlFonts(IMxStringlist** out) override {
        return OwnedList("Get_strlFonts", fonts_, out, [&](const machine::AddLine& add) {
            machine::Fonts(SystemRegistry(), machine::IsNT(platform_.Version()), add);
        });
    }
    STDMETHODIMP get_strlInstalledSoftware(IMxStringlist** out) override {
        return OwnedList("Get_strlInstalledSoftware", software_, out,
                        [&](const machine::AddLine& add) { machine::InstalledSoftware(SystemRegistry(), add); });
    }

private:
    HRESULT Product(BSTR* out, const char* value) {
        return Get(out, [&] { return Bstr::FromAnsi(machine::ProductData(platform_, value)); });
    }
    HRESULT Bios(BSTR* out, machine::BiosField field) {
        return Get(out, [&] { return Bstr::FromAnsi(machine::BiosString(platform_, field)); });
    }

    ComPtr<IMxUtils> utils_;
    ComPtr<IMxStringlist> environment_, software_, fonts_;
    Win32MachinePlatform platform_{utils_};
};

ZUNDA_CLASS(TMxMachine);

}  // namespace zunda

// Operating-system facts of MxMachine: the version classification and its
// texts, the NT product type, registered product data, BIOS strings, power
// and lock-key states, and the up-time arithmetic. The platform's answers come
// through MachinePlatform so the rules can be tested with recorded inputs.
#pragma once

#include "system/core/registry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zunda::machine {

// TYP_OS
enum Os : int {
    toWin32 = 0, toWin95 = 1, toWin95OSR2 = 2, toWin98 = 3, toWin98SE = 4, toWinME = 5,
    toWinNT3 = 6, toWinNT4 = 7, toWin2000 = 8, toWinXP = 9, toUnknown = 10,
};
// TYP_NTProduct
enum NtProduct : int { tptUnknown = 0, tptWorkstation = 1, tptServer = 2, tptAdvancedServer = 3 };
// TYP_APM_PowerStatus and TYP_APM_BatteryStatus
enum AcPower : int { tapUnknown = 0, tapOffline = 1, tapOnline = 2 };
enum Battery : int { tabUnknown = 0, tabHigh = 1, tabLow = 2, tabCritical = 3, tabCharging = 4, tabNoBattery = 5 };

constexpr std::uint32_t kPlatformWin32s = 0, kPlatformWindows = 1, kPlatformNT = 2;

// What GetVersionExA answers (OSVERSIONINFOA); ok is false when the call failed.
struct VersionInfo {
    bool ok = false;
    std::uint32_t major = 0, minor = 0, build = 0, platform = 0;
    std::string csd;  // szCSDVersion, all 128 bytes as the system filled them
};

enum class BiosField { Copyright, Date, ExtendedInfo, Name };

class MachinePlatform {
public:
    virtual ~MachinePlatform() = default;
    virtual VersionInfo Version() = 0;
    // wProductType of OSVERSIONINFOEXA, nullopt when the call fails.
    virtual std::optional<std::uint8_t> ProductTypeEx() = 0;
    // Direct registry access (product type, fonts, installed software).
    virtual reg::Registry& Registry() = 0;
    // Registry texts as MxUtils reads them: empty when missing.
    virtual std::string ReadRegString(reg::Root root, const std::string& key, const std::string& name) = 0;
    virtual std::string ReadRegBinary(reg::Root root, const std::string& key, const std::string& name) = 0;
    // A zero-terminated string of the first megabyte, read only where it is
    // readable and at most `bound` bytes long; empty when it is not readable.
    virtual std::string ReadLowMemory(std::uint32_t address, std::size_t bound) = 0;
};

Os ClassifyOs(const VersionInfo& v);
// Every NT-family system, also those after XP.
inline bool IsNT(const VersionInfo& v) { return v.ok && v.platform == kPlatformNT; }
const char* OsText(int os);

NtProduct ProductTypeFromVersionEx(std::uint8_t productType);
NtProduct ProductTypeFromName(const std::string& name);
const char* ProductTypeText(int type);
// Fails (Failure) on registry failures other than a missing key.
NtProduct NtProductType(MachinePlatform& platform);

// ProductID, ProductName, RegisteredOrganization, RegisteredOwner, DVD_Region:
// the value under the family's CurrentVersion key, or "(unavailable)".
std::string ProductData(MachinePlatform& platform, const std::string& valueName);

// Where the BIOS strings of Windows 9x sit, and how long they may be.
struct BiosLocation {
    std::uint32_t address;
    std::size_t bound;
};
BiosLocation BiosLocationOf(BiosField field);
std::string BiosString(MachinePlatform& platform, BiosField field);

AcPower AcPowerStatus(std::uint8_t acLineStatus);
Battery BatteryChargeStatus(std::uint8_t batteryFlag);
// A key-state byte of GetKeyboardState: toggled on and not held down.
inline bool LockKeyOn(std::uint8_t state) { return state == 1; }

// GetTickCount as days.
inline double UpTimeDays(std::uint32_t ticks) { return static_cast<double>(ticks) / 1000.0 / 86400.0; }
// A local date-time as an automation date (days since 1899-12-30).
double AutomationDate(int year, int month, int day, int hour, int minute, int second, int millisecond);

}  // namespace zunda::machine

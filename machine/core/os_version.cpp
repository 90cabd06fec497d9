#include "machine/core/os_version.h"

#include "machine/core/trim.h"
#include "server/core/failure.h"

#include <memory>

namespace zunda::machine {
namespace {

// The second character of the service-pack text, trimmed.
std::string SecondCsdChar(const VersionInfo& v) {
    return v.csd.size() > 1 ? TrimLow(v.csd.substr(1, 1)) : std::string();
}

const char* kNtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char* k9xVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

}  // namespace

Os ClassifyOs(const VersionInfo& v) {
    if (!v.ok) return toUnknown;
    switch (v.platform) {
    case kPlatformWin32s: return toWin32;
    case kPlatformWindows:
        if (v.minor == 0) return SecondCsdChar(v) == "B" ? toWin95OSR2 : toWin95;
        if (v.minor == 10) return SecondCsdChar(v) == "A" ? toWin98SE : toWin98;
        if (v.minor == 90 && v.build == 0x045A0BB8u) return toWinME;
        return toUnknown;
    case kPlatformNT:
        if (v.major == 3) return toWinNT3;
        if (v.major == 4) return toWinNT4;
        if (v.major == 5 && v.minor == 0) return toWin2000;
        if (v.major == 5 && v.minor == 1) return toWinXP;
        return toUnknown;
    default: return toUnknown;
    }
}

const char* OsText(int os) {
    switch (os) {
    case toWin32: return "Windows 32";
    case toWin95: return "Windows 95";
    case toWin95OSR2: return "Windows 95 OSR2";
    case toWin98: return "Windows 98";
    case toWin98SE: return "Windows 98 SE";
    case toWinME: return "Windows ME";
    case toWinNT3: return "Windows NT, Version 3.x";
    case toWinNT4: return "Windows NT, Version 4.x";
    case toWin2000: return "Windows 2000";
    case toWinXP: return "Windows XP";
    default: return "Unknown";
    }
}

NtProduct ProductTypeFromVersionEx(std::uint8_t productType) {
    switch (productType) {
    case 1: return tptWorkstation;     // VER_NT_WORKSTATION
    case 2: return tptAdvancedServer;  // VER_NT_DOMAIN_CONTROLLER
    case 3: return tptServer;          // VER_NT_SERVER
    default: return tptUnknown;
    }
}

NtProduct ProductTypeFromName(const std::string& name) {
    if (name == "WinNT") return tptWorkstation;
    if (name == "ServerNT") return tptServer;
    if (name == "LanmanNT") return tptAdvancedServer;
    return tptUnknown;
}

const char* ProductTypeText(int type) {
    switch (type) {
    case tptWorkstation: return "Workstation";
    case tptServer: return "Server";
    case tptAdvancedServer: return "Advanced Server";
    default: return "Unknown";
    }
}

NtProduct NtProductType(MachinePlatform& platform) {
    const VersionInfo v = platform.Version();
    if (!IsNT(v)) return tptUnknown;
    NtProduct type = tptUnknown;
    const Os os = ClassifyOs(v);
    if (os == toWin2000 || os == toWinXP) {
        if (std::optional<std::uint8_t> t = platform.ProductTypeEx()) type = ProductTypeFromVersionEx(*t);
    }
    if (type != tptUnknown) return type;
    std::unique_ptr<reg::Key> key;
    reg::Registry& registry = platform.Registry();
    if (registry.Open(reg::kLocalMachine, "System\\CurrentControlSet\\Control\\ProductOptions", reg::kRead, key) !=
        reg::kOk)
        return tptUnknown;
    reg::Data data;
    const long rc = key->Query("ProductType", data);
    if (reg::IsMissing(rc)) return tptUnknown;
    reg::Check(registry, rc);
    if (data.type != reg::kString && data.type != reg::kExpandString)
        throw Failure("The registry value 'ProductType' is not a string.");
    return ProductTypeFromName(reg::StringOf(data));
}

std::string ProductData(MachinePlatform& platform, const std::string& valueName) {
    const char* key = IsNT(platform.Version()) ? kNtVersionKey : k9xVersionKey;
    std::string value = platform.ReadRegString(reg::kLocalMachine, key, valueName);
    return value.empty() ? "(unavailable)" : value;
}

BiosLocation BiosLocationOf(BiosField field) {
    switch (field) {
    case BiosField::Copyright: return {0xFE091, 255};
    case BiosField::Date: return {0xFFFF5, 8};  // "mm/dd/yy" right below the model byte
    case BiosField::ExtendedInfo: return {0xFEC71, 255};
    case BiosField::Name: return {0xFE061, 0xFE091 - 0xFE061};  // ends where the copyright starts
    }
    return {0, 0};
}

std::string BiosString(MachinePlatform& platform, BiosField field) {
    const VersionInfo v = platform.Version();
    if (IsNT(v)) {
        const char* key = "HARDWARE\\DESCRIPTION\\System";
        switch (field) {
        case BiosField::Copyright: return platform.ReadRegBinary(reg::kLocalMachine, key, "SystemBiosVersion");
        case BiosField::Date: return platform.ReadRegString(reg::kLocalMachine, key, "SystemBiosDate");
        case BiosField::ExtendedInfo: return std::string();
        case BiosField::Name: return platform.ReadRegString(reg::kLocalMachine, key, "Identifier");
        }
        return std::string();
    }
    // Only Windows 9x maps the BIOS area into every process.
    if (!v.ok || v.platform != kPlatformWindows) return std::string();
    const BiosLocation at = BiosLocationOf(field);
    return platform.ReadLowMemory(at.address, at.bound);
}

AcPower AcPowerStatus(std::uint8_t acLineStatus) {
    if (acLineStatus == 0) return tapOffline;
    if (acLineStatus == 1) return tapOnline;
    return tapUnknown;
}

Battery BatteryChargeStatus(std::uint8_t flag) {
    switch (flag) {
    case 0:
    case 1: return tabHigh;
    case 2: return tabLow;
    case 4: return tabCritical;
    case 8: return tabCharging;
    case 128: return tabNoBattery;
    default: return tabUnknown;
    }
}

double AutomationDate(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    // Days from the civil calendar (proleptic Gregorian), counted from 1899-12-30.
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int m = month;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long daysFrom1970 = static_cast<long long>(era) * 146097 + doe - 719468;
    const long long days = daysFrom1970 + 25569;  // 1899-12-30 .. 1970-01-01
    const double time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
    return static_cast<double>(days) + time;
}

}  // namespace zunda::machine

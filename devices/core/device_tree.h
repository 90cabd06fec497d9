// The device enumeration tree of the registry: the class-name table, the walk
// over the enumerators, devices and instances of both Windows families with
// their skip rules, the look-ups of class, driver and service, the ordering by
// class and the filter, and the distinct values of one device class.
#pragma once

#include "system/core/registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::devices {

// Device class values (TYP_DeviceClass): 0 to 34 have a table name.
constexpr int kClassBattery = 0;
constexpr int kClassNet = 21;
constexpr int kClassUnknown = 24;
constexpr int kClassPrinter = 27;
constexpr int kClassNone = 35;  // no class, and "no filter"
constexpr int kClassCount = 35;

// The table name of a class value; empty for tdcNone and anything outside the table.
const char* ClassNameOf(int deviceClass);

// The first table entry (0 to 34) whose name, upper-cased, begins the
// upper-cased class name; tdcUnknown when none does.
int ClassFromName(std::string_view className);

// The text of a multi-string (or binary) value: every non-zero byte in order,
// up to the first two zero bytes in a row or the end of the data.
std::string JoinMultiString(std::string_view bytes);

// ASCII upper case, as registry class names and GUIDs are compared.
std::string Upper(std::string_view text);

struct DeviceRecord {
    std::string className;
    std::string classDesc;
    std::string classIcon;
    std::string friendlyName;
    std::string description;
    std::string guid;
    std::string manufacturer;
    std::string location;
    std::string hardwareId;
    std::string driverDate;
    std::string driverVersion;
    std::string driverProvider;
    std::string service;
    std::string serviceName;
    std::string serviceGroup;
    std::int32_t serviceType = 0;
    std::string regKey;
    int deviceClass = kClassBattery;
};

// Registry locations of one Windows family (all below HKEY_LOCAL_MACHINE).
struct Layout {
    bool nt = true;
    const char* EnumRoot() const { return nt ? "SYSTEM\\CurrentControlSet\\Enum" : "Enum"; }
    const char* ClassRoot() const {
        return nt ? "SYSTEM\\CurrentControlSet\\Control\\Class" : "SYSTEM\\CurrentControlSet\\Services\\Class";
    }
};

// Reads every device of the enumeration tree, drops those without a class
// name, and orders the rest by device class (registry order within a class).
std::vector<DeviceRecord> ReadDeviceTree(reg::Registry& registry, const Layout& layout);

// Reads one device from its open instance key (exposed for tests).
DeviceRecord ReadDevice(reg::Registry& registry, const Layout& layout, reg::Key& instance,
                        const std::string& enumerator, const std::string& path);

// Stable order by device class value.
void SortByClass(std::vector<DeviceRecord>& records);

// Whether a record of this class passes the filter (tdcNone lets all pass).
inline bool PassesFilter(int deviceClass, int filter) { return filter == kClassNone || deviceClass == filter; }

// The class key of a device class below a start key and the values of one
// named value across its subkeys, in subkey order (duplicates included; the
// caller keeps the distinct ones). classKey is empty when no class matched.
struct ClassValues {
    std::string classKey;
    std::vector<std::string> values;
};
ClassValues ReadClassValues(reg::Registry& registry, const Layout& layout, const std::string& startKey,
                            const std::string& className, const std::string& valueName);

}  // namespace zunda::devices

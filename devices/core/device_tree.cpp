#include "devices/core/device_tree.h"

#include "machine/core/trim.h"

#include <algorithm>
#include <memory>
#include <new>

namespace zunda::devices {
namespace {

constexpr const char* kClassNames[kClassCount] = {
    "Battery",      "Computer",      "DiskDrive", "Display",         "CDROM",        "fdc",      "FloppyDisk",
    "GPS",          "HID",           "hdc",       "1394",            "Image",        "Infrared", "Keyboard",
    "MediumChanger", "MTD",          "Mouse",     "Modem",           "Monitor",      "MultiFunction",
    "MultiPortSerial", "Net",        "LegacyDriver", "NtApm",        "Unknown",      "PCMCIA",   "Ports",
    "Printer",      "SCSIAdapter",   "SmartCardReader", "MEDIA",     "Volume",       "System",   "TapeDrive",
    "USB"};

constexpr const char* kServicesRoot = "SYSTEM\\CurrentControlSet\\Services\\";

std::string Trim(std::string_view text) { return machine::TrimLow(text); }

bool IsText(std::uint32_t type) { return type == reg::kString || type == reg::kExpandString; }

// A string value's text; a missing value or one of another type reads as empty.
std::string Text(reg::Key& key, const std::string& name) {
    reg::Data d;
    if (key.Query(name, d) != reg::kOk || !IsText(d.type)) return std::string();
    return reg::StringOf(d);
}

std::unique_ptr<reg::Key> OpenRead(reg::Registry& registry, const std::string& path) {
    std::unique_ptr<reg::Key> key;
    if (registry.Open(reg::kLocalMachine, path, reg::kRead, key) != reg::kOk) key.reset();
    return key;
}

std::vector<std::string> SubkeysOf(reg::Key& key) {
    std::vector<std::string> names;
    key.Subkeys(names);  // what could be enumerated is used
    return names;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && Upper(a) == Upper(b); }

struct ServiceInfo {
    std::string displayName;
    std::string group;
    std::int32_t type = 0;
};

ServiceInfo LookUpService(reg::Registry& registry, const std::string& name) {
    ServiceInfo out;
    if (Trim(name).empty()) return out;
    std::unique_ptr<reg::Key> key = OpenRead(registry, kServicesRoot + name);
    if (!key) return out;
    out.group = Text(*key, "Group");
    reg::Data display;
    if (key->Query("DisplayName", display) != reg::kOk || display.type != reg::kString) return out;
    reg::Data type;
    if (key->Query("Type", type) != reg::kOk || type.type != reg::kDword || type.bytes.size() < 4) return out;
    out.displayName = reg::StringOf(display);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(type.bytes[static_cast<size_t>(i)]);
    out.type = static_cast<std::int32_t>(v);
    return out;
}

// The class key of a GUID: its description (default value) and icon. On the
// 9x family the key found names its real class key in "Link"; a missing or
// empty link finds nothing (it would name the class root itself).
void LookUpClass(reg::Registry& registry, const Layout& layout, const std::string& guid, DeviceRecord& r) {
    if (Trim(guid).empty()) return;
    std::unique_ptr<reg::Key> root = OpenRead(registry, layout.ClassRoot());
    if (!root) return;
    std::string found;
    for (const std::string& name : SubkeysOf(*root))
        if (EqualNoCase(name, guid)) {
            found = name;
            break;
        }
    root.reset();
    if (found.empty()) return;
    const std::string base = std::string(layout.ClassRoot()) + "\\";
    std::unique_ptr<reg::Key> key = OpenRead(registry, base + found);
    if (!key) return;
    if (!layout.nt) {
        const std::string link = Text(*key, "Link");
        key.reset();
        if (Trim(link).empty()) return;
        key = OpenRead(registry, base + link);
        if (!key) return;
    }
    r.classIcon = Text(*key, "Icon");
    r.classDesc = Text(*key, "");
}

void LookUpDriver(reg::Registry& registry, const Layout& layout, std::string driver, DeviceRecord& r) {
    if (Trim(driver).empty()) return;
    for (size_t pos = driver.find("\\\\"); pos != std::string::npos; pos = driver.find("\\\\", pos + 1))
        driver.erase(pos, 1);
    std::unique_ptr<reg::Key> key = OpenRead(registry, std::string(layout.ClassRoot()) + "\\" + driver);
    if (!key) return;
    r.driverDate = Text(*key, "DriverDate");
    r.driverVersion = Text(*key, "DriverVersion");
    r.driverProvider = Text(*key, "ProviderName");
}

// The hardware ID: a multi-string (or binary) value joined without
// separators, sized from the value itself; a plain string as it is.
std::string HardwareId(reg::Key& key) {
    reg::Data d;
    if (key.Query("HardwareID", d) != reg::kOk) return std::string();
    if (IsText(d.type)) return reg::StringOf(d);
    if (d.type == reg::kDword) return std::string();
    return JoinMultiString(d.bytes);
}

}  // namespace

const char* ClassNameOf(int deviceClass) {
    if (deviceClass < 0 || deviceClass >= kClassCount) return "";
    return kClassNames[deviceClass];
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int ClassFromName(std::string_view className) {
    const std::string name = Upper(className);
    for (int i = 0; i < kClassCount; ++i) {
        const std::string entry = Upper(kClassNames[i]);
        if (name.compare(0, entry.size(), entry) == 0) return i;
    }
    return kClassUnknown;
}

std::string JoinMultiString(std::string_view bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\0') {
            out.push_back(bytes[i]);
        } else if (i + 1 < bytes.size() && bytes[i + 1] == '\0') {
            break;
        }
    }
    return out;
}

DeviceRecord ReadDevice(reg::Registry& registry, const Layout& layout, reg::Key& instance,
                        const std::string& enumerator, const std::string& path) {
    DeviceRecord r;
    r.guid = Upper(Text(instance, "ClassGUID"));
    r.friendlyName = Text(instance, "FriendlyName");
    r.description = Text(instance, "DeviceDesc");
    r.manufacturer = Text(instance, "Mfg");
    r.service = Text(instance, "Service");
    r.location = Text(instance, "LocationInformation");
    if (r.location.empty()) {
        const ServiceInfo bus = LookUpService(registry, enumerator);
        r.location = bus.displayName;
        r.serviceGroup = bus.group;
        r.serviceType = bus.type;
    }
    LookUpClass(registry, layout, r.guid, r);
    if (r.className.empty()) r.className = Text(instance, "Class");
    LookUpDriver(registry, layout, Text(instance, "Driver"), r);
    const ServiceInfo service = LookUpService(registry, r.service);
    r.serviceName = service.displayName;
    r.serviceGroup = service.group;
    r.serviceType = service.type;
    r.regKey = path;
    r.hardwareId = HardwareId(instance);
    r.deviceClass = ClassFromName(r.className);
    return r;
}

void SortByClass(std::vector<DeviceRecord>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const DeviceRecord& a, const DeviceRecord& b) { return a.deviceClass < b.deviceClass; });
}

std::vector<DeviceRecord> ReadDeviceTree(reg::Registry& registry, const Layout& layout) {
    std::vector<DeviceRecord> out;
    const std::string root = layout.EnumRoot();
    std::vector<std::string> enumerators;
    {
        std::unique_ptr<reg::Key> key = OpenRead(registry, root);
        if (!key) return out;
        enumerators = SubkeysOf(*key);
    }
    for (const std::string& enumerator : enumerators) {
        if (!layout.nt && enumerator == "Network") continue;
        const std::string enumPath = root + "\\" + enumerator;
        std::vector<std::string> devices;
        {
            std::unique_ptr<reg::Key> key = OpenRead(registry, enumPath);
            if (!key) continue;
            devices = SubkeysOf(*key);
        }
        for (const std::string& device : devices) {
            const std::string devicePath = enumPath + "\\" + device;
            std::vector<std::string> instances;
            {
                std::unique_ptr<reg::Key> key = OpenRead(registry, devicePath);
                if (!key) continue;
                instances = SubkeysOf(*key);
            }
            try {
                for (const std::string& instance : instances) {
                    const std::string path = devicePath + "\\" + instance;
                    std::unique_ptr<reg::Key> key = OpenRead(registry, path);
                    if (!key) continue;
                    if (layout.nt) {
                        std::unique_ptr<reg::Key> control;
                        if (registry.Open(reg::kLocalMachine, path + "\\Control", reg::kRead, control) != reg::kOk)
                            continue;
                    }
                    DeviceRecord r = ReadDevice(registry, layout, *key, enumerator, path);
                    if (Trim(r.className).empty()) continue;
                    out.push_back(std::move(r));
                }
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception&) {
                // The remaining instances of this device are abandoned.
            }
        }
    }
    SortByClass(out);
    return out;
}

ClassValues ReadClassValues(reg::Registry& registry, const Layout& layout, const std::string& startKey,
                            const std::string& className, const std::string& valueName) {
    ClassValues out;
    std::vector<std::string> keys;
    {
        std::unique_ptr<reg::Key> start = OpenRead(registry, startKey);
        if (!start) return out;
        keys = SubkeysOf(*start);
    }
    const std::string wanted = Upper(className);
    std::unique_ptr<reg::Key> classKey;
    std::string classKeyName;
    for (const std::string& k : keys) {
        std::unique_ptr<reg::Key> key = OpenRead(registry, startKey + "\\" + k);
        if (!key) continue;
        reg::Data d;
        if (key->Query("Class", d) == reg::kOk && IsText(d.type) && Upper(reg::StringOf(d)) == wanted) {
            classKey = std::move(key);
            classKeyName = k;
            break;
        }
    }
    if (!classKey) return out;
    if (!layout.nt) {
        const std::string link = Upper(Text(*classKey, "Link"));
        classKey.reset();
        if (Trim(link).empty()) return out;
        classKey = OpenRead(registry, startKey + "\\" + link);
        if (!classKey) return out;
        classKeyName = link;
    }
    out.classKey = classKeyName;
    const std::vector<std::string> subkeys = SubkeysOf(*classKey);
    classKey.reset();
    for (const std::string& s : subkeys) {
        std::unique_ptr<reg::Key> key = OpenRead(registry, startKey + "\\" + classKeyName + "\\" + s);
        if (!key) continue;
        reg::Data d;
        if (key->Query(valueName, d) == reg::kOk && IsText(d.type)) out.values.push_back(reg::StringOf(d));
    }
    return out;
}

}  // namespace zunda::devices
